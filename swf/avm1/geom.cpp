// The flash.geom package: Point, Rectangle, Matrix, ColorTransform and Transform.
//
// Point, Rectangle and Matrix keep their numbers as ordinary properties, so a
// script may store anything there and reads back what it stored; the methods
// convert to numbers as they compute. ColorTransform keeps eight numbers behind
// accessors on its prototype.
#include "swf/avm1/geom.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {

namespace {

double num(Machine& m, const Value& o, const char* name) { return m.toNumber(m.get(o, name)); }


// A comparison as these classes make it: undefined when either side is NaN.
Value compare(double a, double b, bool (*op)(double, double)) {
    if (std::isnan(a) || std::isnan(b)) return {};
    return Value(op(a, b));
}
bool ge(double a, double b) { return a >= b; }
bool lt(double a, double b) { return a < b; }
bool le(double a, double b) { return a <= b; }

// All of the comparisons hold: the first that does not (false or undefined) is the answer.
Value allOf(std::initializer_list<Value> tests) {
    for (const Value& t : tests)
        if (!(t.kind == Value::Boolean && t.b)) return t;
    return Value(true);
}

Object* makeOf(Machine& m, const char* cls, std::vector<Value> args) {
    Object* ctor = geomClass(m, cls);
    Value r = ctor ? m.construct(Value(ctor), args) : Value();
    return r.isObject() ? r.o : nullptr;
}

// ---------------------------------------------------------------- Point

Value pointInit(Machine& m, Value self, std::span<Value> a) {
    if (!self.isObject()) return {};
    m.set(self, "x", a.empty() ? Value(0) : a[0]);
    m.set(self, "y", a.empty() ? Value(0) : arg(a, 1));
    return {};
}

void installPoint(Machine& m, Object* pkg) {
    Object* pp = m.newObject();
    Object* ctor = addClass(m, pkg, "Point", pointInit, nullptr, pp);
    addAccessor(m, pp, "length", [](Machine& m, Value self, std::span<Value>) -> Value {
        double x = num(m, self, "x"), y = num(m, self, "y");
        return Value(std::sqrt(x * x + y * y));
    }, nullptr);
    addMethod(m, pp, "toString", [](Machine& m, Value self, std::span<Value>) -> Value {
        return Value("(x=" + m.toString(m.get(self, "x")) + ", y=" + m.toString(m.get(self, "y")) + ")");
    });
    addMethod(m, pp, "clone", [](Machine& m, Value self, std::span<Value>) -> Value {
        return Value(makeOf(m, "Point", {m.get(self, "x"), m.get(self, "y")}));
    });
    addMethod(m, pp, "add", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value v = arg(a, 0);
        return Value(makeOf(m, "Point", {Value(num(m, self, "x") + num(m, v, "x")), Value(num(m, self, "y") + num(m, v, "y"))}));
    });
    addMethod(m, pp, "subtract", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value v = arg(a, 0);
        return Value(makeOf(m, "Point", {Value(num(m, self, "x") - num(m, v, "x")), Value(num(m, self, "y") - num(m, v, "y"))}));
    });
    addMethod(m, pp, "equals", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value v = arg(a, 0);
        Object* ctor = geomClass(m, "Point");
        if (!v.isObject() || !ctor || !m.instanceOf(v.o, ctor)) return Value(false);
        return Value(num(m, self, "x") == num(m, v, "x") && num(m, self, "y") == num(m, v, "y"));
    });
    addMethod(m, pp, "offset", [](Machine& m, Value self, std::span<Value> a) -> Value {
        m.set(self, "x", Value(num(m, self, "x") + m.toNumber(arg(a, 0))));
        m.set(self, "y", Value(num(m, self, "y") + m.toNumber(arg(a, 1))));
        return {};
    });
    addMethod(m, pp, "normalize", [](Machine& m, Value self, std::span<Value> a) -> Value {
        double x = num(m, self, "x"), y = num(m, self, "y");
        double len = std::sqrt(x * x + y * y);
        if (len > 0) {
            double k = m.toNumber(arg(a, 0)) / len;
            m.set(self, "x", Value(x * k));
            m.set(self, "y", Value(y * k));
        }
        return {};
    });
    addMethod(m, ctor, "distance", [](Machine& m, Value, std::span<Value> a) -> Value {
        double dx = num(m, arg(a, 0), "x") - num(m, arg(a, 1), "x");
        double dy = num(m, arg(a, 0), "y") - num(m, arg(a, 1), "y");
        return Value(std::sqrt(dx * dx + dy * dy));
    });
    addMethod(m, ctor, "interpolate", [](Machine& m, Value, std::span<Value> a) -> Value {
        Value p1 = arg(a, 0), p2 = arg(a, 1);
        double f = m.toNumber(arg(a, 2));
        double x1 = num(m, p1, "x"), y1 = num(m, p1, "y");
        return Value(makeOf(m, "Point", {Value(num(m, p2, "x") + f * (x1 - num(m, p2, "x"))),
                                         Value(num(m, p2, "y") + f * (y1 - num(m, p2, "y")))}));
    });
    addMethod(m, ctor, "polar", [](Machine& m, Value, std::span<Value> a) -> Value {
        double len = m.toNumber(arg(a, 0)), angle = m.toNumber(arg(a, 1));
        return Value(makeOf(m, "Point", {Value(len * std::cos(angle)), Value(len * std::sin(angle))}));
    });
}

