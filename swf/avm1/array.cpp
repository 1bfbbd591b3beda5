// Array: the methods and sort/sortOn with their flags.
#include "swf/avm1/machine.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace swf::avm1 {

namespace {

constexpr int kCaseInsensitive = 1, kDescending = 2, kUniqueSort = 4, kReturnIndexedArray = 8, kNumeric = 16;
constexpr size_t kMaxElems = 16u << 20;

Object* arr(const Value& self) {
    return self.isObject() && self.o->kind == Kind::Array ? self.o : nullptr;
}

// An array through its own length and the properties named by index; holes read
// as undefined, or as what the prototype chain holds. A length or an element made
// virtual with addProperty is seen by scripts reading it, not here: the methods
// work on the count and the values stored underneath.
struct List {
    Machine& m;
    Object* o;
    size_t length() {
        if (o->length > kMaxElems) throw ScriptAbort{};
        return o->length;
    }
    Value at(size_t i) {
        m.step();
        const std::string name = std::to_string(i);
        if (Property* p = o->find(m.heap().key(name)); p && p->getter) return p->value;
        return m.getOf(o, name, Value(o));
    }
    // Moving a value to a place deletes what was there first: the place becomes
    // the newest property, and keeps its value only when it can be neither
    // deleted nor written.
    void put(size_t i, const Value& v) {
        m.step();
        std::string name = std::to_string(i);
        m.remove(o, name);
        m.set(Value(o), name, v);
    }
    void erase(size_t i) {
        m.step();
        m.remove(o, std::to_string(i));
    }
    void setLength(size_t n) { m.set(Value(o), "length", Value(static_cast<double>(n))); }
    std::vector<Value> values() {
        size_t n = length();
        std::vector<Value> out;
        out.reserve(n);
        for (size_t i = 0; i < n; ++i) out.push_back(at(i));
        return out;
    }
};

// The methods act on arrays only.
std::optional<List> listOf(Machine& m, const Value& self) {
    if (!arr(self)) return std::nullopt;
    return List{m, self.o};
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

// The player's sort is a quicksort: the first element of a range is its pivot;
// those less than it move before it in their order of meeting, the rest stay
// after it. It is not stable, and which of two equal elements comes first follows
// from that. Safe with comparers that are inconsistent or throw.
template <typename Less> void quickSort(std::vector<size_t>& idx, Less less) {
    std::vector<std::pair<size_t, size_t>> ranges; // [lo, hi), the last one next
    if (idx.size() > 1) ranges.emplace_back(0, idx.size());
    while (!ranges.empty()) {
        auto [lo, hi] = ranges.back();
        ranges.pop_back();
        size_t place = lo;
        for (size_t j = lo + 1; j < hi; ++j)
            if (less(idx[j], idx[lo])) std::swap(idx[++place], idx[j]);
        std::swap(idx[lo], idx[place]);
        // The part before the pivot is sorted first.
        if (hi - place > 2) ranges.emplace_back(place + 1, hi);
        if (place - lo > 1) ranges.emplace_back(lo, place);
    }
}

// Merge sort, for long arrays: that quicksort takes time by the square of the
// length on sorted or repetitive input, so arrays past kLongSort elements are
// sorted stably instead.
constexpr size_t kLongSort = 256;
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
    // Numeric sorting compares two numbers as numbers (NaN after all others);
    // anything else, even a number beside a string, compares as strings.
    if ((flags & kNumeric) && a.isNumber() && b.isNumber()) {
        bool xn = std::isnan(a.n), yn = std::isnan(b.n);
        if (xn || yn) return xn == yn ? 0 : xn ? 1 : -1;
        return a.n < b.n ? -1 : a.n > b.n ? 1 : 0;
    }
    std::string x = m.toString(a), y = m.toString(b);
    if (a.isUndefined()) x = "undefined";
    if (b.isUndefined()) y = "undefined";
    if (flags & kCaseInsensitive) {
        x = toUtf8(changeCase(toUtf16(x), false));
        y = toUtf8(changeCase(toUtf16(y), false));
    }
    return x < y ? -1 : x > y ? 1 : 0;
}

Value sortWith(Machine& m, List list, const std::vector<Value>& elems, std::function<int(size_t, size_t)> cmp,
               int flags) {
    std::vector<size_t> idx(elems.size());
    for (size_t i = 0; i < idx.size(); ++i) idx[i] = i;
    bool equal = false;
    auto less = [&](size_t x, size_t y) {
        int c = cmp(x, y);
        if (c == 0) equal = true;
        if (flags & kDescending) c = -c;
        return c < 0;
    };
    if (idx.size() > kLongSort) mergeSort(idx, less);
    else quickSort(idx, less);
    if ((flags & kUniqueSort) && equal) return Value(0);
    if (flags & kReturnIndexedArray) {
        std::vector<Value> out;
        for (size_t i : idx) out.push_back(Value(static_cast<double>(i)));
        return Value(m.newArray(std::move(out)));
    }
    for (size_t i = 0; i < idx.size(); ++i) list.put(i, elems[idx[i]]);
    return Value(list.o);
}

Value arraySort(Machine& m, Value self, std::span<Value> a) {
    auto list = listOf(m, self);
    if (!list) return {};
    // The first argument is a comparer (any object) or the flags; anything else
    // sorts nothing. Flags given second win over those given first.
    Value fn;
    int flags = 0;
    if (!a.empty()) {
        if (a[0].isObject()) fn = a[0];
        else if (a[0].isNumber()) flags = m.toInt(a[0]);
        else return {};
    }
    if (a.size() > 1 && !a[1].isUndefined()) flags = m.toInt(a[1]);
    std::vector<Value> elems = list->values();
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
    return sortWith(m, *list, elems, cmp, flags);
}

// sortOn reads the elements' own stored values: no getters run and nothing
// comes from a prototype; a primitive element is compared as itself.
Value ownField(Machine& m, const Value& v, const std::string& name) {
    if (!v.isObject()) return v;
    if (Property* p = v.o->find(m.heap().key(name))) return p->getter || p->setter ? Value() : p->value;
    if (name == "length" && (v.o->kind == Kind::Array || v.o->kind == Kind::StringBox)) return m.get(v, name);
    return {};
}

Value arraySortOn(Machine& m, Value self, std::span<Value> a) {
    auto list = listOf(m, self);
    if (!list) return {};
    std::vector<std::string> names;
    std::vector<int> flagList;
    if (a.empty()) return {};
    Value n = arg(a, 0);
    if (arr(n))
        for (auto& v : m.elements(n)) names.push_back(m.toString(v));
    else if (!n.isUndefined())
        names.push_back(m.toString(n));
    Value f = arg(a, 1);
    int flags = 0;
    if (arr(f)) {
        for (auto& v : m.elements(f)) flagList.push_back(m.toInt(v));
        if (flagList.size() != names.size()) flagList.clear();
    } else if (!f.isUndefined()) {
        flags = m.toInt(f);
    }
    std::vector<Value> elems = list->values();
    std::vector<std::vector<Value>> fields(elems.size());
    for (size_t i = 0; i < elems.size(); ++i)
        for (auto& name : names) fields[i].push_back(ownField(m, elems[i], name));
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
    return sortWith(m, *list, elems, cmp, flagList.empty() ? outer : (outer & ~kDescending));
}

} // namespace

