// TextField and Selection: the field's settings as accessor properties of
// TextField.prototype, its methods, and the keyboard focus with its selection.
#include "swf/avm1/machine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace swf::avm1 {

namespace {


struct Field {
    Clip* clip = nullptr;
    EditText* text = nullptr;
    explicit operator bool() const { return text != nullptr; }
};

Field fieldOf(Machine& m, const Value& self) {
    Clip* c = m.clipOf(self);
    if (!c || !c->textField || !c->ownCharacter) return {};
    return {c, std::get_if<EditText>(c->ownCharacter.get())};
}

double rgbNumber(Rgba c) { return static_cast<double>((c.r << 16) | (c.g << 8) | c.b); }

Rgba rgbOf(Machine& m, const Value& v) {
    uint32_t n = toUint32(m.toNumber(v));
    return Rgba{static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n), 255};
}

int32_t utf16Length(const std::string& s) { return static_cast<int32_t>(toUtf16(s).size()); }

// ---- text formats of a field's characters

// The name of the field's font; a field without one shows in the default serif face.
std::string fieldFontName(Machine& m, const EditText& e) {
    const Font* f = e.fontId ? m.player().movie().get<Font>(e.fontId) : nullptr;
    return f && !f->name.empty() ? f->name : "Times New Roman";
}

// Every setting of a run of text, its paragraph's among them.
TextFormat formatOf(Machine& m, const EditText& e, const TextSpan& sp) {
    TextFormat f;
    f.font = sp.face.empty() ? fieldFontName(m, e) : sp.face;
    f.size = sp.height.value_or(e.height) / 20.0;
    f.color = static_cast<uint32_t>(rgbNumber(sp.color.value_or(e.color)));
    f.bold = sp.bold;
    f.italic = sp.italic;
    f.underline = sp.underline;
    f.url = sp.url;
    f.target = sp.target;
    f.kerning = sp.kerning;
    f.letterSpacing = sp.letterSpacing;
    const ParagraphStyle& p = sp.para;
    f.align = p.align;
    f.leftMargin = p.leftMargin / 20.0;
    f.rightMargin = p.rightMargin / 20.0;
    f.indent = p.indent / 20.0;
    f.leading = p.leading / 20.0;
    f.blockIndent = p.blockIndent / 20.0;
    f.bullet = p.bullet;
    f.tabStops = p.tabStops;
    return f;
}

// Keeps in `a` only the settings `b` shares.
void keepShared(TextFormat& a, const TextFormat& b) {
    auto keep = [](auto& x, const auto& y) {
        if (x != y) x.reset();
    };
    keep(a.font, b.font);
    keep(a.url, b.url);
    keep(a.target, b.target);
    keep(a.size, b.size);
    keep(a.color, b.color);
    keep(a.bold, b.bold);
    keep(a.italic, b.italic);
    keep(a.underline, b.underline);
    keep(a.bullet, b.bullet);
    keep(a.kerning, b.kerning);
    keep(a.align, b.align);
    keep(a.leftMargin, b.leftMargin);
    keep(a.rightMargin, b.rightMargin);
    keep(a.indent, b.indent);
    keep(a.leading, b.leading);
    keep(a.blockIndent, b.blockIndent);
    keep(a.letterSpacing, b.letterSpacing);
    keep(a.tabStops, b.tabStops);
}

Rgba rgbOf(uint32_t n) {
    return Rgba{static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n), 255};
}

// Twips from pixels, kept within what the field's settings hold.
template <class T>
T twips(double px) {
    double t = std::round(px * 20);
    return static_cast<T>(std::clamp(t, double(std::numeric_limits<T>::min()), double(std::numeric_limits<T>::max())));
}

// The character settings a format gives, written into a run.
void applyToSpan(Machine& m, const EditText& e, TextSpan& sp, const TextFormat& f) {
    if (f.font) sp.face = *f.font == fieldFontName(m, e) ? std::string() : *f.font;
    if (f.size) sp.height = twips<uint16_t>(*f.size);
    if (f.color) sp.color = rgbOf(*f.color);
    if (f.bold) sp.bold = *f.bold;
    if (f.italic) sp.italic = *f.italic;
    if (f.underline) sp.underline = *f.underline;
    if (f.url) sp.url = *f.url;
    if (f.target) sp.target = *f.target;
    if (f.kerning) sp.kerning = *f.kerning;
    if (f.letterSpacing) sp.letterSpacing = *f.letterSpacing;
}