// ---------------------------------------------------------------- Rectangle

double right(Machine& m, const Value& r) { return num(m, r, "x") + num(m, r, "width"); }
double bottom(Machine& m, const Value& r) { return num(m, r, "y") + num(m, r, "height"); }

Value rectInit(Machine& m, Value self, std::span<Value> a) {
    if (!self.isObject()) return {};
    const char* names[] = {"x", "y", "width", "height"};
    for (size_t i = 0; i < 4; ++i) m.set(self, names[i], a.empty() ? Value(0) : arg(a, i));
    return {};
}

// Moving the left (or top) edge keeps the right (or bottom) edge where it is.
void setNear(Machine& m, const Value& self, const char* pos, const char* size, const Value& v) {
    double far = num(m, self, pos) + num(m, self, size);
    m.set(self, size, Value(far - m.toNumber(v)));
    m.set(self, pos, v);
}

void setFar(Machine& m, const Value& self, const char* pos, const char* size, const Value& v) {
    m.set(self, size, Value(m.toNumber(v) - num(m, self, pos)));
}

Value makeRect(Machine& m, double x, double y, double w, double h) {
    return Value(makeOf(m, "Rectangle", {Value(x), Value(y), Value(w), Value(h)}));
}

void inflate(Machine& m, const Value& self, double dx, double dy) {
    m.set(self, "x", Value(num(m, self, "x") - dx));
    m.set(self, "width", Value(num(m, self, "width") + 2 * dx));
    m.set(self, "y", Value(num(m, self, "y") - dy));
    m.set(self, "height", Value(num(m, self, "height") + 2 * dy));
}

void offset(Machine& m, const Value& self, double dx, double dy) {
    m.set(self, "x", Value(num(m, self, "x") + dx));
    m.set(self, "y", Value(num(m, self, "y") + dy));
}

// Math.min and Math.max: NaN wins.
double minOf(double a, double b) { return std::isnan(a) || std::isnan(b) ? NAN : std::min(a, b); }
double maxOf(double a, double b) { return std::isnan(a) || std::isnan(b) ? NAN : std::max(a, b); }

Value intersection(Machine& m, const Value& self, const Value& r) {
    if (!r.isObject()) return makeRect(m, 0, 0, 0, 0);
    double l = maxOf(num(m, self, "x"), num(m, r, "x"));
    double t = maxOf(num(m, self, "y"), num(m, r, "y"));
    double rr = minOf(right(m, self), right(m, r));
    double b = minOf(bottom(m, self), bottom(m, r));
    if (!(rr > l && b > t)) return makeRect(m, 0, 0, 0, 0);
    return makeRect(m, l, t, rr - l, b - t);
}

Value containsAt(Machine& m, const Value& self, double x, double y) {
    return allOf({compare(x, num(m, self, "x"), ge), compare(x, right(m, self), lt),
                  compare(y, num(m, self, "y"), ge), compare(y, bottom(m, self), lt)});
}

