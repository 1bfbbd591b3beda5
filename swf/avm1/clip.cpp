// Movie clips as script objects: paths, the underscore properties, bounds, and
// the text field properties of clips that stand for text fields.
#include "swf/avm1/machine.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <optional>

namespace swf::avm1 {

namespace {

enum Prop {
    X, Y, XScale, YScale, CurrentFrame, TotalFrames, Alpha, Visible, Width, Height, Rotation, Target,
    FramesLoaded, Name, DropTarget, Url, HighQuality, FocusRect, SoundBufTime, Quality, XMouse, YMouse,
    Parent = 100, Root, Level0, Lockroot
};

int propIndex(const std::string& name) {
    static const std::pair<const char*, int> names[] = {
        {"_x", X}, {"_y", Y}, {"_xscale", XScale}, {"_yscale", YScale}, {"_currentframe", CurrentFrame},
        {"_totalframes", TotalFrames}, {"_alpha", Alpha}, {"_visible", Visible}, {"_width", Width},
        {"_height", Height}, {"_rotation", Rotation}, {"_target", Target}, {"_framesloaded", FramesLoaded},
        {"_name", Name}, {"_droptarget", DropTarget}, {"_url", Url}, {"_highquality", HighQuality},
        {"_focusrect", FocusRect}, {"_soundbuftime", SoundBufTime}, {"_quality", Quality},
        {"_xmouse", XMouse}, {"_ymouse", YMouse}, {"_parent", Parent}, {"_root", Root}, {"_level0", Level0},
        {"_lockroot", Lockroot}};
    std::string l = asciiLower(name);
    for (auto& [n, i] : names)
        if (l == n) return i;
    return -1;
}

Rect transformRect(const Rect& r, const Matrix& m) {
    double xs[4], ys[4];
    m.map(r.xmin, r.ymin, xs[0], ys[0]);
    m.map(r.xmax, r.ymin, xs[1], ys[1]);
    m.map(r.xmin, r.ymax, xs[2], ys[2]);
    m.map(r.xmax, r.ymax, xs[3], ys[3]);
    auto [x0, x1] = std::minmax_element(xs, xs + 4);
    auto [y0, y1] = std::minmax_element(ys, ys + 4);
    return Rect{static_cast<int32_t>(std::floor(*x0)), static_cast<int32_t>(std::ceil(*x1)),
                static_cast<int32_t>(std::floor(*y0)), static_cast<int32_t>(std::ceil(*y1))};
}

void unite(Rect& acc, bool& any, const Rect& r) {
    if (r.xmax < r.xmin || r.ymax < r.ymin) return;
    if (!any) {
        acc = r;
        any = true;
        return;
    }
    acc.xmin = std::min(acc.xmin, r.xmin);
    acc.ymin = std::min(acc.ymin, r.ymin);
    acc.xmax = std::max(acc.xmax, r.xmax);
    acc.ymax = std::max(acc.ymax, r.ymax);
}

double xscaleOf(const Matrix& m) { return std::sqrt(m.a * m.a + m.b * m.b); }
double yscaleOf(const Matrix& m) {
    double s = std::sqrt(m.c * m.c + m.d * m.d);
    return (m.a * m.d - m.b * m.c) < 0 ? -s : s;
}
double rotationOf(const Matrix& m) { return std::atan2(m.b, m.a); }

void compose(Matrix& m, double sx, double sy, double rot) {
    m.a = sx * std::cos(rot);
    m.b = sx * std::sin(rot);
    double skew = rot; // no skew: y axis follows the rotation
    m.c = -sy * std::sin(skew);
    m.d = sy * std::cos(skew);
}

double round6(double v) { return std::round(v * 1e6) / 1e6; }

} // namespace

Clip* Machine::rootClip() { return player_.rootPtr().get(); }

Object* Machine::clipObject(Clip& c) {
    if (c.object) return c.object;
    // Before SWF 6 a button is no script object: scripts reaching it get the clip it is on.
    if (c.button && c.parent && version_ < 6) return clipObject(*c.parent);
    global();
    Object* p = c.textField ? proto("TextField") : c.button ? proto("Button") : proto("MovieClip");
    if (!c.textField && !c.button && c.characterId) {
        auto it = registered.find(c.characterId);
        if (it != registered.end()) {
            Value pr = getOf(it->second, "prototype", Value(it->second));
            if (pr.isObject()) p = pr.o;
        }
    }
    Object* o = heap_.make(Kind::Clip, p);
    o->clip = c.weak_from_this();
    c.object = o;
    if (c.textField) initTextFieldObject(*this, o);
    return o;
}

Clip* Machine::clipOf(const Value& v) {
    if (!v.isObject() || v.o->kind != Kind::Clip) return nullptr;
    Clip* c = v.o->clip.lock().get();
    return c;
}

DisplayObject* Machine::displayOf(Clip& c) {
    if (!c.parent) return &c == player_.rootPtr().get() ? &player_.rootObject() : nullptr;
    for (auto& [d, obj] : c.parent->list)
        if (obj.clip.get() == &c) return &obj;
    return nullptr;
}

Matrix Machine::stageMatrix(Clip& c) {
    Matrix w;
    for (Clip* p = &c; p; p = p->parent)
        if (DisplayObject* d = displayOf(*p)) w = d->matrix * w;
    return w;
}

// "_levelN" and "_flashN" name a level: N is read as parseInt reads it (no digits is
// 0, anything after them is ignored) and wraps at 32 bits. Only level 0 is there.
static std::optional<int32_t> levelNumber(const std::string& lowerName) {
    if (lowerName.rfind("_level", 0) != 0 && lowerName.rfind("_flash", 0) != 0) return std::nullopt;
    size_t i = 6;
    bool negative = i < lowerName.size() && lowerName[i] == '-';
    if (i < lowerName.size() && (lowerName[i] == '-' || lowerName[i] == '+')) ++i;
    double n = 0;
    for (; i < lowerName.size() && std::isdigit(static_cast<unsigned char>(lowerName[i])); ++i)
        n = std::fmod(n * 10 + (lowerName[i] - '0'), 4294967296.0);
    return toInt32(negative ? -n : n);
}

static Clip* childNamed(Machine& m, Clip& c, const std::string& name) {
    std::string want = m.heap().key(name);
    Clip* found = nullptr;
    for (auto& [depth, obj] : c.list)
        if (obj.clip && !obj.name.empty() && m.heap().key(obj.name) == want) {
            found = obj.clip.get();
            break;
        }
    return found;
}

Clip* Machine::resolvePath(Clip* base, const std::string& path) {
    if (!base) base = rootClip();
    if (path.empty()) return base;
    Clip* c = base;
    size_t i = 0;
    if (path[0] == '/') {
        c = rootClip();
        i = 1;
    }
    while (i < path.size() && c) {
        size_t j = path.find_first_of("/.:", i);
        if (j == std::string::npos) j = path.size();
        std::string part = path.substr(i, j - i);
        if (j < path.size() && path[j] == '.' && j + 1 < path.size() && path[j + 1] == '.' && part.empty()) {
            c = c->parent;
            i = j + 2;
            if (i < path.size() && path[i] == '/') ++i;
            continue;
        }
        std::string lp = asciiLower(part);
        if (part.empty() && j < path.size() && path[j] == '/') {
            return nullptr; // "a//b" names nothing
        } else if (part.empty() || lp == "this") {
        } else if (lp == "_root") {
            c = rootClip();
        } else if (auto level = levelNumber(lp)) {
            c = *level == 0 ? rootClip() : nullptr;
        } else if (lp == "_parent") {
            c = c->parent;
        } else if (lp == "..") {
            c = c->parent;
        } else {
            Clip* next = childNamed(*this, *c, part);
            if (!next && c->object) {
                // A variable holding a clip serves as a path part too.
                Property* p = c->object->find(heap_.key(part));
                if (p && p->value.isObject()) next = clipOf(p->value);
            }
            c = next;
        }
        i = j + 1;
    }
    return c;
}

std::string Machine::targetPath(Clip& c, bool slash) {
    std::vector<std::string> names;
    for (Clip* p = &c; p && p->parent; p = p->parent) {
        DisplayObject* d = displayOf(*p);
        names.push_back(d ? d->name : std::string());
    }
    std::string out = slash ? "" : "_level0";
    for (auto it = names.rbegin(); it != names.rend(); ++it) out += (slash ? "/" : ".") + *it;
    if (slash && out.empty()) out = "/";
    return out;
}

Rect Machine::clipBounds(Clip& c, const Matrix& m) { return clipExtent(c, m).value_or(Rect{}); }

std::optional<Rect> Machine::clipExtent(Clip& c, const Matrix& m) {
    Rect acc{};
    bool any = false;
    if (c.drawing && !c.drawing->shape.bounds.empty()) unite(acc, any, transformRect(c.drawing->shape.bounds, m));
    if (c.drawing && c.drawing->shape.bounds.width() == 0 && c.drawing->shape.bounds.height() == 0 &&
        !c.drawing->shape.paths.empty())
        unite(acc, any, transformRect(c.drawing->shape.bounds, m));
    for (auto& [d, obj] : c.list) {
        Matrix w = m * obj.matrix;
        if (obj.clip && !obj.clip->textField) {
            Rect r = clipBounds(*obj.clip, w);
            if (r.xmax >= r.xmin && !(r.xmin == 0 && r.xmax == 0 && r.ymin == 0 && r.ymax == 0 && obj.clip->list.empty() && !obj.clip->drawing))
                unite(acc, any, r);
            continue;
        }
        if (obj.picture) {
            auto [pw, ph] = obj.picture->pictureSize();
            if (pw > 0 && ph > 0) unite(acc, any, transformRect(Rect{0, pw * 20, 0, ph * 20}, w));
            continue;
        }
        const Character* ch = obj.character;
        if (!ch) continue;
        if (const auto* s = std::get_if<Shape>(ch)) unite(acc, any, transformRect(s->bounds, w));
        else if (const auto* mo = std::get_if<MorphShape>(ch)) unite(acc, any, transformRect(mo->startBounds, w));
        else if (const auto* t = std::get_if<StaticText>(ch)) unite(acc, any, transformRect(t->bounds, w * t->matrix));
        else if (const auto* e = std::get_if<EditText>(ch)) unite(acc, any, transformRect(e->bounds, w));
    }
    if (!any) return std::nullopt;
    return acc;
}

Value Machine::getProperty(Clip& c, int index) {
    DisplayObject* d = displayOf(c);
    static const DisplayObject none;
    const DisplayObject& obj = d ? *d : none;
    const Matrix& mx = obj.matrix;
    switch (index) {
    case X: return Value(mx.tx / 20.0);
    case Y: return Value(mx.ty / 20.0);
    case XScale: return Value(round6(xscaleOf(mx) * 100));
    case YScale: return Value(round6(yscaleOf(mx) * 100));
    case CurrentFrame: return Value(c.timeline ? std::max(1, c.frame + 1) : 1);
    case TotalFrames:
    case FramesLoaded: return Value(c.timeline ? static_cast<int>(c.timeline->frames.size()) : 1);
    case Alpha: return Value(obj.colorTransform.aMul * 100.0 / 256.0);
    case Visible: return Value(obj.visible);
    case Width:
    case Height: {
        Rect r = clipBounds(c, mx);
        if (c.textField && c.ownCharacter)
            if (auto* e = std::get_if<EditText>(c.ownCharacter.get())) r = transformRect(e->bounds, mx);
        return Value((index == Width ? r.width() : r.height()) / 20.0);
    }
    case Rotation: {
        double deg = rotationOf(mx) * 180 / std::numbers::pi;
        return Value(round6(deg));
    }
    case Target: return Value(targetPath(c, true));
    case Name: return Value(obj.name);
    case DropTarget: return Value("");
    case Url: return Value("");
    case HighQuality: return Value(1);
    case FocusRect: return Value(1);
    case SoundBufTime: return Value(5);
    case Quality: return Value("HIGH");
    case XMouse:
    case YMouse: return Value(0);
    default: return {};
    }
}

void Machine::setProperty(Clip& c, int index, const Value& v) {
    DisplayObject* d = displayOf(c);
    if (index == Name) {
        if (d) d->name = toString(v);
        return;
    }
    if (index == Quality || index == HighQuality || index == FocusRect || index == SoundBufTime) return;
    if (!d) return;
    double n = toNumber(v);
    Matrix& mx = d->matrix;
    auto finite = [&] { return std::isfinite(n); };
    switch (index) {
    case X:
        if (finite()) mx.tx = std::trunc(std::clamp(n, -1e8, 1e8) * 20);
        break;
    case Y:
        if (finite()) mx.ty = std::trunc(std::clamp(n, -1e8, 1e8) * 20);
        break;
    case XScale:
        if (finite()) compose(mx, n / 100, yscaleOf(mx), rotationOf(mx));
        break;
    case YScale:
        if (finite()) compose(mx, xscaleOf(mx), n / 100, rotationOf(mx));
        break;
    case Rotation:
        if (finite()) {
            double deg = std::fmod(n, 360.0);
            if (deg > 180) deg -= 360;
            if (deg < -180) deg += 360;
            compose(mx, xscaleOf(mx), yscaleOf(mx), deg * std::numbers::pi / 180);
        }
        break;
    case Alpha:
        if (finite()) d->colorTransform.aMul = static_cast<int32_t>(std::clamp(n, -1e6, 1e6) * 256 / 100);
        break;
    case Visible: d->visible = toBoolean(v); break;
    case Width:
    case Height: {
        if (!finite() || n < 0) break;
        Rect r = clipBounds(c, Matrix{});
        double base = index == Width ? r.width() : r.height();
        if (base <= 0) break;
        double s = n * 20 / base;
        if (index == Width) compose(mx, s, yscaleOf(mx), rotationOf(mx));
        else compose(mx, xscaleOf(mx), s, rotationOf(mx));
        break;
    }
    default: break;
    }
    c.scripted = true;
}

void setFieldText(EditText& e, const std::string& text, bool html, int swfVersion) {
    if (html) {
        // Markup starts from the paragraph settings and spacing set for new text,
        // its paragraphs left-aligned before version 8 unless it says otherwise.
        TextSpan base;
        base.para = e.format.para;
        base.kerning = e.format.kerning;
        base.letterSpacing = e.format.letterSpacing;
        if (swfVersion < 8) base.para.align = 0;
        e.spans = htmlToSpans(text, base, e.multiline);
        // Text set afterwards starts from the settings the markup started from.
        e.format.para = base.para;
        e.text.clear();
        for (const TextSpan& sp : e.spans) e.text += sp.text;
    } else {
        e.text = text;
        // Plain text takes the style set for new text.
        e.spans.clear();
        TextSpan sp = e.format;
        sp.text = text;
        e.spans.push_back(std::move(sp));
    }
}

// Names a clip answers before its prototype: the path names, then its named children,
// then its underscore properties (a child called "_x" hides the property).
bool Machine::clipGet(Clip& c, Object* self, const std::string& name, Value& out) {
    (void)self;
    int idx = propIndex(name);
    if (idx == Parent) {
        out = c.parent ? Value(clipObject(*c.parent)) : Value();
        return true;
    }
    if (idx == Root) {
        out = Value(clipObject(*rootClip()));
        return true;
    }
    if (idx == Lockroot) return false;
    if (auto level = levelNumber(asciiLower(name))) {
        out = *level == 0 ? Value(clipObject(*rootClip())) : Value();
        return true;
    }
    if (!c.textField)
        if (Clip* child = childNamed(*this, c, name)) {
            out = Value(clipObject(*child));
            return true;
        }
    if (idx < 0) return false;
    out = getProperty(c, idx);
    return true;
}

bool Machine::clipSet(Clip& c, const std::string& name, const Value& v) {
    int idx = propIndex(name);
    if (idx >= 0 && idx < Parent) {
        if (idx == Target || idx == TotalFrames || idx == CurrentFrame || idx == FramesLoaded || idx == Url ||
            idx == DropTarget || idx == XMouse || idx == YMouse)
            return true;
        setProperty(c, idx, v);
        return true;
    }
    return false;
}

} // namespace swf::avm1