// The paragraph settings a format gives.
void applyToParagraph(ParagraphStyle& p, const TextFormat& f) {
    if (f.align) p.align = *f.align;
    if (f.leftMargin) p.leftMargin = twips<uint16_t>(*f.leftMargin);
    if (f.rightMargin) p.rightMargin = twips<uint16_t>(*f.rightMargin);
    if (f.indent) p.indent = twips<uint16_t>(*f.indent);
    if (f.leading) p.leading = twips<int16_t>(*f.leading);
    if (f.blockIndent) p.blockIndent = twips<int32_t>(*f.blockIndent);
    if (f.bullet) p.bullet = *f.bullet;
    if (f.tabStops) p.tabStops = *f.tabStops;
}

// Gives the paragraph settings of `f` to every paragraph that has characters in
// [from, to), its line break counting as its last character.
void applyToParagraphsIn(std::vector<TextSpan>& spans, int32_t from, int32_t to, const TextFormat& f) {
    unifyParagraphs(spans);
    size_t first = 0; // the first run of the paragraph being read
    int32_t start = 0, pos = 0;
    for (size_t i = 0; i < spans.size(); ++i) {
        pos += utf16Length(spans[i].text);
        const bool last = i + 1 == spans.size() || spans[i].text.find_first_of("\r\n") != std::string::npos;
        if (!last) continue;
        if (start < to && pos > from)
            for (size_t k = first; k <= i; ++k) applyToParagraph(spans[k].para, f);
        first = i + 1;
        start = pos;
    }
}

// Splits the run holding UTF-16 offset `at` so that a run starts there.
void splitAt(std::vector<TextSpan>& spans, int32_t at) {
    int32_t pos = 0;
    for (size_t i = 0; i < spans.size(); ++i) {
        std::u16string t = toUtf16(spans[i].text);
        int32_t n = static_cast<int32_t>(t.size());
        if (at > pos && at < pos + n) {
            TextSpan tail = spans[i];
            tail.text = toUtf8(t.substr(static_cast<size_t>(at - pos)));
            spans[i].text = toUtf8(t.substr(0, static_cast<size_t>(at - pos)));
            spans.insert(spans.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
            return;
        }
        pos += n;
        if (pos >= at) return;
    }
}

// Calls `fn` on each run within [from, to) of the text, in UTF-16 offsets.
template <class Fn>
void forSpansIn(const std::vector<TextSpan>& spans, int32_t from, int32_t to, Fn fn) {
    int32_t pos = 0;
    for (const TextSpan& sp : spans) {
        int32_t n = utf16Length(sp.text);
        if (n > 0 && pos < to && pos + n > from) fn(sp);
        pos += n;
    }
}

// ---- the field's text as markup, in the form the player writes it

std::string escapedMarkup(const std::string& t) {
    std::string out;
    for (char c : t) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        else out.push_back(c);
    }
    return out;
}

std::string colorMarkup(uint32_t rgb) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%06X", rgb & 0xffffff);
    return buf;
}

// The FONT attributes of `f` that differ from `outer` (all of them without one).
std::string fontAttributes(const TextFormat& f, const TextFormat* outer) {
    std::string a;
    auto differs = [&](auto member) { return !outer || f.*member != outer->*member; };
    if (differs(&TextFormat::font)) a += " FACE=\"" + escapedMarkup(f.font.value_or("")) + "\"";
    if (differs(&TextFormat::size)) a += " SIZE=\"" + numberToString(f.size.value_or(0)) + "\"";
    if (differs(&TextFormat::color)) a += " COLOR=\"" + colorMarkup(f.color.value_or(0)) + "\"";
    if (differs(&TextFormat::letterSpacing))
        a += " LETTERSPACING=\"" + numberToString(f.letterSpacing.value_or(0)) + "\"";
    if (differs(&TextFormat::kerning)) a += std::string(" KERNING=\"") + (f.kerning.value_or(false) ? "1" : "0") + "\"";
    return a;
}

bool sameFont(const TextFormat& a, const TextFormat& b) { return fontAttributes(a, &b).empty(); }

