#include "swf/text/text.h"

#include "swf/format/limits.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <limits>
#include <cstdlib>

namespace swf {
namespace {

// A glyph outline from SHAPE records: every filled contour, whichever side.
std::vector<PathCmd> readGlyph(std::span<const uint8_t> data) {
    Reader g(data);
    auto recs = readShapeRecords(g, 1, false);
    auto* rr = std::get_if<ShapeRecords>(&recs);
    if (!rr) return {};
    FillStyle solid;
    rr->tables[0].fills.assign(1, solid);
    Shape s = buildShape(*rr, {}, false);
    std::vector<PathCmd> out;
    for (auto& p : s.paths)
        if (p.fill >= 0) out.insert(out.end(), p.cmds.begin(), p.cmds.end());
    return out;
}

std::string stripNul(std::string s) {
    while (!s.empty() && s.back() == '\0') s.pop_back();
    return s;
}

} // namespace

int Font::glyphFor(uint16_t code) const {
    for (size_t i = 0; i < glyphs.size(); ++i)
        if (glyphs[i].code == code) return static_cast<int>(i);
    return -1;
}

Result<Font> parseDefineFont(Reader& r, int fontVersion, int /*swfVersion*/) {
    Font f;
    if (fontVersion == 1) {
        const size_t tableStart = r.pos();
        uint16_t first = r.u16();
        size_t n = first / 2;
        std::vector<size_t> offsets{first};
        for (size_t i = 1; i < n && !r.overrun(); ++i) offsets.push_back(r.u16());
        auto all = r.data();
        for (size_t i = 0; i < offsets.size(); ++i) {
            size_t b = tableStart + offsets[i];
            size_t e = i + 1 < offsets.size() ? tableStart + offsets[i + 1] : all.size();
            if (b > all.size() || e > all.size() || b > e) break;
            Glyph gl;
            gl.outline = readGlyph(all.subspan(b, e - b));
            f.glyphs.push_back(std::move(gl));
        }
        return f;
    }
    uint8_t flags = r.u8();
    f.hasLayout = flags & 0x80;
    bool wideOffsets = flags & 0x08;
    bool wideCodes = flags & 0x04;
    f.italic = flags & 0x02;
    f.bold = flags & 0x01;
    r.u8(); // language
    uint8_t nameLen = r.u8();
    auto name = r.bytes(nameLen);
    f.name = stripNul(std::string(name.begin(), name.end()));
    f.emSize = fontVersion == 3 ? 20480 : 1024;
    uint16_t n = r.u16();
    if (n > limits::kMaxGlyphs) return Error{"font has too many glyphs"};
    const size_t tableStart = r.pos();
    std::vector<size_t> offsets;
    for (uint16_t i = 0; i < n && !r.overrun(); ++i) offsets.push_back(wideOffsets ? r.u32() : r.u16());
    size_t codeOffset = 0;
    if (n > 0 || r.remaining() >= (wideOffsets ? 4u : 2u))
        codeOffset = wideOffsets ? r.u32() : r.u16();
    if (r.overrun()) return Error{"font tables are truncated"};
    auto all = r.data();
    for (size_t i = 0; i < offsets.size(); ++i) {
        size_t b = tableStart + offsets[i];
        size_t e = i + 1 < offsets.size() ? tableStart + offsets[i + 1] : tableStart + codeOffset;
        Glyph gl;
        if (b <= e && e <= all.size()) gl.outline = readGlyph(all.subspan(b, e - b));
        f.glyphs.push_back(std::move(gl));
    }
    if (n == 0) return f;
    r.seek(tableStart + codeOffset);
    for (auto& g : f.glyphs) g.code = wideCodes ? r.u16() : r.u8();
    if (f.hasLayout) {
        f.ascent = r.s16();
        f.descent = r.s16();
        f.leading = r.s16();
        for (auto& g : f.glyphs) g.advance = r.s16();
        // Bounds and kerning are not needed for drawing.
    }
    if (r.overrun() && f.hasLayout) f.hasLayout = false;
    return f;
}

void applyFontInfo(Reader& r, Font& font, bool info2) {
    uint8_t nameLen = r.u8();
    auto name = r.bytes(nameLen);
    font.name = stripNul(std::string(name.begin(), name.end()));
    uint8_t flags = r.u8();
    font.italic = flags & 0x04;
    font.bold = flags & 0x02;
    bool wide = flags & 0x01;
    if (info2) r.u8();
    for (auto& g : font.glyphs) {
        if (r.remaining() < (wide ? 2u : 1u)) break;
        g.code = wide ? r.u16() : r.u8();
    }
}

Result<StaticText> parseDefineText(Reader& r, int textVersion) {
    StaticText t;
    t.bounds = r.rect();
    t.matrix = r.matrix();
    int glyphBits = r.u8();
    int advanceBits = r.u8();
    if (glyphBits > 32 || advanceBits > 32) return Error{"text record bit widths are invalid"};
    TextRun cur;
    while (!r.overrun()) {
        uint8_t flags = r.u8();
        if (flags == 0) break;
        if (flags & 0x08) cur.fontId = r.u16();
        if (flags & 0x04) cur.color = textVersion >= 2 ? r.rgba() : r.rgb();
        if (flags & 0x01) cur.x = r.s16();
        if (flags & 0x02) cur.y = r.s16();
        if (flags & 0x08) cur.height = r.u16();
        uint8_t count = r.u8();
        TextRun run = cur;
        run.glyphs.clear();
        int64_t advanceSum = 0;
        for (int i = 0; i < count && !r.overrun(); ++i) {
            TextGlyph g;
            g.index = r.ub(glyphBits);
            // No real advance comes near a million twips; clamping keeps sums in range.
            g.advance = std::clamp(r.sb(advanceBits), -(1 << 20), 1 << 20);
            advanceSum += g.advance;
            run.glyphs.push_back(g);
        }
        r.align();
        // The pen carries on to the next record.
        cur.x = static_cast<int32_t>(std::clamp<int64_t>(cur.x + advanceSum, INT32_MIN / 2, INT32_MAX / 2));
        t.runs.push_back(std::move(run));
    }
    return t;
}

namespace {

// Value of an attribute in a tag's text (name="value", name='value' or name=value).
std::string attribute(const std::string& tag, const char* name) {
    std::string lower = asciiLower(tag);
    std::string key = std::string(name) + "=";
    size_t at = 0;
    while ((at = lower.find(key, at)) != std::string::npos) {
        if (at == 0 || lower[at - 1] == ' ') break;
        at += key.size();
    }
    if (at == std::string::npos) return {};
    size_t v = at + key.size();
    if (v >= tag.size()) return {};
    char quote = tag[v];
    if (quote == '"' || quote == '\'') {
        size_t e = tag.find(quote, v + 1);
        return tag.substr(v + 1, e == std::string::npos ? std::string::npos : e - v - 1);
    }
    size_t e = tag.find(' ', v);
    return tag.substr(v, e == std::string::npos ? std::string::npos : e - v);
}

// "#" and hex digits, whitespace allowed after the "#": the digits read up to the
// first that is not one, the last six of them counting.
std::optional<Rgba> parseColor(const std::string& v) {
    if (v.empty() || v[0] != '#') return std::nullopt;
    size_t i = v.find_first_not_of(" \t\r\n", 1);
    uint32_t n = 0;
    size_t digits = 0;
    for (; i < v.size() && std::isxdigit(static_cast<unsigned char>(v[i])); ++i, ++digits) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(v[i])));
        n = ((n << 4) | static_cast<uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10)) & 0xffffff;
    }
    if (digits == 0) return std::nullopt;
    return Rgba{static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n), 255};
}

} // namespace

