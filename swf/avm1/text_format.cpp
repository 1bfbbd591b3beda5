// TextFormat: a set of character and paragraph settings, each of which may be
// absent (null), read from and given to text fields.
#include "swf/avm1/geom.h"
#include "swf/avm1/machine.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {

namespace {

struct FormatData : HostData {
    TextFormat f;
};

FormatData* formatData(const Value& self) {
    return self.isObject() ? dynamic_cast<FormatData*>(self.o->host.get()) : nullptr;
}

const char* const kAlignNames[] = {"left", "right", "center", "justify"};

std::optional<uint8_t> alignOf(Machine& m, const Value& v) {
    if (v.isNullish()) return std::nullopt;
    std::string s = asciiLower(m.toString(v));
    for (uint8_t i = 0; i < 4; ++i)
        if (s == kAlignNames[i]) return i;
    return std::nullopt;
}

// Numbers are kept whole, cut toward zero.
double whole(Machine& m, const Value& v) { return static_cast<double>(m.toInt(v)); }

// The settings in the order the constructor takes them, then the rest.
enum Setting {
    Font,
    Size,
    Color,
    Bold,
    Italic,
    Underline,
    Url,
    Target,
    Align,
    LeftMargin,
    RightMargin,
    Indent,
    Leading,
    BlockIndent,
    Bullet,
    TabStops,
    Kerning,
    LetterSpacing,
    Display,
    SettingCount
};

const char* const kSettingNames[SettingCount] = {
    "font",       "size",   "color",  "bold",        "italic",  "underline",   "url",
    "target",     "align",  "leftMargin", "rightMargin", "indent", "leading", "blockIndent",
    "bullet",     "tabStops", "kerning", "letterSpacing", "display"};

template <class T>
Value optional(const std::optional<T>& v) {
    return v ? Value(*v) : Value::null();
}

Value getSetting(Machine& m, const TextFormat& f, int s) {
    switch (s) {
    case Font: return optional(f.font);
    case Size: return optional(f.size);
    case Color: return f.color ? Value(static_cast<double>(*f.color)) : Value::null();
    case Bold: return optional(f.bold);
    case Italic: return optional(f.italic);
    case Underline: return optional(f.underline);
    case Url: return optional(f.url);
    case Target: return optional(f.target);
    case Align: return f.align ? Value(kAlignNames[*f.align & 3]) : Value::null();
    case LeftMargin: return optional(f.leftMargin);
    case RightMargin: return optional(f.rightMargin);
    case Indent: return optional(f.indent);
    case Leading: return optional(f.leading);
    case BlockIndent: return optional(f.blockIndent);
    case Bullet: return optional(f.bullet);
    case TabStops: {
        if (!f.tabStops) return Value::null();
        std::vector<Value> stops;
        for (double t : *f.tabStops) stops.emplace_back(t);
        return Value(m.newArray(std::move(stops)));
    }
    case Kerning: return optional(f.kerning);
    case LetterSpacing: return optional(f.letterSpacing);
    case Display: return Value(f.display);
    default: return {};
    }
}

// Writes one setting. A value the setting cannot take leaves alignment as it
// was; a property write keeps margins from going below zero (and indent and
// leading too before version 8), while the constructor takes them as given.
void setSetting(Machine& m, TextFormat& f, int s, const Value& v, bool fromProperty) {
    auto text = [&](std::optional<std::string>& out) {
        if (v.isNullish()) out.reset();
        else out = m.toString(v);
    };
    auto flag = [&](std::optional<bool>& out) {
        if (v.isNullish()) out.reset();
        else out = m.toBoolean(v);
    };
    auto number = [&](std::optional<double>& out, bool neverNegative) {
        if (v.isNullish()) {
            out.reset();
            return;
        }
        double n = whole(m, v);
        out = fromProperty && neverNegative ? std::max(n, 0.0) : n;
    };
    const bool oldLimits = m.version() < 8;
    switch (s) {
    case Font: text(f.font); break;
    case Size: number(f.size, false); break;
    case Color:
        if (v.isNullish()) f.color.reset();
        else f.color = static_cast<uint32_t>(m.toInt(v));
        break;
    case Bold: flag(f.bold); break;
    case Italic: flag(f.italic); break;
    case Underline: flag(f.underline); break;
    case Url: text(f.url); break;
    case Target: text(f.target); break;
    case Align:
        if (!fromProperty) f.align = alignOf(m, v);
        else if (auto a = alignOf(m, v)) f.align = a;
        break;
    case LeftMargin: number(f.leftMargin, true); break;
    case RightMargin: number(f.rightMargin, true); break;
    case Indent: number(f.indent, oldLimits); break;
    case Leading: number(f.leading, oldLimits); break;
    case BlockIndent: number(f.blockIndent, true); break;
    case Bullet: flag(f.bullet); break;
    case TabStops: {
        if (!v.isObject() || v.o->kind != Kind::Array) {
            f.tabStops.reset();
            break;
        }
        std::vector<double> stops;
        for (const Value& e : m.elements(v)) stops.push_back(whole(m, e));
        f.tabStops = std::move(stops);
        break;
    }
    case Kerning: flag(f.kerning); break;
    case LetterSpacing:
        if (v.isNullish()) f.letterSpacing.reset();
        else f.letterSpacing = m.toNumber(v);
        break;
    case Display: {
        std::string d = v.isString() ? v.s : std::string();
        f.display = d == "inline" || d == "none" ? d : "block";
        break;
    }
    default: break;
    }
}

template <int S>
Value settingGet(Machine& m, Value self, std::span<Value>) {
    FormatData* d = formatData(self);
    return d ? getSetting(m, d->f, S) : Value();
}

template <int S>
Value settingSet(Machine& m, Value self, std::span<Value> a) {
    if (FormatData* d = formatData(self)) setSetting(m, d->f, S, arg(a, 0), true);
    return {};
}

template <int S>
void addSettings(Machine& m, Object* proto) {
    if constexpr (S < SettingCount) {
        addAccessor(m, proto, kSettingNames[S], settingGet<S>, settingSet<S>);
        addSettings<S + 1>(m, proto);
    }
}

// new TextFormat(font, size, color, bold, italic, underline, url, target, align,
// leftMargin, rightMargin, indent, leading)
Value formatInit(Machine& m, Value self, std::span<Value> a) {
    if (!self.isObject()) return {};
    auto d = std::make_unique<FormatData>();
    for (int s = Font; s <= Leading; ++s) setSetting(m, d->f, s, arg(a, static_cast<size_t>(s)), false);
    self.o->host = std::move(d);
    return {};
}

} // namespace

const TextFormat* textFormatOf(const Value& v) {
    FormatData* d = formatData(v);
    return d ? &d->f : nullptr;
}

Object* makeTextFormat(Machine& m, const TextFormat& f) {
    Object* o = m.newObject(m.proto("TextFormat"));
    auto d = std::make_unique<FormatData>();
    d->f = f;
    o->host = std::move(d);
    return o;
}

void installTextFormat(Machine& m, Object* g) {
    Object* fp = m.newObject();
    addClass(m, g, "TextFormat", formatInit, nullptr, fp);
    addSettings<0>(m, fp);
}

} // namespace swf::avm1
