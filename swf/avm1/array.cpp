// Array: the methods and sort/sortOn with their flags.
#include "swf/avm1/machine.h"

#include <algorithm>
#include <cmath>

namespace swf::avm1 {

namespace {

constexpr int kCaseInsensitive = 1, kDescending = 2, kUniqueSort = 4, kReturnIndexedArray = 8, kNumeric = 16;
constexpr size_t kMaxElems = 16u << 20;

Object* arr(const Value& self) {
    return self.isObject() && self.o->kind == Kind::Array ? self.o : nullptr;
}

// Elements of any object with a length, for methods called on non-arrays.
std::vector<Value>* elemsOf(const Value& self) {
    Object* a = arr(self);
    return a ? &a->elems : nullptr;
}

long long relIndex(Machine& m, const Value& v, long long len, long long dflt) {
    if (v.isUndefined()) return dflt;
    double d = m.toNumber(v);
    if (std::isnan(d)) return 0;
    long long i = static_cast<long long>(std::clamp(d, -1e15, 1e15));
    if (i < 0) i += len;
    return std::clamp(i, 0LL, len);
}

std::string joinElems(Machine& m, const std::vector<Value>& e, const std::string& sep) {
    std::string out;
    for (size_t i = 0; i < e.size(); ++i) {
        if (i) out += sep;
        const Value& v = e[i];
        if (v.isUndefined()) out += m.version() >= 7 ? "undefined" : "";
        else out += m.toString(v);
        m.checkStringSize(out.size());
    }
    return out;
}

// Merge sort: safe with comparators that are inconsistent or throw.
template <typename Less> void mergeSort(std::vector<size_t>& idx, Less less) {
    std::vector<size_t> tmp(idx.size());
    for (size_t width = 1; width < idx.size(); width *= 2) {
        for (size_t lo = 0; lo < idx.size(); lo += 2 * width) {
            size_t mid = std::min(lo + width, idx.size()), hi = std::min(lo + 2 * width, idx.size());
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) tmp[k++] = less(idx[j], idx[i]) ? idx[j++] : idx[i++];
            while (i < mid) tmp[k++] = idx[i++];
            while (j < hi) tmp[k++] = idx[j++];
        }
        idx.swap(tmp);
    }
}

int compareDefault(Machine& m, const Value& a, const Value& b, int flags) {
    if (flags & kNumeric) {
        double x = m.toNumber(a), y = m.toNumber(b);
        bool xn = std::isnan(x) || !a.isNumber(), yn = std::isnan(y) || !b.isNumber();
        if (xn && yn) return 0;
        if (!a.isNumber() || !b.isNumber()) {
            // Non-numbers sort after numbers, as strings among themselves.
            if (a.isNumber()) return -1;
            if (b.isNumber()) return 1;
        } else {
            return x < y ? -1 : x > y ? 1 : 0;
        }
    }
    std::string x = m.toString(a), y = m.toString(b);
    if (a.isUndefined()) x = "undefined";
    if (b.isUndefined()) y = "undefined";
    if (flags & kCaseInsensitive) {
        x = asciiLower(x);
        y = asciiLower(y);
    }
    return x < y ? -1 : x > y ? 1 : 0;
}

Value sortWith(Machine& m, Object* o, std::vector<Value> keys, std::function<int(size_t, size_t)> cmp, int flags) {
    std::vector<size_t> idx(keys.size());
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = i;
    bool equal = false;
    auto less = [&](size_t x, size_t y) {
        int c = cmp(x, y);
        if (c == 0) equal = true;
        if (flags & kDescending) c = -c;
        return c < 0;
    };
    mergeSort(idx, less);
    if ((flags & kUniqueSort) && equal) return Value(0);
    if (flags & kReturnIndexedArray) {
        std::vector<Value> out;
        for (size_t i : idx) out.push_back(Value(static_cast<double>(i)));
        return Value(m.newArray(std::move(out)));
    }
    std::vector<Value> sorted;
    sorted.reserve(idx.size());
    for (size_t i : idx) sorted.push_back(o->elems[i]);
    o->elems = std::move(sorted);
    return Value(o);
}

Value arraySort(Machine& m, Value self, std::span<Value> a) {
    Object* o = arr(self);
    if (!o) return {};
    Value fn;
    int flags = 0;
    size_t k = 0;
    if (k < a.size() && a[k].isObject() && a[k].o->kind == Kind::Function) fn = a[k++];
    if (k < a.size()) flags = m.toInt(a[k]);
    std::vector<Value> elems = o->elems;
    std::function<int(size_t, size_t)> cmp;
    if (fn.isObject()) {
        cmp = [&](size_t x, size_t y) {
            Value args[2] = {elems[x], elems[y]};
            double r = m.toNumber(m.call(fn, Value(), args));
            return r < 0 ? -1 : r > 0 ? 1 : 0;
        };
    } else {
        cmp = [&](size_t x, size_t y) { return compareDefault(m, elems[x], elems[y], flags); };
    }
    return sortWith(m, o, elems, cmp, flags);
}

Value arraySortOn(Machine& m, Value self, std::span<Value> a) {
    Object* o = arr(self);
    if (!o) return {};
    std::vector<std::string> names;
    std::vector<int> flagList;
    Value n = arg(a, 0);
    if (n.isObject() && n.o->kind == Kind::Array)
        for (auto& v : n.o->elems) names.push_back(m.toString(v));
    else if (!n.isUndefined())
        names.push_back(m.toString(n));
    Value f = arg(a, 1);
    int flags = 0;
    if (f.isObject() && f.o->kind == Kind::Array) {
        for (auto& v : f.o->elems) flagList.push_back(m.toInt(v));
        if (flagList.size() != names.size()) flagList.clear();
    } else if (!f.isUndefined()) {
        flags = m.toInt(f);
    }
    std::vector<Value> elems = o->elems;
    std::vector<std::vector<Value>> fields(elems.size());
    for (size_t i = 0; i < elems.size(); ++i)
        for (auto& name : names) fields[i].push_back(m.get(elems[i], name));
    int outer = flagList.empty() ? flags : (flagList[0] & (kUniqueSort | kReturnIndexedArray));
    auto cmp = [&](size_t x, size_t y) {
        for (size_t k = 0; k < names.size(); ++k) {
            int fl = flagList.empty() ? flags : flagList[k];
            int c = compareDefault(m, fields[x][k], fields[y][k], fl);
            if (!flagList.empty() && (fl & kDescending)) c = -c;
            if (c) return c;
        }
        return 0;
    };
    return sortWith(m, o, elems, cmp, flagList.empty() ? outer : (outer & ~kDescending));
}

} // namespace