void installRectangle(Machine& m, Object* pkg) {
    Object* rp = m.newObject();
    addClass(m, pkg, "Rectangle", rectInit, nullptr, rp);
    addAccessor(m, rp, "left", [](Machine& m, Value self, std::span<Value>) -> Value { return m.get(self, "x"); },
                [](Machine& m, Value self, std::span<Value> a) -> Value {
                    setNear(m, self, "x", "width", arg(a, 0));
                    return {};
                });
    addAccessor(m, rp, "top", [](Machine& m, Value self, std::span<Value>) -> Value { return m.get(self, "y"); },
                [](Machine& m, Value self, std::span<Value> a) -> Value {
                    setNear(m, self, "y", "height", arg(a, 0));
                    return {};
                });
    addAccessor(m, rp, "right", [](Machine& m, Value self, std::span<Value>) -> Value { return Value(right(m, self)); },
                [](Machine& m, Value self, std::span<Value> a) -> Value {
                    setFar(m, self, "x", "width", arg(a, 0));
                    return {};
                });
    addAccessor(m, rp, "bottom", [](Machine& m, Value self, std::span<Value>) -> Value { return Value(bottom(m, self)); },
                [](Machine& m, Value self, std::span<Value> a) -> Value {
                    setFar(m, self, "y", "height", arg(a, 0));
                    return {};
                });
    addAccessor(m, rp, "topLeft", [](Machine& m, Value self, std::span<Value>) -> Value {
        return Value(makeOf(m, "Point", {m.get(self, "x"), m.get(self, "y")}));
    }, [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value p = arg(a, 0);
        setNear(m, self, "x", "width", m.get(p, "x"));
        setNear(m, self, "y", "height", m.get(p, "y"));
        return {};
    });
    addAccessor(m, rp, "bottomRight", [](Machine& m, Value self, std::span<Value>) -> Value {
        return Value(makeOf(m, "Point", {Value(right(m, self)), Value(bottom(m, self))}));
    }, [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value p = arg(a, 0);
        setFar(m, self, "x", "width", m.get(p, "x"));
        setFar(m, self, "y", "height", m.get(p, "y"));
        return {};
    });
    addAccessor(m, rp, "size", [](Machine& m, Value self, std::span<Value>) -> Value {
        return Value(makeOf(m, "Point", {m.get(self, "width"), m.get(self, "height")}));
    }, [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value p = arg(a, 0);
        m.set(self, "width", m.get(p, "x"));
        m.set(self, "height", m.get(p, "y"));
        return {};
    });
    addMethod(m, rp, "toString", [](Machine& m, Value self, std::span<Value>) -> Value {
        return Value("(x=" + m.toString(m.get(self, "x")) + ", y=" + m.toString(m.get(self, "y")) +
                     ", w=" + m.toString(m.get(self, "width")) + ", h=" + m.toString(m.get(self, "height")) + ")");
    });
    addMethod(m, rp, "clone", [](Machine& m, Value self, std::span<Value>) -> Value {
        return Value(makeOf(m, "Rectangle", {m.get(self, "x"), m.get(self, "y"), m.get(self, "width"), m.get(self, "height")}));
    });
    addMethod(m, rp, "equals", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value r = arg(a, 0);
        Object* ctor = geomClass(m, "Rectangle");
        if (!r.isObject() || !ctor || !m.instanceOf(r.o, ctor)) return Value(false);
        for (const char* n : {"x", "y", "width", "height"})
            if (num(m, self, n) != num(m, r, n)) return Value(false);
        return Value(true);
    });
    addMethod(m, rp, "isEmpty", [](Machine& m, Value self, std::span<Value>) -> Value {
        return Value(!(num(m, self, "width") > 0 && num(m, self, "height") > 0));
    });
    addMethod(m, rp, "setEmpty", [](Machine& m, Value self, std::span<Value>) -> Value {
        for (const char* n : {"x", "y", "width", "height"}) m.set(self, n, Value(0));
        return {};
    });
    addMethod(m, rp, "contains", [](Machine& m, Value self, std::span<Value> a) -> Value {
        return containsAt(m, self, m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1)));
    });
    addMethod(m, rp, "containsPoint", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value p = arg(a, 0);
        return containsAt(m, self, num(m, p, "x"), num(m, p, "y"));
    });
    addMethod(m, rp, "containsRectangle", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value r = arg(a, 0);
        return allOf({compare(num(m, r, "x"), num(m, self, "x"), ge), compare(num(m, r, "y"), num(m, self, "y"), ge),
                      compare(right(m, r), right(m, self), le), compare(bottom(m, r), bottom(m, self), le)});
    });
    addMethod(m, rp, "inflate", [](Machine& m, Value self, std::span<Value> a) -> Value {
        inflate(m, self, m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1)));
        return {};
    });
    addMethod(m, rp, "inflatePoint", [](Machine& m, Value self, std::span<Value> a) -> Value {
        inflate(m, self, num(m, arg(a, 0), "x"), num(m, arg(a, 0), "y"));
        return {};
    });
    addMethod(m, rp, "offset", [](Machine& m, Value self, std::span<Value> a) -> Value {
        offset(m, self, m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1)));
        return {};
    });
    addMethod(m, rp, "offsetPoint", [](Machine& m, Value self, std::span<Value> a) -> Value {
        offset(m, self, num(m, arg(a, 0), "x"), num(m, arg(a, 0), "y"));
        return {};
    });
    addMethod(m, rp, "intersection", [](Machine& m, Value self, std::span<Value> a) -> Value {
        return intersection(m, self, arg(a, 0));
    });
    addMethod(m, rp, "intersects", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value r = intersection(m, self, arg(a, 0));
        return Value(num(m, r, "width") > 0 && num(m, r, "height") > 0);
    });
    addMethod(m, rp, "union", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value r = arg(a, 0);
        double l = minOf(num(m, self, "x"), num(m, r, "x"));
        double t = minOf(num(m, self, "y"), num(m, r, "y"));
        double rr = maxOf(right(m, self), right(m, r));
        double b = maxOf(bottom(m, self), bottom(m, r));
        return makeRect(m, l, t, rr - l, b - t);
    });
}