namespace {

// A whole number of twips from an attribute in pixels, within what T holds.
template <class T>
std::optional<T> twipsAttribute(const std::string& v) {
    if (v.empty()) return std::nullopt;
    char* end = nullptr;
    double px = std::strtod(v.c_str(), &end);
    if (end == v.c_str() || !(px == px)) return std::nullopt;
    double t = std::clamp(std::round(px * 20), double(std::numeric_limits<T>::min()),
                          double(std::numeric_limits<T>::max()));
    return static_cast<T>(t);
}

} // namespace

std::vector<TextSpan> htmlToSpans(const std::string& html, const TextSpan& base, bool multiline) {
    std::vector<TextSpan> spans;
    TextSpan start = base;
    start.text.clear();
    std::vector<TextSpan> styles{start}; // the open styles, innermost last
    auto emit = [&](const std::string& text) {
        const TextSpan& st = styles.back();
        if (!spans.empty() && spans.back().sameStyle(st)) {
            spans.back().text += text;
            return;
        }
        TextSpan sp = st;
        sp.text = text;
        spans.push_back(std::move(sp));
    };
    // &nbsp; is the no-break space U+00A0, kept as its own character.
    static const std::pair<const char*, const char*> entities[] = {{"&lt;", "<"},     {"&gt;", ">"},
                                                                   {"&amp;", "&"},    {"&quot;", "\""},
                                                                   {"&apos;", "'"},   {"&nbsp;", "\xC2\xA0"}};
    std::string run;
    size_t i = 0;
    while (i < html.size()) {
        char c = html[i];
        if (c == '&') {
            bool matched = false;
            for (auto& [name, ch] : entities) {
                size_t len = std::char_traits<char>::length(name);
                if (html.compare(i, len, name) == 0) {
                    run += ch;
                    i += len;
                    matched = true;
                    break;
                }
            }
            if (!matched) run.push_back(html[i++]);
            continue;
        }
        if (c != '<') {
            run.push_back(c);
            ++i;
            continue;
        }
        size_t end = html.find('>', i);
        if (end == std::string::npos) break;
        std::string tag = html.substr(i + 1, end - i - 1);
        i = end + 1;
        if (!run.empty()) {
            emit(run);
            run.clear();
        }
        const bool closing = !tag.empty() && tag[0] == '/';
        std::string name = asciiLower(tag.substr(closing ? 1 : 0, tag.find_first_of(" /", closing ? 1 : 0) - (closing ? 1 : 0)));
        const bool paragraph = name == "p" || name == "li";
        if (name == "br") {
            emit("\n");
            continue;
        }
        if (!paragraph && name != "b" && name != "i" && name != "u" && name != "font" && name != "textformat")
            continue;
        if (closing) {
            // A multiline field ends a paragraph where its element closes; a
            // single-line one keeps only the breaks the text itself has.
            if (paragraph && multiline) emit("\n");
            if (styles.size() > 1) styles.pop_back();
            continue;
        }
        if (styles.size() > 64) continue; // unclosed tags: keep the stack bounded
        TextSpan st = styles.back();
        if (name == "b") st.bold = true;
        if (name == "i") st.italic = true;
        if (name == "u") st.underline = true;
        if (name == "p") {
            static const char* const aligns[] = {"left", "right", "center", "justify"};
            std::string a = asciiLower(attribute(tag, "align"));
            for (uint8_t k = 0; k < 4; ++k)
                if (a == aligns[k]) st.para.align = k;
        }
        if (name == "li") st.para.bullet = true;
        if (name == "textformat") {
            if (auto v = twipsAttribute<uint16_t>(attribute(tag, "leftmargin"))) st.para.leftMargin = *v;
            if (auto v = twipsAttribute<uint16_t>(attribute(tag, "rightmargin"))) st.para.rightMargin = *v;
            if (auto v = twipsAttribute<uint16_t>(attribute(tag, "indent"))) st.para.indent = *v;
            if (auto v = twipsAttribute<int32_t>(attribute(tag, "blockindent"))) st.para.blockIndent = *v;
            if (auto v = twipsAttribute<int16_t>(attribute(tag, "leading"))) st.para.leading = *v;
            std::string stops = attribute(tag, "tabstops");
            if (!stops.empty()) {
                st.para.tabStops.clear();
                size_t at = 0;
                while (at <= stops.size() && st.para.tabStops.size() < 256) {
                    size_t comma = stops.find(',', at);
                    std::string one = stops.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
                    st.para.tabStops.push_back(std::trunc(std::strtod(one.c_str(), nullptr)));
                    if (comma == std::string::npos) break;
                    at = comma + 1;
                }
            }
        }
        if (name == "font") {
            if (auto col = parseColor(attribute(tag, "color"))) st.color = col;
            std::string size = attribute(tag, "size");
            if (!size.empty()) {
                long px = std::strtol(size.c_str(), nullptr, 10);
                if (size[0] == '+' || size[0] == '-') px += st.height.value_or(0) / 20;
                if (px > 0 && px < 1000) st.height = static_cast<uint16_t>(px * 20);
            }
            std::string face = attribute(tag, "face");
            if (!face.empty()) st.face = face;
            std::string kerning = attribute(tag, "kerning");
            if (!kerning.empty()) st.kerning = std::strtol(kerning.c_str(), nullptr, 10) != 0;
            std::string spacing = attribute(tag, "letterspacing");
            if (!spacing.empty()) {
                double v = std::strtod(spacing.c_str(), nullptr);
                if (std::isfinite(v)) st.letterSpacing = std::clamp(v, -1000.0, 1000.0);
            }
        }
        styles.push_back(std::move(st));
    }
    if (!run.empty()) emit(run);
    unifyParagraphs(spans);
    return spans;
}