namespace swf::avm1 {

namespace {

std::string trimmed(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

std::string attributeOf(const std::string& tag, const std::string& name) {
    std::string lower = asciiLower(tag);
    size_t p = 0;
    while ((p = lower.find(name, p)) != std::string::npos) {
        size_t q = p + name.size();
        while (q < lower.size() && lower[q] == ' ') ++q;
        if ((p == 0 || lower[p - 1] == ' ') && q < lower.size() && lower[q] == '=') {
            ++q;
            while (q < lower.size() && lower[q] == ' ') ++q;
            if (q < tag.size() && (tag[q] == '"' || tag[q] == '\'')) {
                size_t e = tag.find(tag[q], q + 1);
                if (e == std::string::npos) return {};
                return tag.substr(q + 1, e - q - 1);
            }
            size_t e = tag.find(' ', q);
            return tag.substr(q, e == std::string::npos ? std::string::npos : e - q);
        }
        p = q;
    }
    return {};
}

// Style names match without regard to case.
std::string styleKey(const std::string& name) { return asciiLower(name); }
std::string styleName(const std::string& key) { return key; }

} // namespace

// The styles a style sheet gives a tag: as font attributes inserted inside it.
std::string Machine::styledHtml(const std::string& html, const Value& sheet) {
    Value styles = sheet.isObject() ? get(sheet, "_styles") : Value();
    if (!styles.isObject()) return html;
    auto styleFor = [&](const std::string& selector, std::string& color, std::string& size) {
        Value st = getOf(styles.o, styleKey(selector), styles);
        if (!st.isObject()) return;
        Value c = get(st, "color");
        if (!c.isUndefined()) color = toString(c);
        Value s = get(st, "fontSize");
        if (!s.isUndefined()) size = toString(s);
    };
    std::string out;
    std::vector<std::pair<std::string, bool>> open;
    size_t i = 0;
    while (i < html.size()) {
        if (html[i] != '<') {
            out.push_back(html[i++]);
            continue;
        }
        size_t end = html.find('>', i);
        if (end == std::string::npos) {
            out += html.substr(i);
            break;
        }
        std::string tag = html.substr(i + 1, end - i - 1);
        i = end + 1;
        bool closing = !tag.empty() && tag[0] == '/';
        std::string name = asciiLower(trimmed(tag.substr(closing ? 1 : 0, tag.find_first_of(" /", 1) - (closing ? 1 : 0))));
        if (closing) {
            std::string inserted;
            for (size_t k = open.size(); k-- > 0;) {
                if (open[k].first == name) {
                    for (size_t j = open.size(); j-- > k;)
                        if (open[j].second) inserted += "</font>";
                    open.resize(k);
                    break;
                }
            }
            out += inserted + "<" + tag + ">";
            continue;
        }
        out += "<" + tag + ">";
        if (name == "br" || (!tag.empty() && tag.back() == '/')) continue;
        // Only class selectors style the text; the class is matched as written.
        std::string color, size;
        std::string cls = attributeOf(tag, "class");
        if (!cls.empty()) styleFor("." + cls, color, size);
        bool insert = !color.empty() || !size.empty();
        if (insert) {
            out += "<font";
            if (!color.empty()) out += " color=\"" + color + "\"";
            if (!size.empty()) out += " size=\"" + size + "\"";
            out += ">";
        }
        if (open.size() < 256) open.emplace_back(name, insert);
    }
    return out;
}

void installStyleSheet(Machine& m, Object* textFieldCtor) {
    Object* sp = m.newObject();
    Object* ctor = m.newNative([](Machine&, Value, std::span<Value>) -> Value { return {}; }, 0,
                               [](Machine& m, Value ctor, std::span<Value>) -> Value {
                                   Value p = m.get(ctor, "prototype");
                                   Object* o = m.newObject(p.isObject() ? p.o : nullptr);
                                   m.setOwn(o, "_styles", Value(m.newObject()), kDontEnum);
                                   return Value(o);
                               });
    m.setOwn(ctor, "prototype", Value(sp), kDontEnum | kDontDelete);
    m.setOwn(sp, "constructor", Value(ctor), kDontEnum);
    m.setOwn(textFieldCtor, "StyleSheet", Value(ctor), kDontEnum);
    addMethod(m, sp, "setStyle", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value styles = m.get(self, "_styles");
        if (!styles.isObject() || a.empty()) return {};
        std::string name = styleKey(m.toString(a[0]));
        Value st = arg(a, 1);
        if (!st.isObject()) {
            m.remove(styles.o, name);
            return {};
        }
        Object* copy = m.newObject();
        for (auto& k : m.keys(st.o, false)) m.setOwn(copy, k, m.get(st, k));
        m.setOwn(styles.o, name, Value(copy));
        return {};
    });
    addMethod(m, sp, "getStyle", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value styles = m.get(self, "_styles");
        if (!styles.isObject() || a.empty()) return {};
        Value st = m.get(styles, styleKey(m.toString(a[0])));
        if (!st.isObject()) return Value::null();
        Object* copy = m.newObject();
        for (auto& k : m.keys(st.o, false)) m.setOwn(copy, k, m.get(st, k));
        return Value(copy);
    });
    // The text format a style object gives: numbers are read as parseInt reads
    // them, and a setting whose value is false, 0 or empty is left absent.
    addMethod(m, sp, "transform", [](Machine& m, Value, std::span<Value> a) -> Value {
        Value st = arg(a, 0);
        if (st.isNullish()) return Value::null();
        TextFormat base;
        base.kerning = false;
        Value tf(makeTextFormat(m, base));
        auto style = [&](const char* name) { return st.isObject() ? m.get(st, name) : Value(); };
        auto whole = [&](const Value& v) {
            Value s(m.toString(v));
            return parseIntImpl(m, Value(), std::span<Value>(&s, 1)).n;
        };
        auto numeric = [&](const char* name, const char* setting) {
            Value v = style(name);
            if (m.toBoolean(v)) m.set(tf, setting, Value(whole(v)));
        };
        auto keyword = [&](const char* name, const char* setting, const char* yes, const char* no) {
            Value v = style(name);
            if (v.isNullish()) return;
            std::string s = m.toString(v);
            if (s == yes) m.set(tf, setting, Value(true));
            else if (s == no) m.set(tf, setting, Value(false));
        };
        Value color = style("color");
        if (!color.isNullish()) {
            std::string c = m.toString(color);
            bool hex = c.size() == 7 && c[0] == '#';
            for (size_t i = 1; hex && i < c.size(); ++i) hex = std::isxdigit(static_cast<unsigned char>(c[i]));
            if (hex) m.set(tf, "color", Value(static_cast<double>(std::strtol(c.c_str() + 1, nullptr, 16))));
        }
        Value display = style("display");
        if (display.isString()) m.set(tf, "display", display);
        // A list of faces loses the space before each name and its empty names.
        Value family = style("fontFamily");
        if (m.toBoolean(family)) {
            std::string list = m.toString(family), faces;
            size_t at = 0;
            while (at <= list.size()) {
                size_t comma = list.find(',', at);
                std::string one = list.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
                one.erase(0, one.find_first_not_of(" \t\r\n"));
                if (!one.empty()) faces += (faces.empty() ? "" : ",") + one;
                if (comma == std::string::npos) break;
                at = comma + 1;
            }
            m.set(tf, "font", Value(faces));
        }
        Value size = style("fontSize");
        if (m.toBoolean(size)) {
            double n = whole(size);
            if (n > 0) m.set(tf, "size", Value(n));
        }
        keyword("fontStyle", "italic", "italic", "normal");
        keyword("fontWeight", "bold", "bold", "normal");
        keyword("textDecoration", "underline", "underline", "none");
        Value kerning = style("kerning");
        if (kerning.isString() && kerning.s == "true") {
            m.set(tf, "kerning", Value(true));
        } else if (m.toBoolean(kerning)) {
            double n = whole(kerning);
            m.set(tf, "kerning", Value(n == n && n != 0));
        }
        numeric("leading", "leading");
        numeric("letterSpacing", "letterSpacing");
        numeric("marginLeft", "leftMargin");
        numeric("marginRight", "rightMargin");
        Value align = style("textAlign");
        if (!align.isNullish()) m.set(tf, "align", Value(m.toString(align)));
        return tf;
    });
    addMethod(m, sp, "getStyleNames", [](Machine& m, Value self, std::span<Value>) -> Value {
        Value styles = m.get(self, "_styles");
        std::vector<Value> names;
        if (styles.isObject())
            for (auto& k : m.keys(styles.o, false)) names.push_back(Value(styleName(k)));
        return Value(m.newArray(std::move(names)));
    });
    addMethod(m, sp, "clear", [](Machine& m, Value self, std::span<Value>) -> Value {
        if (self.isObject()) m.setOwn(self.o, "_styles", Value(m.newObject()), kDontEnum);
        return {};
    });
    addMethod(m, sp, "parseCSS", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value styles = m.get(self, "_styles");
        if (!styles.isObject()) return Value(false);
        std::string css = m.toString(arg(a, 0));
        size_t i = 0;
        while (i < css.size()) {
            size_t open = css.find('{', i);
            if (open == std::string::npos) break;
            size_t close = css.find('}', open);
            if (close == std::string::npos) return Value(false);
            std::string selectors = css.substr(i, open - i);
            std::string body = css.substr(open + 1, close - open - 1);
            Object* st = m.newObject();
            size_t p = 0;
            while (p < body.size()) {
                size_t semi = body.find(';', p);
                if (semi == std::string::npos) semi = body.size();
                std::string decl = body.substr(p, semi - p);
                size_t colon = decl.find(':');
                if (colon != std::string::npos) {
                    std::string prop = trimmed(decl.substr(0, colon));
                    std::string camel;
                    for (size_t k = 0; k < prop.size(); ++k) {
                        if (prop[k] == '-' && k + 1 < prop.size()) camel.push_back(static_cast<char>(std::toupper(prop[++k])));
                        else camel.push_back(prop[k]);
                    }
                    m.setOwn(st, camel, Value(trimmed(decl.substr(colon + 1))));
                }
                p = semi + 1;
            }
            size_t s = 0;
            while (s <= selectors.size()) {
                size_t comma = selectors.find(',', s);
                if (comma == std::string::npos) comma = selectors.size();
                std::string sel = trimmed(selectors.substr(s, comma - s));
                if (!sel.empty()) m.setOwn(styles.o, styleKey(sel), Value(st));
                s = comma + 1;
            }
            i = close + 1;
        }
        return Value(true);
    });
}

} // namespace swf::avm1