// ---------------------------------------------------------------- Matrix

const char* const kMatrixNames[] = {"a", "b", "c", "d", "tx", "ty"};

Value matrixInit(Machine& m, Value self, std::span<Value> a) {
    if (!self.isObject()) return {};
    if (a.empty()) {
        setMatrix(m, self, Matrix2D{});
        return {};
    }
    for (size_t i = 0; i < 6; ++i) m.set(self, kMatrixNames[i], arg(a, i));
    return {};
}

Value pointOf(Machine& m, const Value& p, const Matrix2D& t, bool translate) {
    double x = num(m, p, "x"), y = num(m, p, "y");
    double nx = t.a * x + t.c * y + (translate ? t.tx : 0);
    double ny = t.b * x + t.d * y + (translate ? t.ty : 0);
    return Value(makeOf(m, "Point", {Value(nx), Value(ny)}));
}

// createBox's numbers: scale, then rotate, then move.
Matrix2D box(double sx, double sy, double rotation, double tx, double ty) {
    double c = std::cos(rotation), s = std::sin(rotation);
    return Matrix2D{sx * c, sy * s, -sx * s, sy * c, tx, ty};
}

double orZero(Machine& m, const Value& v) { return v.isUndefined() ? 0 : m.toNumber(v); }

void installMatrix(Machine& m, Object* pkg) {
    Object* mp = m.newObject();
    addClass(m, pkg, "Matrix", matrixInit, nullptr, mp);
    addMethod(m, mp, "toString", [](Machine& m, Value self, std::span<Value>) -> Value {
        std::string s = "(";
        for (size_t i = 0; i < 6; ++i) {
            if (i) s += ", ";
            s += kMatrixNames[i];
            s += "=" + m.toString(m.get(self, kMatrixNames[i]));
        }
        return Value(s + ")");
    });
    addMethod(m, mp, "clone", [](Machine& m, Value self, std::span<Value>) -> Value {
        std::vector<Value> v;
        for (const char* n : kMatrixNames) v.push_back(m.get(self, n));
        return Value(makeOf(m, "Matrix", std::move(v)));
    });
    addMethod(m, mp, "identity", [](Machine& m, Value self, std::span<Value>) -> Value {
        setMatrix(m, self, Matrix2D{});
        return {};
    });
    addMethod(m, mp, "scale", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Matrix2D t = matrixOf(m, self);
        double sx = m.toNumber(arg(a, 0)), sy = m.toNumber(arg(a, 1));
        setMatrix(m, self, Matrix2D{t.a * sx, t.b * sy, t.c * sx, t.d * sy, t.tx * sx, t.ty * sy});
        return {};
    });
    addMethod(m, mp, "rotate", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Matrix2D t = matrixOf(m, self);
        double q = m.toNumber(arg(a, 0));
        double c = std::cos(q), s = std::sin(q);
        setMatrix(m, self, Matrix2D{t.a * c - t.b * s, t.a * s + t.b * c, t.c * c - t.d * s, t.c * s + t.d * c,
                                    t.tx * c - t.ty * s, t.tx * s + t.ty * c});
        return {};
    });
    addMethod(m, mp, "translate", [](Machine& m, Value self, std::span<Value> a) -> Value {
        m.set(self, "tx", Value(num(m, self, "tx") + m.toNumber(arg(a, 0))));
        m.set(self, "ty", Value(num(m, self, "ty") + m.toNumber(arg(a, 1))));
        return {};
    });
    addMethod(m, mp, "concat", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Matrix2D t = matrixOf(m, self), o = matrixOf(m, arg(a, 0));
        setMatrix(m, self, Matrix2D{t.a * o.a + t.b * o.c, t.a * o.b + t.b * o.d, t.c * o.a + t.d * o.c,
                                    t.c * o.b + t.d * o.d, t.tx * o.a + t.ty * o.c + o.tx, t.tx * o.b + t.ty * o.d + o.ty});
        return {};
    });
    addMethod(m, mp, "invert", [](Machine& m, Value self, std::span<Value>) -> Value {
        Matrix2D t = matrixOf(m, self);
        double det = t.a * t.d - t.b * t.c;
        if (det == 0) {
            setMatrix(m, self, Matrix2D{});
            return {};
        }
        double a = t.d / det, b = -t.b / det, c = -t.c / det, d = t.a / det;
        setMatrix(m, self, Matrix2D{a, b, c, d, -(a * t.tx + c * t.ty), -(b * t.tx + d * t.ty)});
        return {};
    });
    addMethod(m, mp, "createBox", [](Machine& m, Value self, std::span<Value> a) -> Value {
        setMatrix(m, self, box(m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1)), m.toNumber(arg(a, 2)),
                               orZero(m, arg(a, 3)), orZero(m, arg(a, 4))));
        return {};
    });
    addMethod(m, mp, "createGradientBox", [](Machine& m, Value self, std::span<Value> a) -> Value {
        // A gradient spans 1638.4 units across its square.
        double w = m.toNumber(arg(a, 0)), h = m.toNumber(arg(a, 1));
        setMatrix(m, self, box(w / 1638.4, h / 1638.4, orZero(m, arg(a, 2)), orZero(m, arg(a, 3)) + w / 2,
                               orZero(m, arg(a, 4)) + h / 2));
        return {};
    });
    addMethod(m, mp, "transformPoint", [](Machine& m, Value self, std::span<Value> a) -> Value {
        return pointOf(m, arg(a, 0), matrixOf(m, self), true);
    });
    addMethod(m, mp, "deltaTransformPoint", [](Machine& m, Value self, std::span<Value> a) -> Value {
        return pointOf(m, arg(a, 0), matrixOf(m, self), false);
    });
}