// One paragraph: its runs in FONT elements, each nested in the one before unless
// the run returns to the style of an enclosing one; links and B, I, U per run.
std::string paragraphMarkup(Machine& m, const EditText& e, const std::vector<const TextSpan*>& runs,
                            const std::vector<std::string>& texts, const TextSpan& first) {
    static const char* const aligns[] = {"LEFT", "RIGHT", "CENTER", "JUSTIFY"};
    TextFormat base = formatOf(m, e, first);
    std::string tf;
    auto attr = [&](const char* name, double v) {
        if (v != 0) tf += std::string(" ") + name + "=\"" + numberToString(v) + "\"";
    };
    attr("LEFTMARGIN", base.leftMargin.value_or(0));
    attr("RIGHTMARGIN", base.rightMargin.value_or(0));
    attr("INDENT", base.indent.value_or(0));
    attr("BLOCKINDENT", base.blockIndent.value_or(0));
    attr("LEADING", base.leading.value_or(0));
    const ParagraphStyle& para = first.para;
    if (!para.tabStops.empty()) {
        std::string stops;
        for (double t : para.tabStops) stops += (stops.empty() ? "" : ",") + numberToString(t);
        tf += " TABSTOPS=\"" + stops + "\"";
    }
    std::string out;
    if (!tf.empty()) out += "<TEXTFORMAT" + tf + ">";
    out += para.bullet ? std::string("<LI>") : std::string("<P ALIGN=\"") + aligns[para.align & 3] + "\">";
    out += "<FONT" + fontAttributes(base, nullptr) + ">";
    std::vector<TextFormat> open{base};
    for (size_t i = 0; i < runs.size(); ++i) {
        TextFormat f = formatOf(m, e, *runs[i]);
        size_t back = open.size();
        while (back > 0 && !sameFont(f, open[back - 1])) --back;
        if (back > 0) {
            for (size_t k = open.size(); k > back; --k) out += "</FONT>";
            open.resize(back);
        } else if (open.size() < 64) {
            out += "<FONT" + fontAttributes(f, &open.back()) + ">";
            open.push_back(f);
        }
        const TextSpan& sp = *runs[i];
        std::string inner = escapedMarkup(texts[i]);
        if (sp.underline) inner = "<U>" + inner + "</U>";
        if (sp.italic) inner = "<I>" + inner + "</I>";
        if (sp.bold) inner = "<B>" + inner + "</B>";
        if (!sp.url.empty())
            inner = "<A HREF=\"" + escapedMarkup(sp.url) + "\" TARGET=\"" + escapedMarkup(sp.target) + "\">" + inner + "</A>";
        out += inner;
    }
    for (size_t k = open.size(); k > 0; --k) out += "</FONT>";
    out += para.bullet ? "</LI>" : "</P>";
    if (!tf.empty()) out += "</TEXTFORMAT>";
    return out;
}

std::string markupOf(Machine& m, const EditText& e) {
    std::string out;
    std::vector<const TextSpan*> runs;
    std::vector<std::string> texts;
    const TextSpan* last = &e.format;
    auto flush = [&]() {
        out += paragraphMarkup(m, e, runs, texts, runs.empty() ? *last : *runs.front());
        runs.clear();
        texts.clear();
    };
    for (const TextSpan& sp : e.spans) {
        last = &sp;
        size_t at = 0;
        while (at <= sp.text.size()) {
            size_t nl = sp.text.find_first_of("\r\n", at);
            std::string piece = sp.text.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
            if (!piece.empty()) {
                runs.push_back(&sp);
                texts.push_back(std::move(piece));
            }
            if (nl == std::string::npos) break;
            flush();
            at = nl + 1;
        }
    }
    // A line break at the very end closes the last paragraph rather than opening one.
    if (!runs.empty() || out.empty()) flush();
    return out;
}

// The range a getTextFormat/setTextFormat call names: none, one index, or begin and end.
struct Range {
    int32_t from = 0, to = 0;
};

Range rangeOf(Machine& m, std::span<Value> a, size_t count, int32_t length) {
    auto index = [&](size_t i) {
        double n = m.toNumber(a[i]);
        return std::isfinite(n) ? static_cast<int32_t>(std::clamp(n, -1e9, 1e9)) : 0;
    };
    Range r{0, length};
    if (count >= 1 && !a[0].isUndefined()) {
        r.from = index(0);
        r.to = count >= 2 && !a[1].isUndefined() ? index(1) : r.from + 1;
    }
    r.from = std::clamp(r.from, 0, length);
    r.to = std::clamp(r.to, r.from, length);
    return r;
}

