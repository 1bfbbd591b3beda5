// ASnative(category, index) and the functions that install its entries on
// objects: the player's numbered table of built-in methods, for the categories
// of the classes here (Date 103, Math 200).
#include "swf/avm1/geom.h"

#include <cmath>

namespace swf::avm1 {

namespace {

struct Category {
    int id;
    const char* holder; // "Date" for its prototype's methods, "Math" for the object itself
    bool onPrototype;
    std::vector<const char*> methods; // by index; null for none
    const char* filter = nullptr; // a filter class: index 1 + 2k reads its k-th setting, 2 + 2k writes it
};

const std::vector<Category>& table() {
    static const std::vector<Category> t = {
        {103, "Date", true,
         {"getFullYear", "getYear", "getMonth", "getDate", "getDay", "getHours", "getMinutes", "getSeconds",
          "getMilliseconds", "setFullYear", "setMonth", "setDate", "setHours", "setMinutes", "setSeconds",
          "setMilliseconds", "getTime", "setTime", "getTimezoneOffset", "toString", "setYear"}},
        {200, "Math", false,
         {"abs", "min", "max", "sin", "cos", "atan2", "tan", "exp", "log", "sqrt", "round", "random", "floor", "ceil",
          "atan", "asin", "acos", "pow"}},
        {1109, nullptr, true,
         {"matrixX", "matrixY", "matrix", "divisor", "bias", "preserveAlpha", "clamp", "color", "alpha"},
         "ConvolutionFilter"},
    };
    return t;
}

Value filterAccessor(Machine& m, const Category& c, double index) {
    if (!(index >= 1 && index <= 2.0 * static_cast<double>(c.methods.size()))) return {};
    auto i = static_cast<size_t>(index) - 1;
    Value flash = m.get(Value(m.global()), "flash");
    Value ctor = m.get(m.get(flash, "filters"), c.filter);
    Value proto = m.get(ctor, "prototype");
    if (!proto.isObject()) return {};
    Property* p = proto.o->find(m.heap().key(c.methods[i / 2]));
    Object* fn = p ? (i % 2 ? p->setter : p->getter) : nullptr;
    return fn ? Value(fn) : Value();
}

// The built-in function at (category, index), or undefined.
Value nativeAt(Machine& m, double category, double index) {
    for (const Category& c : table()) {
        if (c.id != category) continue;
        if (c.filter) return filterAccessor(m, c, index);
        if (!(index >= 0 && index < static_cast<double>(c.methods.size()))) return {};
        const char* name = c.methods[static_cast<size_t>(index)];
        if (!name) return {};
        Object* holder = c.onPrototype ? m.proto(c.holder) : m.classCtor(c.holder);
        if (!holder) {
            Value g = m.get(Value(m.global()), c.holder);
            holder = g.isObject() ? g.o : nullptr;
        }
        return holder ? m.getOf(holder, name, Value(holder)) : Value();
    }
    return {};
}

// One entry of a comma list. A leading version number (1, 6 to 9, or 10) is
// taken off and becomes the property's version attribute: movies of earlier
// versions see past it.
struct Entry {
    std::string name;
    uint16_t flags = 0;
};

Entry entryOf(const std::string& raw) {
    Entry e{raw};
    int needs = 0;
    if (raw.size() > 2 && raw[0] == '1' && raw[1] == '0') {
        needs = 10;
        e.name = raw.substr(2);
    } else if (!raw.empty() && (raw[0] == '1' || (raw[0] >= '6' && raw[0] <= '9'))) {
        needs = raw[0] - '0';
        e.name = raw.substr(1);
    }
    const uint16_t byVersion[] = {kFromVersion6, kFromVersion7, kFromVersion8, kFromVersion9, kFromVersion10};
    if (needs >= 6) e.flags = byVersion[needs - 6];
    return e;
}

std::vector<std::string> splitList(const std::string& s) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i <= s.size()) {
        size_t j = s.find(',', i);
        if (j == std::string::npos) j = s.size();
        out.push_back(s.substr(i, j - i));
        i = j + 1;
    }
    return out;
}

// ASSetNative(object, category, "names", first) and ASSetNativeAccessor: each
// listed name takes the next index; an empty name only uses one up.
template <bool Accessor>
Value setNatives(Machine& m, Value, std::span<Value> a) {
    Value target = arg(a, 0);
    if (!target.isObject() || a.size() < 3) return {};
    double category = m.toNumber(a[1]);
    std::string list = m.toString(a[2]);
    double first = a.size() > 3 ? m.toNumber(a[3]) : 0;
    if (std::isnan(first)) first = 0;
    std::vector<std::string> names = splitList(list);
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].empty()) continue;
        Entry e = entryOf(names[i]);
        if (e.name.empty()) continue;
        // Accessors take two indices a name: the reader, then the writer.
        double index = first + static_cast<double>(Accessor ? 2 * i : i);
        if (!Accessor) {
            m.setOwn(target.o, e.name, nativeAt(m, category, index), e.flags);
            continue;
        }
        m.setOwn(target.o, e.name, Value(), e.flags);
        Property* p = target.o->find(m.heap().key(e.name));
        if (!p) continue;
        Value get = nativeAt(m, category, index), set = nativeAt(m, category, index + 1);
        p->getter = get.isObject() ? get.o : nullptr;
        p->setter = set.isObject() ? set.o : nullptr;
    }
    return {};
}

} // namespace

void installNativeTable(Machine& m, Object* g) {
    addMethod(m, g, "ASnative", [](Machine& m, Value, std::span<Value> a) -> Value {
        return nativeAt(m, m.toNumber(arg(a, 0)), m.toNumber(arg(a, 1)));
    });
    addMethod(m, g, "ASSetNative", setNatives<false>);
    addMethod(m, g, "ASSetNativeAccessor", setNatives<true>);
}

} // namespace swf::avm1