// ---------------------------------------------------------------- ColorTransform

struct ColorData : HostData {
    ColorNumbers c;
};

ColorData* colorData(const Value& self) {
    return self.isObject() ? dynamic_cast<ColorData*>(self.o->host.get()) : nullptr;
}

const char* const kColorNames[] = {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                                   "redOffset",     "greenOffset",     "blueOffset",     "alphaOffset"};

Value colorTransformInit(Machine& m, Value self, std::span<Value> a) {
    if (!self.isObject()) return {};
    auto d = std::make_unique<ColorData>();
    for (size_t i = 0; i < 8 && i < a.size(); ++i) d->c.v[i] = m.toNumber(a[i]);
    self.o->host = std::move(d);
    return {};
}

Value colorGet(Machine&, Value self, std::span<Value>, int index) {
    ColorData* d = colorData(self);
    return d ? Value(d->c.v[static_cast<size_t>(index)]) : Value();
}

template <int I>
Value colorGetAt(Machine& m, Value self, std::span<Value> a) { return colorGet(m, self, a, I); }

template <int I>
Value colorSetAt(Machine& m, Value self, std::span<Value> a) {
    if (ColorData* d = colorData(self)) d->c.v[I] = m.toNumber(arg(a, 0));
    return {};
}

template <int I>
void addColorAccessor(Machine& m, Object* proto) {
    addAccessor(m, proto, kColorNames[I], colorGetAt<I>, colorSetAt<I>, 0);
}