void installArray(Machine& m, Object* g) {
    Object* ap = m.newObject();
    ap->kind = Kind::Array;
    auto construct = [](Machine& m, Value, std::span<Value> a) -> Value {
        if (a.size() == 1 && a[0].isNumber()) {
            double n = a[0].n;
            Object* o = m.newArray();
            if (std::isfinite(n) && n >= 0 && n <= static_cast<double>(kMaxElems)) o->elems.resize(static_cast<size_t>(n));
            return Value(o);
        }
        return Value(m.newArray(std::vector<Value>(a.begin(), a.end())));
    };
    Object* ctor = addClass(m, g, "Array", construct, construct, ap);
    m.setOwn(ctor, "CASEINSENSITIVE", Value(kCaseInsensitive), kDontEnum | kDontDelete | kReadOnly);
    m.setOwn(ctor, "DESCENDING", Value(kDescending), kDontEnum | kDontDelete | kReadOnly);
    m.setOwn(ctor, "UNIQUESORT", Value(kUniqueSort), kDontEnum | kDontDelete | kReadOnly);
    m.setOwn(ctor, "RETURNINDEXEDARRAY", Value(kReturnIndexedArray), kDontEnum | kDontDelete | kReadOnly);
    m.setOwn(ctor, "NUMERIC", Value(kNumeric), kDontEnum | kDontDelete | kReadOnly);

    addMethod(m, ap, "push", [](Machine& m, Value self, std::span<Value> a) -> Value {
        auto* e = elemsOf(self);
        if (!e) return {};
        if (e->size() + a.size() > kMaxElems) throw ScriptAbort{};
        e->insert(e->end(), a.begin(), a.end());
        (void)m;
        return Value(static_cast<double>(e->size()));
    });
    addMethod(m, ap, "pop", [](Machine&, Value self, std::span<Value>) -> Value {
        auto* e = elemsOf(self);
        if (!e || e->empty()) return {};
        Value v = e->back();
        e->pop_back();
        return v;
    });
    addMethod(m, ap, "shift", [](Machine&, Value self, std::span<Value>) -> Value {
        auto* e = elemsOf(self);
        if (!e || e->empty()) return {};
        Value v = e->front();
        e->erase(e->begin());
        return v;
    });
    addMethod(m, ap, "unshift", [](Machine&, Value self, std::span<Value> a) -> Value {
        auto* e = elemsOf(self);
        if (!e) return {};
        if (e->size() + a.size() > kMaxElems) throw ScriptAbort{};
        e->insert(e->begin(), a.begin(), a.end());
        return Value(static_cast<double>(e->size()));
    });
    addMethod(m, ap, "slice", [](Machine& m, Value self, std::span<Value> a) -> Value {
        auto* e = elemsOf(self);
        if (!e) return {};
        long long len = static_cast<long long>(e->size());
        long long s = relIndex(m, arg(a, 0), len, 0), t = relIndex(m, arg(a, 1), len, len);
        std::vector<Value> out;
        for (long long i = s; i < t; ++i) out.push_back((*e)[static_cast<size_t>(i)]);
        return Value(m.newArray(std::move(out)));
    });
    addMethod(m, ap, "splice", [](Machine& m, Value self, std::span<Value> a) -> Value {
        auto* e = elemsOf(self);
        if (!e || a.empty()) return {};
        long long len = static_cast<long long>(e->size());
        long long s = relIndex(m, a[0], len, 0);
        long long count = len - s;
        if (a.size() > 1) {
            double c = m.toNumber(a[1]);
            count = std::isnan(c) ? 0 : static_cast<long long>(std::clamp(c, 0.0, static_cast<double>(len - s)));
        }
        std::vector<Value> removed(e->begin() + s, e->begin() + s + count);
        e->erase(e->begin() + s, e->begin() + s + count);
        if (a.size() > 2) {
            if (e->size() + a.size() > kMaxElems) throw ScriptAbort{};
            e->insert(e->begin() + s, a.begin() + 2, a.end());
        }
        return Value(m.newArray(std::move(removed)));
    });
    addMethod(m, ap, "concat", [](Machine& m, Value self, std::span<Value> a) -> Value {
        auto* e = elemsOf(self);
        std::vector<Value> out = e ? *e : std::vector<Value>{};
        for (auto& v : a) {
            if (Object* o = arr(v)) out.insert(out.end(), o->elems.begin(), o->elems.end());
            else out.push_back(v);
            if (out.size() > kMaxElems) throw ScriptAbort{};
        }
        return Value(m.newArray(std::move(out)));
    });
    addMethod(m, ap, "join", [](Machine& m, Value self, std::span<Value> a) -> Value {
        auto* e = elemsOf(self);
        if (!e) return {};
        std::string sep = a.empty() || a[0].isUndefined() ? std::string(",") : m.toString(a[0]);
        return Value(joinElems(m, *e, sep));
    });
    addMethod(m, ap, "toString", [](Machine& m, Value self, std::span<Value>) -> Value {
        auto* e = elemsOf(self);
        if (e) return Value(joinElems(m, *e, ","));
        // Another object with a length lists that many empty places.
        double n = self.isObject() ? m.toNumber(m.get(self, "length")) : NAN;
        if (!std::isfinite(n) || n < 0) return Value("[object Object]");
        if (n > kMaxElems) throw ScriptAbort{};
        return Value(joinElems(m, std::vector<Value>(static_cast<size_t>(n)), ","));
    });
    addMethod(m, ap, "reverse", [](Machine&, Value self, std::span<Value>) -> Value {
        auto* e = elemsOf(self);
        if (e) std::reverse(e->begin(), e->end());
        return self;
    });
    addMethod(m, ap, "sort", arraySort);
    addMethod(m, ap, "sortOn", arraySortOn);
}

} // namespace swf::avm1