void unifyParagraphs(std::vector<TextSpan>& spans) {
    std::vector<TextSpan> out;
    std::optional<ParagraphStyle> para; // the settings of the paragraph being read
    bool open = false; // the last run kept has no line break yet
    for (TextSpan& sp : spans) {
        const std::string text = std::move(sp.text);
        sp.text.clear();
        size_t at = 0;
        while (at < text.size()) {
            size_t nl = text.find_first_of("\r\n", at);
            size_t stop = nl == std::string::npos ? text.size() : nl + 1;
            TextSpan piece = sp;
            piece.text = text.substr(at, stop - at);
            if (para) piece.para = *para;
            if (open && out.back().sameStyle(piece))
                out.back().text += piece.text;
            else
                out.push_back(std::move(piece));
            open = nl == std::string::npos;
            if (nl == std::string::npos) para = out.back().para;
            else para.reset();
            at = stop;
        }
    }
    spans = std::move(out);
}

void takeFontStyle(EditText& e, const Font& font) {
    e.format.bold = font.bold;
    e.format.italic = font.italic;
    if (e.html) return;
    for (TextSpan& sp : e.spans) {
        sp.bold = font.bold;
        sp.italic = font.italic;
    }
}

namespace {

// The character codes of UTF-8 text, sequences of up to three bytes decoded.
std::vector<uint16_t> characterCodes(const std::string& text) {
    std::vector<uint16_t> out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char ch = static_cast<unsigned char>(text[i]);
        uint16_t code = ch;
        if (ch >= 0xc0 && ch < 0xe0 && i + 1 < text.size()) {
            code = static_cast<uint16_t>(((ch & 0x1f) << 6) | (text[i + 1] & 0x3f));
            i += 1;
        } else if (ch >= 0xe0 && i + 2 < text.size()) {
            code = static_cast<uint16_t>(((ch & 0x0f) << 12) | ((text[i + 1] & 0x3f) << 6) | (text[i + 2] & 0x3f));
            i += 2;
        }
        out.push_back(code);
    }
    return out;
}

} // namespace