void installColorTransform(Machine& m, Object* pkg) {
    Object* cp = m.newObject();
    addClass(m, pkg, "ColorTransform", colorTransformInit, nullptr, cp);
    // Added in the reverse of the order scripts enumerate them (the newest is listed first).
    addColorAccessor<3>(m, cp);
    addColorAccessor<0>(m, cp);
    addColorAccessor<1>(m, cp);
    addColorAccessor<2>(m, cp);
    addColorAccessor<7>(m, cp);
    addColorAccessor<4>(m, cp);
    addColorAccessor<5>(m, cp);
    addColorAccessor<6>(m, cp);
    addAccessor(m, cp, "rgb", [](Machine&, Value self, std::span<Value>) -> Value {
        ColorData* d = colorData(self);
        if (!d) return {};
        auto channel = [&](int i) { return static_cast<uint32_t>(toInt32(d->c.v[static_cast<size_t>(i)])) & 0xff; };
        return Value(static_cast<double>((channel(4) << 16) | (channel(5) << 8) | channel(6)));
    }, [](Machine& m, Value self, std::span<Value> a) -> Value {
        ColorData* d = colorData(self);
        if (!d) return {};
        uint32_t v = static_cast<uint32_t>(m.toInt(arg(a, 0)));
        d->c.v[0] = d->c.v[1] = d->c.v[2] = 0;
        d->c.v[4] = (v >> 16) & 0xff;
        d->c.v[5] = (v >> 8) & 0xff;
        d->c.v[6] = v & 0xff;
        return {};
    }, 0);
    Object* concat = m.newNative([](Machine&, Value self, std::span<Value> a) -> Value {
        ColorData* d = colorData(self);
        ColorData* o = colorData(arg(a, 0));
        if (!d || !o) return {};
        for (size_t i = 0; i < 4; ++i) {
            d->c.v[i + 4] += d->c.v[i] * o->c.v[i + 4];
            d->c.v[i] *= o->c.v[i];
        }
        return {};
    });
    m.setOwn(cp, "concat", Value(concat));
    Object* toString = m.newNative([](Machine& m, Value self, std::span<Value>) -> Value {
        std::string s = "(";
        for (size_t i = 0; i < 8; ++i) {
            if (i) s += ", ";
            s += kColorNames[i];
            s += "=" + m.toString(m.get(self, kColorNames[i]));
        }
        return Value(s + ")");
    });
    m.setOwn(cp, "toString", Value(toString));
}

// ---------------------------------------------------------------- Transform

// A Transform reads and writes its clip's place on the display list as it is now.
struct TransformData : HostData {
    std::weak_ptr<Clip> clip;
};

Clip* transformClip(const Value& self) {
    auto* d = self.isObject() ? dynamic_cast<TransformData*>(self.o->host.get()) : nullptr;
    return d ? d->clip.lock().get() : nullptr;
}

// Twips on the display list, pixels for scripts.
Matrix2D toScript(const Matrix& t) { return Matrix2D{t.a, t.b, t.c, t.d, t.tx / 20, t.ty / 20}; }

ColorNumbers toScript(const ColorTransform& t) {
    ColorNumbers c;
    const int32_t fields[] = {t.rMul, t.gMul, t.bMul, t.aMul, t.rAdd, t.gAdd, t.bAdd, t.aAdd};
    for (size_t i = 0; i < 8; ++i) c.v[i] = i < 4 ? fields[i] / 256.0 : fields[i];
    return c;
}

// The display list keeps colour transforms as 16-bit numbers (multipliers in 8.8).
int32_t wrap16(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<int64_t>(std::floor(std::fmod(v, 65536.0))) & 0xffff));
}

