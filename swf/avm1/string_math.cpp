// String (measured in UTF-16 units, as the player measures) and Math.
#include "swf/avm1/machine.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace swf::avm1 {

namespace {

std::string selfString(Machine& m, const Value& self) {
    if (self.isString()) return self.s;
    if (self.isObject() && self.o->kind == Kind::StringBox) return self.o->prim.s;
    return m.toString(self);
}

long long clampIndex(Machine& m, const Value& v, long long dflt) {
    if (v.isUndefined()) return dflt;
    double d = m.toNumber(v);
    if (std::isnan(d)) return 0;
    return static_cast<long long>(std::clamp(d, -1e15, 1e15));
}

// Math.min and Math.max compare two numbers (a missing second one is undefined);
// without any argument they give the empty result, +Infinity or -Infinity.
Value minMax(Machine& m, std::span<Value> a, bool max) {
    if (a.empty()) return Value(max ? -INFINITY : INFINITY);
    double x = m.toNumber(a[0]);
    double y = m.toNumber(arg(a, 1));
    if (std::isnan(x) || std::isnan(y)) return Value(NAN);
    return Value(max ? std::max(x, y) : std::min(x, y));
}

} // namespace

// The player's case mapping: ASCII and the Latin-1 letters.
std::u16string changeCase(std::u16string s, bool upper) {
    for (auto& c : s) {
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char16_t>(c + 32);
        else if (upper && c >= 'a' && c <= 'z') c = static_cast<char16_t>(c - 32);
        else if (!upper && c >= 0xC0 && c <= 0xDE && c != 0xD7) c = static_cast<char16_t>(c + 32);
        else if (upper && c >= 0xE0 && c <= 0xFE && c != 0xF7) c = static_cast<char16_t>(c - 32);
    }
    return s;
}