std::vector<Value> Machine::elements(const Value& v) {
    auto list = listOf(*this, v);
    return list ? list->values() : std::vector<Value>{};
}

void Machine::setElements(Object* o, std::span<const Value> values) {
    List list{*this, o};
    for (size_t i = 0, n = list.length(); i < n; ++i) list.erase(i);
    for (size_t i = 0; i < values.size(); ++i) set(Value(o), std::to_string(i), values[i]);
    list.setLength(values.size());
}

void Machine::pushElement(Object* o, const Value& v) {
    List list{*this, o};
    size_t n = list.length();
    set(Value(o), std::to_string(n), v);
    list.setLength(n + 1);
}

void installArray(Machine& m, Object* g) {
    Object* ap = m.newObject();
    ap->kind = Kind::Array;
    auto construct = [](Machine& m, Value, std::span<Value> a) -> Value {
        if (a.size() == 1 && a[0].isNumber()) {
            double n = a[0].n;
            Object* o = m.newArray();
            if (std::isfinite(n) && n >= 0 && n <= static_cast<double>(kMaxElems)) o->length = static_cast<size_t>(n);
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
        auto list = listOf(m, self);
        if (!list) return {};
        size_t n = list->length();
        if (n + a.size() > kMaxElems) throw ScriptAbort{};
        for (size_t i = 0; i < a.size(); ++i) m.set(self, std::to_string(n + i), a[i]);
        list->setLength(n + a.size());
        return Value(static_cast<double>(n + a.size()));
    });
    addMethod(m, ap, "pop", [](Machine& m, Value self, std::span<Value>) -> Value {
        auto list = listOf(m, self);
        if (!list) return {};
        size_t n = list->length();
        if (n == 0) return {};
        Value v = list->at(n - 1);
        list->erase(n - 1);
        list->setLength(n - 1);
        return v;
    });
    addMethod(m, ap, "shift", [](Machine& m, Value self, std::span<Value>) -> Value {
        auto list = listOf(m, self);
        if (!list) return {};
        size_t n = list->length();
        if (n == 0) return {};
        Value first = list->at(0);
        for (size_t i = 1; i < n; ++i) list->put(i - 1, list->at(i));
        list->erase(n - 1);
        list->setLength(n - 1);
        return first;
    });
    addMethod(m, ap, "unshift", [](Machine& m, Value self, std::span<Value> a) -> Value {
        auto list = listOf(m, self);
        if (!list) return {};
        size_t n = list->length(), k = a.size();
        if (n + k > kMaxElems) throw ScriptAbort{};
        for (size_t i = n; i-- > 0;) list->put(i + k, list->at(i));
        for (size_t i = 0; i < k; ++i) list->put(i, a[i]);
        list->setLength(n + k);
        return Value(static_cast<double>(n + k));
    });
    addMethod(m, ap, "slice", [](Machine& m, Value self, std::span<Value> a) -> Value {
        auto list = listOf(m, self);
        if (!list) return {};
        long long len = static_cast<long long>(list->length());
        long long s = relIndex(m, arg(a, 0), len, 0), t = relIndex(m, arg(a, 1), len, len);
        std::vector<Value> out;
        for (long long i = s; i < t; ++i) out.push_back(list->at(static_cast<size_t>(i)));
        return Value(m.newArray(std::move(out)));
    });
    addMethod(m, ap, "splice", [](Machine& m, Value self, std::span<Value> a) -> Value {
        auto list = listOf(m, self);
        if (!list || a.empty()) return {};
        size_t len = list->length();
        size_t s = static_cast<size_t>(relIndex(m, a[0], static_cast<long long>(len), 0));
        size_t count = len - s;
        if (a.size() > 1) {
            double c = m.toNumber(a[1]);
            count = std::isnan(c) ? 0 : static_cast<size_t>(std::clamp(c, 0.0, static_cast<double>(len - s)));
        }
        size_t k = a.size() > 2 ? a.size() - 2 : 0;
        if (len - count + k > kMaxElems) throw ScriptAbort{};
        std::vector<Value> removed;
        for (size_t i = s; i < s + count; ++i) removed.push_back(list->at(i));
        // The tail moves to just after the inserted values.
        if (k < count) {
            for (size_t i = s + count; i < len; ++i) list->put(i - count + k, list->at(i));
            for (size_t i = len; i-- > len - count + k;) list->erase(i);
        } else if (k > count) {
            for (size_t i = len; i-- > s + count;) list->put(i - count + k, list->at(i));
        }
        for (size_t i = 0; i < k; ++i) list->put(s + i, a[i + 2]);
        list->setLength(len - count + k);
        return Value(m.newArray(std::move(removed)));
    });
    addMethod(m, ap, "concat", [](Machine& m, Value self, std::span<Value> a) -> Value {
        std::vector<Value> out = m.elements(self);
        for (auto& v : a) {
            if (arr(v)) {
                std::vector<Value> more = m.elements(v);
                out.insert(out.end(), more.begin(), more.end());
            } else {
                out.push_back(v);
            }
            if (out.size() > kMaxElems) throw ScriptAbort{};
        }
        return Value(m.newArray(std::move(out)));
    });
    addMethod(m, ap, "join", [](Machine& m, Value self, std::span<Value> a) -> Value {
        auto list = listOf(m, self);
        if (!list) return {};
        std::string sep = a.empty() || a[0].isUndefined() ? std::string(",") : m.toString(a[0]);
        return Value(joinElems(m, list->values(), sep));
    });
    addMethod(m, ap, "toString", [](Machine& m, Value self, std::span<Value>) -> Value {
        if (auto list = listOf(m, self)) return Value(joinElems(m, list->values(), ","));
        // Another object with a length lists that many empty places.
        double n = self.isObject() ? m.toNumber(m.get(self, "length")) : NAN;
        if (!std::isfinite(n) || n < 0) return Value("[object Object]");
        if (n > kMaxElems) throw ScriptAbort{};
        return Value(joinElems(m, std::vector<Value>(static_cast<size_t>(n)), ","));
    });
    addMethod(m, ap, "reverse", [](Machine& m, Value self, std::span<Value>) -> Value {
        auto list = listOf(m, self);
        if (!list) return self;
        size_t n = list->length();
        for (size_t i = 0; i < n / 2; ++i) {
            size_t j = n - 1 - i;
            Value low = list->at(i), high = list->at(j);
            list->put(i, high);
            list->put(j, low);
        }
        return self;
    });
    addMethod(m, ap, "sort", arraySort);
    addMethod(m, ap, "sortOn", arraySortOn);
}

} // namespace swf::avm1