TextLayout layoutText(const EditText& e, const Font& font, const FontPicker& pick) {
    const ParagraphStyle& para = e.paragraph();
    const double room = e.bounds.width() - 2 * kTextGutter - para.leftMargin - para.rightMargin;
    TextLayout out;
    auto open = [&](const Font& f, double scale) {
        LaidLine l;
        l.ascent = f.ascent * scale;
        l.descent = f.descent * scale;
        l.leading = para.leading;
        out.lines.push_back(std::move(l));
    };
    auto measure = [](LaidLine& l) {
        l.width = 0;
        for (const LaidGlyph& g : l.glyphs)
            if (g.glyph->code != ' ') l.width = g.x + g.glyph->advance * g.scale;
    };
    open(font, (e.spans.empty() ? e.format.height.value_or(e.height) : e.spans.front().height.value_or(e.height)) /
                   font.emSize);
    double pen = 0;
    size_t breakAt = 0; // glyphs before this on the line end a word
    for (size_t si = 0; si < e.spans.size(); ++si) {
        const TextSpan& span = e.spans[si];
        const Font* picked = pick ? pick(span) : nullptr;
        const Font& f = picked ? *picked : font;
        const double scale = span.height.value_or(e.height) / f.emSize;
        const double spacing = span.letterSpacing * 20;
        for (uint16_t code : characterCodes(span.text)) {
            if (e.password && code != '\n' && code != '\r') code = '*';
            if (code == '\n' || code == '\r') {
                open(f, scale);
                pen = 0;
                breakAt = 0;
                continue;
            }
            int gi = f.glyphFor(code);
            // A font without a no-break space lends it the plain space's glyph.
            if (gi < 0 && code == 0xa0) gi = f.glyphFor(' ');
            if (gi < 0) continue;
            const Glyph* g = &f.glyphs[static_cast<size_t>(gi)];
            const double advance = g->advance * scale + spacing;
            LaidLine* l = &out.lines.back();
            if (e.wordWrap && code != ' ' && pen + advance > room && !l->glyphs.empty()) {
                // The word moves to a line of its own; a word longer than the line
                // breaks where it reaches the edge.
                std::vector<LaidGlyph> word;
                if (breakAt > 0 && breakAt < l->glyphs.size()) {
                    word.assign(l->glyphs.begin() + static_cast<std::ptrdiff_t>(breakAt), l->glyphs.end());
                    l->glyphs.resize(breakAt);
                }
                measure(*l);
                open(f, scale);
                l = &out.lines.back();
                pen = 0;
                for (LaidGlyph& w : word) {
                    w.x = pen;
                    pen += w.glyph->advance * w.scale + e.spans[w.span].letterSpacing * 20;
                    l->glyphs.push_back(w);
                }
                breakAt = 0;
            }
            l->glyphs.push_back({g, scale, si, pen});
            l->ascent = std::max(l->ascent, f.ascent * scale);
            l->descent = std::max(l->descent, f.descent * scale);
            pen += advance;
            if (code == ' ') breakAt = l->glyphs.size();
        }
    }
    for (LaidLine& l : out.lines) {
        measure(l);
        out.width = std::max(out.width, l.width);
        out.height += l.height();
    }
    return out;
}