// The accessor properties, in the order a for-in loop lists them.
enum Prop {
    StyleSheet,
    MouseWheelEnabled,
    CondenseWhite,
    Restrict,
    TextHeight,
    TextWidth,
    BottomScroll,
    Length,
    Selectable,
    Multiline,
    Password,
    WordWrap,
    Background,
    Border,
    Html,
    EmbedFonts,
    MaxChars,
    MaxHScroll,
    HScroll,
    Variable,
    HtmlText,
    Type,
    Text,
    AutoSize,
    TabIndex,
    TextColor,
    BackgroundColor,
    BorderColor,
    MaxScroll,
    Scroll,
    Filters,
    Sharpness,
    Thickness,
    AntiAliasType,
    GridFitType,
    PropCount
};

const char* const kPropNames[PropCount] = {
    "styleSheet", "mouseWheelEnabled", "condenseWhite", "restrict", "textHeight", "textWidth", "bottomScroll",
    "length", "selectable", "multiline", "password", "wordWrap", "background", "border", "html", "embedFonts",
    "maxChars", "maxhscroll", "hscroll", "variable", "htmlText", "type", "text", "autoSize", "tabIndex",
    "textColor", "backgroundColor", "borderColor", "maxscroll", "scroll", "filters", "sharpness", "thickness",
    "antiAliasType", "gridFitType"};

// Settings kept on the field's script object rather than in the field.
Value hidden(Machine& m, Object* o, const char* name) {
    Property* p = o->find(m.heap().key(name));
    return p ? p->value : Value();
}

// A field made by a script has no font of its own: the first embedded font its
// text names serves as the field's font.
void adoptNamedFont(const Movie& movie, EditText& e) {
    if (e.fontId && movie.get<Font>(e.fontId)) return;
    for (const TextSpan& sp : e.spans) {
        if (sp.face.empty()) continue;
        for (auto& [id, ch] : movie.dictionary)
            if (const auto* f = std::get_if<Font>(ch.get()); f && !f->glyphs.empty() && f->name == sp.face) {
                e.fontId = id;
                return;
            }
    }
}

// The field's text laid out as it shows, when its glyphs are embedded.
std::optional<TextLayout> layoutOf(Machine& m, const EditText& e) {
    const Movie& movie = m.player().movie();
    const Font* font = e.fontId ? movie.get<Font>(e.fontId) : nullptr;
    // A field without a font of its own shows in the face its first run names.
    if (!font) font = movie.fontFor(nullptr, e.spans.empty() ? e.format : e.spans.front());
    if (!e.useOutlines || !font || font->glyphs.empty() || !font->hasLayout) return std::nullopt;
    return layoutText(e, *font, [&](const TextSpan& sp) { return movie.fontFor(font, sp); });
}

// How many lines from line `first` (from 0) show whole in the field, at least one.
int32_t linesShown(const EditText& e, const TextLayout& t, size_t first) {
    const double room = e.bounds.height() - 2 * kTextGutter;
    double used = 0;
    int32_t n = 0;
    for (size_t i = first; i < t.lines.size(); ++i) {
        used += t.lines[i].ascent + t.lines[i].descent;
        if (n > 0 && used > room) break;
        used += t.lines[i].leading;
        ++n;
    }
    return std::max(n, 1);
}

// The last line the field can scroll to the top: from it on, the rest shows.
int32_t maxScroll(const EditText& e, const TextLayout& t) {
    const double room = e.bounds.height() - 2 * kTextGutter;
    double used = 0;
    size_t top = t.lines.size();
    while (top > 0) {
        const LaidLine& l = t.lines[top - 1];
        double need = used + l.ascent + l.descent;
        if (top < t.lines.size() && need > room) break;
        used = need + l.leading;
        --top;
    }
    return static_cast<int32_t>(top) + 1;
}

void setHtml(Machine& m, Field f, const std::string& html) {
    Object* o = m.clipObject(*f.clip);
    m.setOwn(o, "__html", Value(html), kDontEnum);
    setFieldText(*f.text, m.styledHtml(html, hidden(m, o, "__styleSheet")), true, m.version());
}