ColorTransform toDisplay(const ColorNumbers& c) {
    ColorTransform t;
    int32_t* fields[] = {&t.rMul, &t.gMul, &t.bMul, &t.aMul, &t.rAdd, &t.gAdd, &t.bAdd, &t.aAdd};
    for (size_t i = 0; i < 8; ++i) *fields[i] = wrap16(i < 4 ? c.v[i] * 256 : c.v[i]);
    return t;
}

ColorTransform concatenatedColor(Machine& m, Clip& c) {
    ColorTransform w;
    for (Clip* p = &c; p; p = p->parent) {
        DisplayObject* d = m.displayOf(*p);
        if (!d) continue;
        const ColorTransform& t = d->colorTransform;
        auto mul = [](int32_t a, int32_t b) { return wrap16(std::floor(a * static_cast<double>(b) / 256)); };
        ColorTransform o;
        o.rAdd = wrap16(std::floor(t.rMul * static_cast<double>(w.rAdd) / 256) + t.rAdd);
        o.gAdd = wrap16(std::floor(t.gMul * static_cast<double>(w.gAdd) / 256) + t.gAdd);
        o.bAdd = wrap16(std::floor(t.bMul * static_cast<double>(w.bAdd) / 256) + t.bAdd);
        o.aAdd = wrap16(std::floor(t.aMul * static_cast<double>(w.aAdd) / 256) + t.aAdd);
        o.rMul = mul(t.rMul, w.rMul);
        o.gMul = mul(t.gMul, w.gMul);
        o.bMul = mul(t.bMul, w.bMul);
        o.aMul = mul(t.aMul, w.aMul);
        w = o;
    }
    return w;
}

void setClipMatrix(Machine& m, Clip& c, const Matrix2D& t) {
    DisplayObject* d = m.displayOf(c);
    if (!d) return;
    const double fields[] = {t.a, t.b, t.c, t.d, t.tx, t.ty};
    for (double f : fields)
        if (!std::isfinite(f)) return;
    auto twips = [](double v) { return std::trunc(std::clamp(v, -1e8, 1e8) * 20); };
    d->matrix = Matrix{t.a, t.b, t.c, t.d, twips(t.tx), twips(t.ty)};
}

Value transformConstruct(Machine& m, Value ctor, std::span<Value> a) {
    Clip* c = m.clipOf(arg(a, 0));
    if (!c) return {};
    Value p = m.get(ctor, "prototype");
    Object* o = m.newObject(p.isObject() ? p.o : nullptr);
    auto d = std::make_unique<TransformData>();
    d->clip = c->weak_from_this();
    o->host = std::move(d);
    return Value(o);
}

void installTransform(Machine& m, Object* pkg) {
    Object* tp = m.newObject();
    addClass(m, pkg, "Transform", nothing, transformConstruct, tp);
    addAccessor(m, tp, "matrix", [](Machine& m, Value self, std::span<Value>) -> Value {
        Clip* c = transformClip(self);
        DisplayObject* d = c ? m.displayOf(*c) : nullptr;
        return Value(makeMatrix(m, d ? toScript(d->matrix) : Matrix2D{}));
    }, [](Machine& m, Value self, std::span<Value> a) -> Value {
        Clip* c = transformClip(self);
        Value v = arg(a, 0);
        Object* ctor = geomClass(m, "Matrix");
        if (c && v.isObject() && ctor && m.instanceOf(v.o, ctor)) setClipMatrix(m, *c, matrixOf(m, v));
        return {};
    });
    addAccessor(m, tp, "colorTransform", [](Machine& m, Value self, std::span<Value>) -> Value {
        Clip* c = transformClip(self);
        DisplayObject* d = c ? m.displayOf(*c) : nullptr;
        return Value(makeColorTransform(m, d ? toScript(d->colorTransform) : ColorNumbers{}));
    }, [](Machine& m, Value self, std::span<Value> a) -> Value {
        Clip* c = transformClip(self);
        DisplayObject* d = c ? m.displayOf(*c) : nullptr;
        ColorNumbers n;
        if (d && colorNumbersOf(arg(a, 0), n)) d->colorTransform = toDisplay(n);
        return {};
    });
    addAccessor(m, tp, "concatenatedMatrix", [](Machine& m, Value self, std::span<Value>) -> Value {
        Clip* c = transformClip(self);
        return Value(makeMatrix(m, c ? toScript(m.stageMatrix(*c)) : Matrix2D{}));
    }, nullptr);
    addAccessor(m, tp, "concatenatedColorTransform", [](Machine& m, Value self, std::span<Value>) -> Value {
        Clip* c = transformClip(self);
        return Value(makeColorTransform(m, c ? toScript(concatenatedColor(m, *c)) : ColorNumbers{}));
    }, nullptr);
    addAccessor(m, tp, "pixelBounds", [](Machine& m, Value self, std::span<Value>) -> Value {
        Clip* c = transformClip(self);
        Rect r = c ? m.clipBounds(*c, m.stageMatrix(*c)) : Rect{};
        return makeRect(m, r.xmin / 20.0, r.ymin / 20.0, r.width() / 20.0, r.height() / 20.0);
    }, nullptr);

    // MovieClip.transform: a new Transform of the clip on every read; writing one
    // copies the other clip's matrix and colour transform.
    addAccessor(m, m.proto("MovieClip"), "transform", [](Machine& m, Value self, std::span<Value>) -> Value {
        Object* ctor = geomClass(m, "Transform");
        return ctor ? m.construct(Value(ctor), std::span<Value>(&self, 1)) : Value();
    }, [](Machine& m, Value self, std::span<Value> a) -> Value {
        Clip* to = m.clipOf(self);
        Clip* from = transformClip(arg(a, 0));
        DisplayObject* d = to ? m.displayOf(*to) : nullptr;
        DisplayObject* s = from ? m.displayOf(*from) : nullptr;
        if (d && s) {
            d->matrix = s->matrix;
            d->colorTransform = s->colorTransform;
        }
        return {};
    });
}

} // namespace