Result<EditText> parseDefineEditText(Reader& r, int swfVersion) {
    EditText e;
    e.bounds = r.rect();
    uint8_t f1 = r.u8();
    uint8_t f2 = r.u8();
    bool hasText = f1 & 0x80;
    e.wordWrap = f1 & 0x40;
    e.multiline = f1 & 0x20;
    e.password = f1 & 0x10;
    e.readOnly = f1 & 0x08;
    bool hasColor = f1 & 0x04;
    bool hasMaxLength = f1 & 0x02;
    bool hasFont = f1 & 0x01;
    bool hasFontClass = f2 & 0x80;
    e.autoSize = f2 & 0x40;
    bool hasLayout = f2 & 0x20;
    e.border = f2 & 0x08;
    e.background = e.border; // the border flag draws the box with its background
    bool noSelect = f2 & 0x10;
    e.selectable = !noSelect;
    e.html = f2 & 0x02;
    e.useOutlines = f2 & 0x01;
    if (hasFont) e.fontId = r.u16();
    if (hasFontClass) e.fontClass = r.string();
    if (hasFont || hasFontClass) e.height = r.u16();
    if (hasColor) e.color = r.rgba();
    if (hasMaxLength) e.maxChars = r.u16();
    if (hasLayout) {
        e.align = r.u8();
        e.leftMargin = r.u16();
        e.rightMargin = r.u16();
        e.indent = r.u16();
        e.leading = r.s16();
    }
    e.variableName = r.string();
    if (hasText) e.text = r.string();
    e.format.para.align = e.align;
    e.format.para.leftMargin = e.leftMargin;
    e.format.para.rightMargin = e.rightMargin;
    e.format.para.indent = e.indent;
    e.format.para.leading = e.leading;
    if (e.html) {
        // The markup's paragraphs take the tag's alignment only from version 8 on;
        // a field without markup has no paragraph that took it.
        if (swfVersion < 8 || !hasText) e.format.para.align = 0;
        e.spans = htmlToSpans(e.text, e.format, e.multiline);
        e.text.clear();
        for (const TextSpan& sp : e.spans) e.text += sp.text;
    } else if (!e.text.empty()) {
        TextSpan sp = e.format;
        sp.text = e.text;
        e.spans.push_back(std::move(sp));
    }
    if (r.overrun() && !hasText) return Error{"text field is truncated"};
    return e;
}

} // namespace swf