Value getProp(Machine& m, Field f, int prop) {
    EditText& e = *f.text;
    Object* o = m.clipObject(*f.clip);
    switch (prop) {
    case StyleSheet: return hidden(m, o, "__styleSheet");
    case MouseWheelEnabled: return Value(e.mouseWheelEnabled);
    case CondenseWhite: return Value(e.condenseWhite);
    case Restrict: {
        Value r = hidden(m, o, "__restrict");
        return r.isUndefined() ? Value::null() : r;
    }
    case TextHeight:
    case TextWidth: {
        std::optional<TextLayout> t = layoutOf(m, e);
        if (!t) return Value(0);
        return Value(std::floor((prop == TextWidth ? t->width : t->height) / 20));
    }
    case BottomScroll: {
        std::optional<TextLayout> t = layoutOf(m, e);
        int32_t top = std::clamp<int32_t>(e.scroll, 1, static_cast<int32_t>(t ? t->lines.size() : 1));
        return Value(t ? top + linesShown(e, *t, static_cast<size_t>(top - 1)) - 1 : e.scroll);
    }
    case Length: return Value(static_cast<double>(utf16Length(e.text)));
    case Selectable: return Value(e.selectable);
    case Multiline: return Value(e.multiline);
    case Password: return Value(e.password);
    case WordWrap: return Value(e.wordWrap);
    case Background: return Value(e.background);
    case Border: return Value(e.border);
    case Html: return Value(e.html);
    case EmbedFonts: return Value(e.useOutlines);
    case MaxChars: return e.maxChars ? Value(static_cast<double>(e.maxChars)) : Value::null();
    case MaxHScroll: return Value(0);
    case HScroll: return Value(e.hscroll);
    case Variable: return e.variableName.empty() ? Value::null() : Value(e.variableName);
    case HtmlText: return Value(fieldVariableText(m, e));
    case Type: return Value(e.readOnly ? "dynamic" : "input");
    case Text: {
        // Line breaks read back as carriage returns, however they were written.
        std::string t = e.text;
        std::replace(t.begin(), t.end(), '\n', '\r');
        return Value(t);
    }
    case AutoSize: {
        static const char* const modes[] = {"none", "left", "right", "center"};
        return Value(modes[e.autoSizeMode & 3]);
    }
    case TabIndex: return hidden(m, o, "__tabIndex");
    case TextColor: return Value(rgbNumber(e.format.color.value_or(e.color)));
    case BackgroundColor: return Value(rgbNumber(e.backgroundColor));
    case BorderColor: return Value(rgbNumber(e.borderColor));
    case MaxScroll: {
        std::optional<TextLayout> t = layoutOf(m, e);
        return Value(t ? maxScroll(e, *t) : 1);
    }
    case Scroll: {
        std::optional<TextLayout> t = layoutOf(m, e);
        return Value(t ? std::clamp(e.scroll, 1, maxScroll(e, *t)) : e.scroll);
    }
    case Filters: return Value(m.newArray());
    case Sharpness: return Value(e.sharpness);
    case Thickness: return Value(e.thickness);
    case AntiAliasType: return Value(e.advancedAntiAlias ? "advanced" : "normal");
    case GridFitType: {
        static const char* const fits[] = {"none", "pixel", "subpixel"};
        return Value(fits[std::min<int>(e.gridFit, 2)]);
    }
    default: return {};
    }
}

