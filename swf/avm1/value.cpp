#include "swf/avm1/value.h"

#include "swf/avm1/machine.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace swf::avm1 {

Object::~Object() = default;

Property* Object::find(const std::string& key) {
    auto it = index.find(key);
    if (it == index.end()) return nullptr;
    const uint32_t i = it->second;
    if (props[i].pendingGroup) [[unlikely]]
        makeBuiltinGroup(*builtins, props[i].pendingGroup);
    return &props[i];
}

Heap::~Heap() {
    for (Object* o : all_) delete o;
}

Object* Heap::make(Kind k, Object* proto) {
    auto* o = new Object;
    o->kind = k;
    o->proto = proto;
    all_.push_back(o);
    ++since_;
    return o;
}

std::string Heap::key(std::string_view name) const {
    std::string k(name);
    if (!caseSensitive_)
        for (char& c : k)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return k;
}

void Heap::mark(Object* o, std::vector<Object*>& work) {
    if (o && !o->marked) {
        o->marked = true;
        work.push_back(o);
    }
}

void Heap::collect(const std::vector<Object*>& roots) {
    std::vector<Object*> work;
    for (Object* r : roots) mark(r, work);
    auto markValue = [&](const Value& v) {
        if (v.kind == Value::Obj) mark(v.o, work);
    };
    while (!work.empty()) {
        Object* o = work.back();
        work.pop_back();
        mark(o->proto, work);
        for (const Property& p : o->props) {
            markValue(p.value);
            mark(p.getter, work);
            mark(p.setter, work);
        }
        markValue(o->prim);
        for (Object* s : o->scope) mark(s, work);
        mark(o->superThis, work);
        mark(o->superProto, work);
        for (auto& [k, w] : o->watches) {
            mark(w.fn, work);
            markValue(w.data);
        }
        for (Object* r : o->refs) mark(r, work);
        if (o->xml) markXml(*o->xml, [&](Object* x) { mark(x, work); });
    }
    size_t kept = 0;
    for (Object* o : all_) {
        if (o->marked) {
            o->marked = false;
            all_[kept++] = o;
        } else {
            if (auto c = o->clip.lock()) forgetClipObject(*c, o);
            delete o;
        }
    }
    all_.resize(kept);
    since_ = 0;
}

std::string numberToString(double d) {
    if (std::isnan(d)) return "NaN";
    if (std::isinf(d)) return d > 0 ? "Infinity" : "-Infinity";
    if (d == 0) return "0";
    if (std::abs(d) < 1e15 && d == std::floor(d)) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.0f", d);
        return buf;
    }
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", d);
    std::string s = buf;
    size_t e = s.find('e');
    if (e == std::string::npos) return s;
    // The exponent without leading zeros: 1e-7, 1.5e+21.
    std::string mant = s.substr(0, e);
    char sign = s[e + 1];
    std::string digits = s.substr(e + 2);
    while (digits.size() > 1 && digits[0] == '0') digits.erase(0, 1);
    return mant + "e" + sign + digits;
}

namespace {
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
} // namespace

double stringToNumber(std::string_view s, int version) {
    size_t i = 0;
    while (i < s.size() && isSpace(s[i])) ++i;
    std::string_view t = s.substr(i);
    if (t.empty()) return version >= 5 ? NAN : 0;
    // Hexadecimal (0x..) and, for digits 0-7 with a leading zero, octal.
    bool neg = false;
    std::string_view u = t;
    if (!u.empty() && (u[0] == '-' || u[0] == '+')) {
        neg = u[0] == '-';
        u = u.substr(1);
    }
    if (version >= 6 && u.size() > 2 && u[0] == '0' && (u[1] == 'x' || u[1] == 'X')) {
        double v = 0;
        for (size_t k = 2; k < u.size(); ++k) {
            char c = u[k];
            int dgt = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (dgt < 0) return NAN;
            v = v * 16 + dgt;
        }
        return neg ? -v : v;
    }
    if (version >= 6 && u.size() > 1 && u[0] == '0') {
        bool octal = true;
        for (char c : u)
            if (c < '0' || c > '7') octal = false;
        if (octal) {
            double v = 0;
            for (char c : u) v = v * 8 + (c - '0');
            return neg ? -v : v;
        }
    }
    if (u == "Infinity") return neg ? -INFINITY : INFINITY;
    // Decimal: digits, optional fraction, optional exponent; nothing may follow.
    std::string buf(t);
    size_t k = 0;
    if (k < buf.size() && (buf[k] == '-' || buf[k] == '+')) ++k;
    size_t digits = 0;
    while (k < buf.size() && std::isdigit(static_cast<unsigned char>(buf[k]))) ++k, ++digits;
    if (k < buf.size() && buf[k] == '.') {
        ++k;
        while (k < buf.size() && std::isdigit(static_cast<unsigned char>(buf[k]))) ++k, ++digits;
    }
    // Before SWF 5 there is no NaN: a string without a number reads as 0.
    if (digits == 0) return version >= 5 ? NAN : 0;
    if (k < buf.size() && (buf[k] == 'e' || buf[k] == 'E')) {
        size_t m = k + 1;
        if (m < buf.size() && (buf[m] == '-' || buf[m] == '+')) ++m;
        size_t ed = 0;
        while (m < buf.size() && std::isdigit(static_cast<unsigned char>(buf[m]))) ++m, ++ed;
        if (ed) k = m;
    }
    if (k != buf.size()) {
        // Before SWF 5 a number is read up to the first character that does not fit.
        if (version >= 5) return NAN;
    }
    return std::strtod(buf.substr(0, k).c_str(), nullptr);
}

int32_t toInt32(double d) { return static_cast<int32_t>(toUint32(d)); }

uint32_t toUint32(double d) {
    if (!std::isfinite(d)) return 0;
    double t = std::trunc(d);
    double m = std::fmod(t, 4294967296.0);
    if (m < 0) m += 4294967296.0;
    return static_cast<uint32_t>(m);
}

bool isAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

std::u16string toUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp;
        int len;
        if (c < 0x80) cp = c, len = 1;
        else if ((c >> 5) == 6) cp = c & 0x1f, len = 2;
        else if ((c >> 4) == 14) cp = c & 0x0f, len = 3;
        else if ((c >> 3) == 30) cp = c & 0x07, len = 4;
        else cp = c, len = 1; // a stray byte stands for itself
        if (i + len > s.size()) len = 1, cp = c;
        for (int k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3f);
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3ff)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string toUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) out.push_back(static_cast<char>(cp));
        else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3f)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3f)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3f)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3f)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3f)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3f)));
        }
    }
    return out;
}

} // namespace swf::avm1