Object* geomClass(Machine& m, const char* name) {
    Value flash = m.get(Value(m.global()), "flash");
    Value pkg = m.get(flash, "geom");
    Value c = m.get(pkg, name);
    return c.isObject() ? c.o : nullptr;
}

Matrix2D matrixOf(Machine& m, const Value& v) {
    return Matrix2D{num(m, v, "a"), num(m, v, "b"), num(m, v, "c"), num(m, v, "d"), num(m, v, "tx"), num(m, v, "ty")};
}

void setMatrix(Machine& m, const Value& v, const Matrix2D& t) {
    const double fields[] = {t.a, t.b, t.c, t.d, t.tx, t.ty};
    for (size_t i = 0; i < 6; ++i) m.set(v, kMatrixNames[i], Value(fields[i]));
}

Object* makeMatrix(Machine& m, const Matrix2D& t) {
    Object* o = makeOf(m, "Matrix", {});
    if (o) setMatrix(m, Value(o), t);
    return o;
}

Object* makeColorTransform(Machine& m, const ColorNumbers& c) {
    Object* o = makeOf(m, "ColorTransform", {});
    if (ColorData* d = o ? colorData(Value(o)) : nullptr) d->c = c;
    return o;
}

bool colorNumbersOf(const Value& v, ColorNumbers& out) {
    ColorData* d = colorData(v);
    if (d) out = d->c;
    return d != nullptr;
}

Object* package(Machine& m, const char* name) {
    Object* g = m.global();
    Value flash = m.getOf(g, "flash", Value(g));
    if (!flash.isObject()) {
        flash = Value(m.newObject());
        m.setOwn(g, "flash", flash, kDontEnum);
    }
    Value pkg = m.getOf(flash.o, name, flash);
    if (!pkg.isObject()) {
        pkg = Value(m.newObject());
        m.setOwn(flash.o, name, pkg);
    }
    return pkg.o;
}

void addAccessor(Machine& m, Object* o, const char* name, NativeFn get, NativeFn set, uint8_t flags) {
    m.setOwn(o, name, Value(), flags);
    Property* p = o->find(m.heap().key(name));
    if (!p) return;
    p->getter = m.newNative(get);
    p->setter = set ? m.newNative(set) : m.newNative(nothing);
}

void installGeom(Machine& m, Object*) {
    Object* pkg = package(m, "geom");
    installPoint(m, pkg);
    installRectangle(m, pkg);
    installMatrix(m, pkg);
    installColorTransform(m, pkg);
    installTransform(m, pkg);
}

} // namespace swf::avm1