void setProp(Machine& m, Field f, int prop, const Value& v) {
    EditText& e = *f.text;
    Object* o = m.clipObject(*f.clip);
    switch (prop) {
    case StyleSheet: {
        m.setOwn(o, "__styleSheet", v, kDontEnum);
        if (v.isObject()) e.html = true;
        Value html = hidden(m, o, "__html");
        if (html.isString()) setFieldText(e, m.styledHtml(html.s, v), true, m.version());
        break;
    }
    case MouseWheelEnabled: e.mouseWheelEnabled = m.toBoolean(v); break;
    case CondenseWhite: e.condenseWhite = m.toBoolean(v); break;
    case Restrict: m.setOwn(o, "__restrict", v.isNullish() ? Value::null() : Value(m.toString(v)), kDontEnum); break;
    case Selectable: e.selectable = m.toBoolean(v); break;
    case Multiline: e.multiline = m.toBoolean(v); break;
    case Password: e.password = m.toBoolean(v); break;
    case WordWrap: e.wordWrap = m.toBoolean(v); break;
    case Background: e.background = m.toBoolean(v); break;
    case Border: e.border = m.toBoolean(v); break;
    case Html: e.html = m.toBoolean(v); break;
    case EmbedFonts: e.useOutlines = m.toBoolean(v); break;
    case MaxChars: {
        double n = m.toNumber(v);
        e.maxChars = std::isfinite(n) && n > 0 ? static_cast<uint16_t>(std::min(n, 65535.0)) : 0;
        break;
    }
    case HScroll: {
        double n = m.toNumber(v);
        if (std::isfinite(n)) e.hscroll = 0; // one line wide enough for its text: nothing to scroll
        break;
    }
    case Scroll: {
        // The line index counts from 0 in 32 bits, wrapping as it goes below 1.
        std::optional<TextLayout> t = layoutOf(m, e);
        if (!t) break;
        int32_t index = static_cast<int32_t>(static_cast<uint32_t>(toInt32(m.toNumber(v))) - 1u);
        e.scroll = std::clamp(index, 0, maxScroll(e, *t) - 1) + 1;
        break;
    }
    case Variable: e.variableName = v.isNullish() ? std::string() : m.toString(v); break;
    case HtmlText:
        if (e.html) setHtml(m, f, m.toString(v));
        else setFieldText(e, m.toString(v), false);
        break;
    case Text:
        if (e.html) setHtml(m, f, m.toString(v));
        else setFieldText(e, m.toString(v), false);
        break;
    case Type: {
        std::string t = asciiLower(m.toString(v));
        if (t == "input") e.readOnly = false;
        else if (t == "dynamic") e.readOnly = true;
        break;
    }
    case AutoSize: {
        if (v.kind == Value::Boolean) {
            e.autoSizeMode = v.b ? 1 : 0;
        } else {
            std::string t = asciiLower(m.toString(v));
            e.autoSizeMode = t == "left" ? 1 : t == "right" ? 2 : t == "center" ? 3 : 0;
        }
        e.autoSize = e.autoSizeMode != 0;
        break;
    }
    case TabIndex: m.setOwn(o, "__tabIndex", v, kDontEnum); break;
    case TextColor:
        // The colour of all the text, and of text to come.
        e.color = rgbOf(m, v);
        e.format.color = e.color;
        for (TextSpan& sp : e.spans) sp.color.reset();
        break;
    case BackgroundColor: e.backgroundColor = rgbOf(m, v); break;
    case BorderColor: e.borderColor = rgbOf(m, v); break;
    case Sharpness: e.sharpness = m.toNumber(v); break;
    case Thickness: e.thickness = m.toNumber(v); break;
    case AntiAliasType: {
        std::string t = m.toString(v);
        if (t == "advanced") e.advancedAntiAlias = true;
        else if (t == "normal") e.advancedAntiAlias = false;
        break;
    }
    case GridFitType: {
        std::string t = m.toString(v);
        if (t == "none") e.gridFit = 0;
        else if (t == "pixel") e.gridFit = 1;
        else if (t == "subpixel") e.gridFit = 2;
        break;
    }
    default: return;
    }
    if (prop == HtmlText || prop == Text || prop == EmbedFonts || prop == StyleSheet)
        adoptNamedFont(m.player().movie(), e);
    if (prop == HtmlText || prop == Text) {
        int32_t n = utf16Length(e.text);
        e.selectionBegin = std::min(e.selectionBegin, n);
        e.selectionEnd = std::min(e.selectionEnd, n);
    }
}

template <int P>
Value getter(Machine& m, Value self, std::span<Value>) {
    Field f = fieldOf(m, self);
    return f ? getProp(m, f, P) : Value();
}

template <int P>
Value setter(Machine& m, Value self, std::span<Value> a) {
    if (Field f = fieldOf(m, self)) setProp(m, f, P, arg(a, 0));
    return {};
}

bool readOnly(int p) {
    return p == TextHeight || p == TextWidth || p == BottomScroll || p == Length || p == MaxHScroll ||
           p == MaxScroll;
}