void installString(Machine& m, Object* g) {
    Object* sp = m.newObject();
    sp->kind = Kind::StringBox;
    sp->prim = Value("");
    Object* ctor = addClass(m, g, "String", [](Machine& m, Value, std::span<Value> a) -> Value {
        return Value(a.empty() ? std::string() : m.toString(a[0]));
    }, [](Machine& m, Value, std::span<Value> a) -> Value {
        return Value(m.toObject(Value(a.empty() ? std::string() : m.toString(a[0]))));
    }, sp);
    addMethod(m, ctor, "fromCharCode", [](Machine& m, Value, std::span<Value> a) -> Value {
        std::u16string u;
        for (auto& v : a) {
            uint32_t c = toUint32(m.toNumber(v)) & 0xffff;
            if (c) u.push_back(static_cast<char16_t>(c));
        }
        return Value(toUtf8(u));
    });
    addMethod(m, sp, "toString", [](Machine& m, Value self, std::span<Value>) -> Value { return Value(selfString(m, self)); });
    addMethod(m, sp, "valueOf", [](Machine& m, Value self, std::span<Value>) -> Value { return Value(selfString(m, self)); });
    addMethod(m, sp, "charAt", [](Machine& m, Value self, std::span<Value> a) -> Value {
        std::u16string u = toUtf16(selfString(m, self));
        long long i = clampIndex(m, arg(a, 0), 0);
        if (i < 0 || i >= static_cast<long long>(u.size())) return Value("");
        return Value(toUtf8(u.substr(static_cast<size_t>(i), 1)));
    });
    addMethod(m, sp, "charCodeAt", [](Machine& m, Value self, std::span<Value> a) -> Value {
        std::u16string u = toUtf16(selfString(m, self));
        long long i = clampIndex(m, arg(a, 0), 0);
        if (i < 0 || i >= static_cast<long long>(u.size())) return Value(NAN);
        return Value(static_cast<double>(u[static_cast<size_t>(i)]));
    });
    addMethod(m, sp, "concat", [](Machine& m, Value self, std::span<Value> a) -> Value {
        std::string s = selfString(m, self);
        for (auto& v : a) {
            s += m.toString(v);
            m.checkStringSize(s.size());
        }
        return Value(s);
    });
    addMethod(m, sp, "indexOf", [](Machine& m, Value self, std::span<Value> a) -> Value {
        std::u16string u = toUtf16(selfString(m, self));
        std::u16string n = toUtf16(m.toString(arg(a, 0)));
        long long from = std::max(0LL, clampIndex(m, arg(a, 1), 0));
        if (from > static_cast<long long>(u.size())) return Value(-1);
        size_t p = u.find(n, static_cast<size_t>(from));
        return Value(p == std::u16string::npos ? -1.0 : static_cast<double>(p));
    });
    addMethod(m, sp, "lastIndexOf", [](Machine& m, Value self, std::span<Value> a) -> Value {
        std::u16string u = toUtf16(selfString(m, self));
        std::u16string n = toUtf16(m.toString(arg(a, 0)));
        long long from = clampIndex(m, arg(a, 1), static_cast<long long>(u.size()));
        if (from < 0) return Value(-1);
        size_t p = u.rfind(n, static_cast<size_t>(from));
        return Value(p == std::u16string::npos ? -1.0 : static_cast<double>(p));
    });
    addMethod(m, sp, "slice", [](Machine& m, Value self, std::span<Value> a) -> Value {
        std::u16string u = toUtf16(selfString(m, self));
        long long len = static_cast<long long>(u.size());
        long long s = clampIndex(m, arg(a, 0), 0), e = clampIndex(m, arg(a, 1), len);
        if (s < 0) s += len;
        if (e < 0) e += len;
        s = std::clamp(s, 0LL, len);
        e = std::clamp(e, 0LL, len);
        if (e <= s) return Value("");
        return Value(toUtf8(u.substr(static_cast<size_t>(s), static_cast<size_t>(e - s))));
    });
    addMethod(m, sp, "substring", [](Machine& m, Value self, std::span<Value> a) -> Value {
        std::u16string u = toUtf16(selfString(m, self));
        long long len = static_cast<long long>(u.size());
        long long s = std::clamp(clampIndex(m, arg(a, 0), 0), 0LL, len);
        long long e = std::clamp(clampIndex(m, arg(a, 1), len), 0LL, len);
        if (e < s) std::swap(s, e);
        return Value(toUtf8(u.substr(static_cast<size_t>(s), static_cast<size_t>(e - s))));
    });
    addMethod(m, sp, "substr", [](Machine& m, Value self, std::span<Value> a) -> Value {
        std::u16string u = toUtf16(selfString(m, self));
        long long len = static_cast<long long>(u.size());
        long long s = clampIndex(m, arg(a, 0), 0);
        if (s < 0) s = std::max(0LL, s + len);
        s = std::min(s, len);
        long long n = clampIndex(m, arg(a, 1), len - s);
        if (n < 0) n = std::max(0LL, n + len - s);
        n = std::clamp(n, 0LL, len - s);
        return Value(toUtf8(u.substr(static_cast<size_t>(s), static_cast<size_t>(n))));
    });
    addMethod(m, sp, "split", [](Machine& m, Value self, std::span<Value> a) -> Value {
        std::string s = selfString(m, self);
        std::vector<Value> out;
        Value sepv = arg(a, 0);
        double lim = a.size() > 1 && !a[1].isUndefined() ? m.toNumber(a[1]) : 1e18;
        size_t limit = std::isnan(lim) || lim < 0 ? 0 : static_cast<size_t>(std::min(lim, 1e12));
        if (sepv.isUndefined()) {
            out.push_back(Value(s));
        } else {
            std::string sep = m.toString(sepv);
            if (sep.empty()) {
                std::u16string u = toUtf16(s);
                for (char16_t c : u) {
                    if (out.size() >= limit) break;
                    out.push_back(Value(toUtf8(std::u16string(1, c))));
                }
            } else {
                size_t i = 0;
                while (out.size() < limit) {
                    size_t j = s.find(sep, i);
                    if (j == std::string::npos) {
                        out.push_back(Value(s.substr(i)));
                        break;
                    }
                    out.push_back(Value(s.substr(i, j - i)));
                    i = j + sep.size();
                }
            }
        }
        if (out.size() > limit) out.resize(limit);
        return Value(m.newArray(std::move(out)));
    });
    addMethod(m, sp, "toLowerCase", [](Machine& m, Value self, std::span<Value>) -> Value {
        return Value(toUtf8(changeCase(toUtf16(selfString(m, self)), false)));
    });
    addMethod(m, sp, "toUpperCase", [](Machine& m, Value self, std::span<Value>) -> Value {
        return Value(toUtf8(changeCase(toUtf16(selfString(m, self)), true)));
    });

    // Math
    Object* math = m.newObject();
    m.setOwn(g, "Math", Value(math), kDontEnum);
    auto constant = [&](const char* n, double v) { m.setOwn(math, n, Value(v), kDontEnum | kDontDelete | kReadOnly); };
    constant("E", std::numbers::e);
    constant("LN10", std::numbers::ln10);
    constant("LN2", std::numbers::ln2);
    constant("LOG10E", std::numbers::log10e);
    constant("LOG2E", std::numbers::log2e);
    constant("PI", std::numbers::pi);
    constant("SQRT1_2", std::numbers::sqrt2 / 2);
    constant("SQRT2", std::numbers::sqrt2);
#define MATH1(name, expr)                                                                   \
    addMethod(m, math, name, [](Machine& m, Value, std::span<Value> a) -> Value {           \
        double x = a.empty() ? NAN : m.toNumber(a[0]);                                      \
        return Value(expr);                                                                 \
    })
    MATH1("abs", std::abs(x));
    MATH1("acos", std::acos(x));
    MATH1("asin", std::asin(x));
    MATH1("atan", std::atan(x));
    MATH1("ceil", std::ceil(x));
    MATH1("cos", std::cos(x));
    MATH1("exp", std::exp(x));
    MATH1("floor", std::floor(x));
    MATH1("log", std::log(x));
    MATH1("round", std::floor(x + 0.5));
    MATH1("sin", std::sin(x));
    MATH1("sqrt", std::sqrt(x));
    MATH1("tan", std::tan(x));
#undef MATH1
    addMethod(m, math, "atan2", [](Machine& m, Value, std::span<Value> a) -> Value {
        return Value(std::atan2(m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1))));
    });
    addMethod(m, math, "pow", [](Machine& m, Value, std::span<Value> a) -> Value {
        return Value(std::pow(m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1))));
    });
    addMethod(m, math, "min", [](Machine& m, Value, std::span<Value> a) -> Value { return minMax(m, a, false); });
    addMethod(m, math, "max", [](Machine& m, Value, std::span<Value> a) -> Value { return minMax(m, a, true); });
    addMethod(m, math, "random", [](Machine& m, Value, std::span<Value>) -> Value {
        return Value(static_cast<double>(m.rng() % 0x7fffffffu) / 2147483647.0);
    });
}

void installMath(Machine&, Object*) {}

} // namespace swf::avm1