// The settings a player of version 8 brought; earlier movies see plain slots.
bool fromVersion8(int p) { return p >= Filters; }

// Added last to first: scripts list the newest property first.
template <int P>
void addAccessor(Machine& m, Object* proto) {
    if constexpr (P >= 0) {
        const char* name = kPropNames[P];
        m.setOwn(proto, name, Value());
        if (!fromVersion8(P) || m.version() >= 8) {
            Property* p = proto->find(m.heap().key(name));
            p->getter = m.newNative(getter<P>);
            if (!readOnly(P)) p->setter = m.newNative(setter<P>);
        }
        addAccessor<P - 1>(m, proto);
    }
}

// Replaces the UTF-16 range [from, to) of the field's text.
void replaceRange(Machine& m, Field f, int32_t from, int32_t to, const std::string& with) {
    EditText& e = *f.text;
    std::u16string t = toUtf16(e.text);
    int32_t n = static_cast<int32_t>(t.size());
    from = std::clamp(from, 0, n);
    to = std::clamp(to, from, n);
    std::u16string w = toUtf16(with);
    m.checkStringSize(t.size() + w.size());
    t.replace(static_cast<size_t>(from), static_cast<size_t>(to - from), w);
    setFieldText(e, toUtf8(t), false);
    e.selectionBegin = e.selectionEnd = from + static_cast<int32_t>(w.size());
}

int32_t indexArg(Machine& m, std::span<Value> a, size_t i, int32_t fallback) {
    if (i >= a.size() || a[i].isUndefined()) return fallback;
    double n = m.toNumber(a[i]);
    return std::isfinite(n) ? static_cast<int32_t>(std::clamp(n, -1e9, 1e9)) : fallback;
}

} // namespace

std::string fieldVariableText(Machine& m, const EditText& e) { return e.html ? markupOf(m, e) : e.text; }

void initTextFieldObject(Machine& m, Object* o) {
    // A field is a broadcaster with itself as its first listener.
    makeBroadcaster(m, o);
    Value list = hidden(m, o, "_listeners");
    if (list.isObject()) m.pushElement(list.o, Value(o));
}

void installTextField(Machine& m, Object* g) {
    Object* tp = m.newObject();
    Object* tf = addClass(m, g, "TextField", nothing, nullptr, tp);
    addMethod(m, tf, "getFontList", [](Machine& m, Value, std::span<Value>) -> Value {
        return Value(m.newArray({Value("_sans"), Value("_serif"), Value("_typewriter")}));
    });
    addAccessor<PropCount - 1>(m, tp);
    addMethod(m, tp, "getTextFormat", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Field f = fieldOf(m, self);
        if (!f) return {};
        const EditText& e = *f.text;
        Range r = rangeOf(m, a, std::min<size_t>(a.size(), 2), utf16Length(e.text));
        // Over no characters every setting is absent.
        std::optional<TextFormat> shared;
        forSpansIn(e.spans, r.from, r.to, [&](const TextSpan& sp) {
            TextFormat one = formatOf(m, e, sp);
            if (shared) keepShared(*shared, one);
            else shared = std::move(one);
        });
        return Value(makeTextFormat(m, shared.value_or(TextFormat{})));
    });
    addMethod(m, tp, "setTextFormat", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Field f = fieldOf(m, self);
        if (!f || a.empty()) return {};
        // The format comes last, after the range it is given to.
        const TextFormat* fmt = textFormatOf(a.back());
        if (!fmt) return {};
        EditText& e = *f.text;
        Range r = rangeOf(m, a, a.size() - 1, utf16Length(e.text));
        if (r.from >= r.to) return {};
        splitAt(e.spans, r.from);
        splitAt(e.spans, r.to);
        int32_t pos = 0;
        for (TextSpan& sp : e.spans) {
            int32_t n = utf16Length(sp.text);
            if (n > 0 && pos >= r.from && pos + n <= r.to) applyToSpan(m, e, sp, *fmt);
            pos += n;
        }
        applyToParagraphsIn(e.spans, r.from, r.to, *fmt);
        return {};
    });
    addMethod(m, tp, "getNewTextFormat", [](Machine& m, Value self, std::span<Value>) -> Value {
        Field f = fieldOf(m, self);
        return f ? Value(makeTextFormat(m, formatOf(m, *f.text, f.text->format))) : Value();
    });
    addMethod(m, tp, "setNewTextFormat", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Field f = fieldOf(m, self);
        const TextFormat* fmt = textFormatOf(arg(a, 0));
        if (!f || !fmt) return {};
        applyToSpan(m, *f.text, f.text->format, *fmt);
        applyToParagraph(f.text->format.para, *fmt);
        return {};
    });
    addMethod(m, tp, "replaceSel", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Field f = fieldOf(m, self);
        if (!f || a.empty()) return {};
        replaceRange(m, f, f.text->selectionBegin, f.text->selectionEnd, m.toString(a[0]));
        return {};
    });
    addMethod(m, tp, "replaceText", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Field f = fieldOf(m, self);
        if (!f || a.size() < 3) return {};
        int32_t from = indexArg(m, a, 0, 0), to = indexArg(m, a, 1, 0);
        if (from < 0 || to < from) return {};
        replaceRange(m, f, from, to, m.toString(a[2]));
        return {};
    });
    addMethod(m, tp, "removeTextField", [](Machine& m, Value self, std::span<Value>) -> Value {
        if (Clip* c = m.clipOf(self)) m.player().scriptRemove(*c);
        return {};
    });
    addMethod(m, tp, "getDepth", [](Machine& m, Value self, std::span<Value>) -> Value {
        Clip* c = m.clipOf(self);
        DisplayObject* d = c ? m.displayOf(*c) : nullptr;
        return d ? Value(d->depth - kScriptDepthBase) : Value();
    });
    installStyleSheet(m, tf);

    // Selection: the field with the keyboard focus, and its selected range.
    Object* selection = m.newObject();
    m.setOwn(g, "Selection", Value(selection), kDontEnum);
    makeBroadcaster(m, selection);
    addMethod(m, selection, "getFocus", [](Machine& m, Value, std::span<Value>) -> Value {
        std::shared_ptr<Clip> c = m.focus.lock();
        if (!c || c->removed) return Value::null();
        return Value(m.targetPath(*c, false));
    });
    addMethod(m, selection, "setFocus", [](Machine& m, Value, std::span<Value> a) -> Value {
        Value t = arg(a, 0);
        if (t.isNullish()) {
            m.focus.reset();
            return Value(true);
        }
        Clip* c = m.clipOf(t);
        if (!c && t.isString()) c = m.resolvePath(m.rootClip(), t.s);
        Field f = c ? fieldOf(m, Value(m.clipObject(*c))) : Field{};
        if (!f) return Value(false);
        m.focus = c->weak_from_this();
        // A field taking the focus has all its text selected.
        f.text->selectionBegin = 0;
        f.text->selectionEnd = utf16Length(f.text->text);
        return Value(true);
    });
    struct Index {
        static Value of(Machine& m, int which) {
            std::shared_ptr<Clip> c = m.focus.lock();
            if (!c || c->removed) return Value(-1);
            Field f = fieldOf(m, Value(m.clipObject(*c)));
            if (!f) return Value(-1);
            return Value(which == 0 ? f.text->selectionBegin : f.text->selectionEnd);
        }
    };
    addMethod(m, selection, "getBeginIndex", [](Machine& m, Value, std::span<Value>) -> Value { return Index::of(m, 0); });
    addMethod(m, selection, "getEndIndex", [](Machine& m, Value, std::span<Value>) -> Value { return Index::of(m, 1); });
    addMethod(m, selection, "getCaretIndex", [](Machine& m, Value, std::span<Value>) -> Value { return Index::of(m, 1); });
    addMethod(m, selection, "setSelection", [](Machine& m, Value, std::span<Value> a) -> Value {
        std::shared_ptr<Clip> c = m.focus.lock();
        if (!c || c->removed) return {};
        Field f = fieldOf(m, Value(m.clipObject(*c)));
        if (!f) return {};
        int32_t n = utf16Length(f.text->text);
        int32_t from = std::clamp(indexArg(m, a, 0, 0), 0, n), to = std::clamp(indexArg(m, a, 1, 0), 0, n);
        f.text->selectionBegin = std::min(from, to);
        f.text->selectionEnd = std::max(from, to);
        return {};
    });
}

} // namespace swf::avm1
