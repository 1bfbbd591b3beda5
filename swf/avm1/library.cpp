// The built-in library's frame and its core: Object, Function, Boolean, Number,
// Error and the global functions. Built on a machine's first script, not per player.
#include "swf/avm1/machine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>

namespace swf::avm1 {

// The library in groups, in the order they are built. A group's classes are made when a
// script first names one of them: most movies touch a few classes, and a thumbnail's
// player should not pay for all of them. What each group puts on the global object is
// learned from the first machine of a file version, which builds every group at once;
// later machines of that version reserve the names in the same order (so the global
// object enumerates as if all were built) and make a group when one of its names is
// looked up. A group that adds to another group's objects is made whenever that one is,
// and one that adds to the core's objects is built at once, so nothing can be missing.
namespace {

using Installer = void (*)(Machine&, Object*);

void installFlashPackages(Machine& m, Object* g) {
    // The flash.* packages belong to files of version 8 and later.
    if (m.version() < 8) return;
    installGeom(m, g);
    installExternalInterface(m, g);
    installBitmapData(m, g);
    installFilters(m, g);
}

constexpr Installer kGroups[] = {
    installCore, installArray, installString, installMath, installDate, installClip, installMisc,
    installSound, installColor, installXml, installFlashPackages, installHostClasses, installNativeTable,
};
constexpr int kGroupCount = static_cast<int>(std::size(kGroups));

} // namespace

struct LibraryShape {
    struct Group {
        std::vector<std::pair<std::string, uint8_t>> globals; // names as written, flags
        std::vector<std::string> protos;
        bool deferrable = true;
        std::vector<int> followers; // later groups that add to this group's objects
    };
    std::vector<Group> groups;
};

namespace {

std::mutex shapesMutex;
std::map<int, std::shared_ptr<const LibraryShape>>& shapes() {
    static std::map<int, std::shared_ptr<const LibraryShape>> s;
    return s;
}

bool sameValue(const Value& a, const Value& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
    case Value::Obj: return a.o == b.o;
    case Value::String: return a.s == b.s;
    case Value::Number: return a.n == b.n || (std::isnan(a.n) && std::isnan(b.n));
    case Value::Boolean: return a.b == b.b;
    default: return true;
    }
}

} // namespace

void makeBuiltinGroup(Machine& m, int group) { m.makeGroup(group); }

Object* Machine::global() {
    if (!built_) buildLibrary();
    return global_;
}

Object* Machine::exposedGlobal() {
    global();
    for (int g = 0; g < static_cast<int>(pendingGroups_.size()); ++g) makeGroup(g);
    return global_;
}

Object* Machine::arrayProto() { return proto("Array"); }

Object* Machine::proto(const std::string& className) {
    global();
    auto it = protos.find(className);
    if (it == protos.end()) {
        auto p = pendingProtos_.find(className);
        if (p == pendingProtos_.end()) return objectProto_;
        makeGroup(p->second);
        it = protos.find(className);
        if (it == protos.end()) return objectProto_;
    }
    return it->second;
}

Object* Machine::classCtor(const std::string& className) {
    Value c = getOf(global(), className, Value(global_));
    return c.isObject() ? c.o : nullptr;
}

void Machine::makeGroup(int group) {
    if (group < 0 || group >= static_cast<int>(pendingGroups_.size()) || !pendingGroups_[group]) return;
    pendingGroups_[group] = false;
    const auto& shape = shape_->groups[group];
    // The reserved names become plain properties the group's code then fills in.
    for (const auto& [name, flags] : shape.globals) {
        auto it = global_->index.find(heap_.key(name));
        if (it == global_->index.end()) continue;
        Property& p = global_->props[it->second];
        p.pendingGroup = 0;
        p.flags = 0;
    }
    for (const auto& n : shape.protos) pendingProtos_.erase(n);
    kGroups[group](*this, global_);
    for (int f : shape.followers) makeGroup(f);
}

void Machine::buildLibrary() {
    built_ = true;
    objectProto_ = heap_.make(Kind::Plain, nullptr);
    functionProto_ = heap_.make(Kind::Plain, objectProto_);
    global_ = heap_.make(Kind::Plain, nullptr); // _global inherits nothing
    protos["Object"] = objectProto_;
    protos["Function"] = functionProto_;
    std::shared_ptr<const LibraryShape> shape;
    {
        std::lock_guard lock(shapesMutex);
        auto it = shapes().find(version_);
        if (it != shapes().end()) shape = it->second;
    }
    if (!shape) {
        learnLibrary();
        return;
    }
    shape_ = shape;
    kGroups[0](*this, global_);
    pendingGroups_.assign(kGroupCount, false);
    global_->builtins = this;
    for (int g = 1; g < kGroupCount; ++g) {
        const auto& group = shape->groups[g];
        pendingGroups_[g] = true;
        for (const auto& [name, flags] : group.globals) {
            std::string key = heap_.key(name);
            if (global_->index.count(key)) continue;
            global_->index.emplace(std::move(key), static_cast<uint32_t>(global_->props.size()));
            Property p{name, Value(), nullptr, nullptr, flags, true};
            p.pendingGroup = static_cast<uint8_t>(g);
            global_->props.push_back(std::move(p));
        }
        for (const auto& n : group.protos) pendingProtos_.emplace(n, g);
    }
    for (int g = 1; g < kGroupCount; ++g)
        if (!shape->groups[g].deferrable) makeGroup(g);
}

// Builds every group in order and writes down what each one adds, for the machines after.
void Machine::learnLibrary() {
    auto shape = std::make_shared<LibraryShape>();
    shape->groups.resize(kGroupCount);
    std::vector<size_t> firstObject(kGroupCount + 1); // the heap positions of each group's objects
    for (int g = 0; g < kGroupCount; ++g) {
        firstObject[g] = heap_.objects().size();
        auto& out = shape->groups[g];
        const auto& objects = heap_.objects();
        const size_t before = objects.size();
        std::vector<std::pair<size_t, Object*>> sizes; // props count and prototype of each object
        sizes.reserve(before);
        for (Object* o : objects) sizes.emplace_back(o->props.size(), o->proto);
        std::vector<Value> globals;
        for (const auto& p : global_->props) globals.push_back(p.value);
        std::vector<std::string> protoNames;
        for (const auto& [n, o] : protos) protoNames.push_back(n);

        kGroups[g](*this, global_);

        for (size_t i = globals.size(); i < global_->props.size(); ++i)
            out.globals.emplace_back(global_->props[i].name, global_->props[i].flags);
        for (size_t i = 0; i < globals.size(); ++i)
            if (!sameValue(globals[i], global_->props[i].value)) out.deferrable = false;
        for (size_t i = 0; i < before; ++i) {
            Object* o = objects[i];
            if (o == global_ || (o->props.size() == sizes[i].first && o->proto == sizes[i].second)) continue;
            // Another group's object: this group is made whenever that one is.
            int owner = static_cast<int>(std::upper_bound(firstObject.begin(), firstObject.begin() + g + 1, i) -
                                         firstObject.begin()) - 1;
            if (owner <= 0) {
                out.deferrable = false;
            } else {
                auto& f = shape->groups[owner].followers;
                if (std::find(f.begin(), f.end(), g) == f.end()) f.push_back(g);
            }
        }
        for (const auto& [n, o] : protos)
            if (std::find(protoNames.begin(), protoNames.end(), n) == protoNames.end()) out.protos.push_back(n);
        if (protos.size() != protoNames.size() + out.protos.size()) out.deferrable = false;
    }
    std::lock_guard lock(shapesMutex);
    shapes().emplace(version_, std::move(shape));
}

Object* addMethod(Machine& m, Object* o, const char* name, NativeFn fn, int data) {
    Object* f = m.newNative(fn, data);
    m.setOwn(o, name, Value(f), kDontEnum);
    return f;
}

Object* addClass(Machine& m, Object* global, const char* name, NativeFn call, NativeFn construct, Object* proto) {
    Object* ctor = m.newNative(call, 0, construct);
    m.setOwn(ctor, "prototype", Value(proto), kDontEnum | kDontDelete);
    m.setOwn(proto, "constructor", Value(ctor), kDontEnum);
    m.setOwn(global, name, Value(ctor), kDontEnum);
    m.protos[name] = proto;
    return ctor;
}

namespace {

Object* thisObject(Machine&, const Value& self) { return self.isObject() ? self.o : nullptr; }

// ASSetPropFlags(object, names, set, clear): names as an array, a comma list or null for all.
Value asSetPropFlags(Machine& m, Value, std::span<Value> a) {
    Value target = arg(a, 0);
    if (!target.isObject()) return {};
    Object* o = target.o;
    Value names = arg(a, 1);
    int set = m.toInt(arg(a, 2));
    int clear = m.toInt(arg(a, 3));
    std::vector<std::string> list;
    bool all = names.isNull();
    if (names.isObject() && names.o->kind == Kind::Array) {
        for (auto& v : m.elements(names)) list.push_back(m.toString(v));
    } else if (!all) {
        std::string s = m.toString(names);
        size_t i = 0;
        while (i <= s.size()) {
            size_t j = s.find(',', i);
            if (j == std::string::npos) j = s.size();
            list.push_back(s.substr(i, j - i));
            i = j + 1;
        }
    }
    auto apply = [&](Property& p) {
        p.flags = static_cast<uint16_t>((p.flags & ~clear) | set);
    };
    if (all) {
        for (auto& p : o->props)
            if (p.live) apply(p);
    } else {
        for (auto& n : list)
            if (Property* p = o->find(m.heap().key(n))) apply(*p);
    }
    return {};
}

Value objectConstruct(Machine& m, Value, std::span<Value> a) {
    Value v = arg(a, 0);
    if (v.isNullish()) return Value(m.newObject());
    return Value(m.toObject(v));
}

Value objectCall(Machine& m, Value, std::span<Value> a) {
    Value r = objectConstruct(m, Value(), a);
    if (arg(a, 0).isNullish()) r.o->kind = Kind::Untyped;
    return r;
}

// Other radixes write the number as a 32-bit integer, truncated the way the
// processor truncates: NaN, the infinities and anything out of range become
// -2147483648. That one's digits come out of negative remainders, each written as
// the character that many places from '0' (below it, then), as the player does.
std::string radixString(double d, int radix) {
    if (radix == 10) return numberToString(d);
    int64_t n = std::isfinite(d) && d > -2147483649.0 && d < 2147483648.0 ? static_cast<int64_t>(d) : INT32_MIN;
    std::string s;
    if (n < 0) {
        s.push_back('-');
        if (n != INT32_MIN) n = -n;
    }
    std::string digits;
    do {
        const int digit = static_cast<int>(n % radix);
        digits.push_back(static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10));
        n /= radix;
    } while (n);
    s.append(digits.rbegin(), digits.rend());
    return s;
}

double primNumber(Machine& m, const Value& self) {
    if (self.isNumber()) return self.n;
    if (self.isObject() && self.o->kind == Kind::NumberBox) return self.o->prim.n;
    return m.toNumber(self);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

Value parseIntImpl(Machine& m, Value, std::span<Value> a) {
    std::string s = m.toString(arg(a, 0));
    int radix = a.size() > 1 && !arg(a, 1).isUndefined() ? m.toInt(arg(a, 1)) : 0;
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
    if (radix == 0) {
        if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
            radix = 16;
            i += 2;
        } else if (i + 1 < s.size() && s[i] == '0') {
            // A leading zero reads octal, when every digit is octal.
            bool octal = true;
            for (size_t k = i; k < s.size() && std::isdigit(static_cast<unsigned char>(s[k])); ++k)
                if (s[k] > '7') octal = false;
            radix = octal ? 8 : 10;
        } else {
            radix = 10;
        }
    } else if (radix == 16 && i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        i += 2;
    }
    if (radix < 2 || radix > 36) return Value(NAN);
    double v = 0;
    size_t start = i;
    for (; i < s.size(); ++i) {
        int d = hexDigit(s[i]);
        if (d < 0 && std::isalpha(static_cast<unsigned char>(s[i]))) d = std::tolower(s[i]) - 'a' + 10;
        if (d < 0 || d >= radix) break;
        v = v * radix + d;
    }
    if (i == start) return Value(NAN);
    return Value(neg ? -v : v);
}

namespace {

Value parseFloatImpl(Machine& m, Value, std::span<Value> a) {
    std::string s = m.toString(arg(a, 0));
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r')) ++i;
    size_t k = i;
    if (k < s.size() && (s[k] == '-' || s[k] == '+')) ++k;
    size_t digits = 0;
    while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) ++k, ++digits;
    if (k < s.size() && s[k] == '.') {
        ++k;
        while (k < s.size() && std::isdigit(static_cast<unsigned char>(s[k]))) ++k, ++digits;
    }
    if (!digits) return Value(NAN);
    if (k < s.size() && (s[k] == 'e' || s[k] == 'E')) {
        size_t e = k + 1;
        if (e < s.size() && (s[e] == '-' || s[e] == '+')) ++e;
        size_t ed = 0;
        while (e < s.size() && std::isdigit(static_cast<unsigned char>(s[e]))) ++e, ++ed;
        if (ed) k = e;
    }
    return Value(std::strtod(s.substr(i, k - i).c_str(), nullptr));
}

Value escapeImpl(Machine& m, Value, std::span<Value> a) {
    std::string s = m.toString(arg(a, 0));
    std::string out;
    for (unsigned char c : s) {
        if (std::isalnum(c)) out.push_back(static_cast<char>(c));
        else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            out += buf;
        }
    }
    return Value(out);
}

Value unescapeImpl(Machine& m, Value, std::span<Value> a) {
    std::string s = m.toString(arg(a, 0));
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out.push_back(s[i] == '+' ? ' ' : s[i]); // '+' stands for a space
            continue;
        }
        // Two hex digits make a byte; a broken escape is dropped up to and with the
        // first character that does not fit (a '+' there takes the next one along).
        int v = 0, k = 0;
        size_t j = i + 1;
        bool broken = false;
        while (k < 2 && j < s.size()) {
            int d = hexDigit(s[j]);
            ++j;
            if (d < 0) {
                broken = true;
                if (s[j - 1] == '+' && j < s.size()) ++j;
                break;
            }
            v = v * 16 + d;
            ++k;
        }
        if (!broken && k == 2) out.push_back(static_cast<char>(v));
        i = j - 1;
    }
    return Value(out);
}

Value addTimer(Machine& m, std::span<Value> a, bool repeat) {
    Value first = arg(a, 0);
    Machine::Timer t{};
    size_t next;
    if (first.isObject() && first.o->kind == Kind::Function) {
        t.fn = first.o;
        t.interval = m.toNumber(arg(a, 1));
        next = 2;
    } else if (first.isObject()) {
        t.thisObj = first.o;
        t.method = m.toString(arg(a, 1));
        t.interval = m.toNumber(arg(a, 2));
        next = 3;
    } else {
        return {};
    }
    if (!std::isfinite(t.interval) || t.interval < 0) t.interval = 0;
    for (size_t i = next; i < a.size(); ++i) t.args.push_back(a[i]);
    t.id = m.nextTimerId++;
    t.repeat = repeat;
    t.next = m.nowMs + std::max(t.interval, 1.0);
    if (m.timers.size() > 10000) return {};
    m.timers.push_back(std::move(t));
    return Value(m.timers.back().id);
}

Value clearTimer(Machine& m, Value, std::span<Value> a) {
    int id = m.toInt(arg(a, 0));
    std::erase_if(m.timers, [&](const Machine::Timer& t) { return t.id == id; });
    return {};
}

} // namespace

void installCore(Machine& m, Object* g) {
    Object* op = m.objectProto();
    Object* fp = m.functionProto();
    Object* objectCtor = addClass(m, g, "Object", objectCall, objectConstruct, op);
    addMethod(m, op, "toString", [](Machine& m, Value self, std::span<Value>) -> Value {
        if (self.isObject() && self.o->kind == Kind::Function) return Value("[type Function]");
        if (self.isObject() && self.o->kind == Kind::Untyped) return Value("[type Object]");
        (void)m;
        return Value("[object Object]");
    });
    addMethod(m, op, "toLocaleString", [](Machine&, Value, std::span<Value>) -> Value { return Value("[object Object]"); });
    addMethod(m, op, "valueOf", [](Machine&, Value self, std::span<Value>) -> Value { return self; });
    addMethod(m, op, "hasOwnProperty", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Object* o = thisObject(m, self);
        if (!o || a.empty()) return Value(false);
        std::string n = a[0].isUndefined() ? std::string("undefined") : m.toString(a[0]);
        if (n == "__proto__") return Value(o->proto != nullptr);
        return Value(!n.empty() && m.hasOwn(o, n));
    });
    addMethod(m, op, "isPropertyEnumerable", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Object* o = thisObject(m, self);
        if (!o || a.empty()) return Value(false);
        Property* p = o->find(m.heap().key(m.toString(a[0])));
        if (!p) return Value(false);
        return Value(!(p->flags & kDontEnum));
    });
    addMethod(m, op, "isPrototypeOf", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Object* o = thisObject(m, self);
        Value v = arg(a, 0);
        if (!o || !v.isObject()) return Value(false);
        int steps = 0;
        for (Object* p = v.o->proto; p && steps < 256; p = p->proto, ++steps)
            if (p == o) return Value(true);
        return Value(false);
    });
    addMethod(m, op, "addProperty", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Object* o = thisObject(m, self);
        std::string name = m.toString(arg(a, 0));
        Value g = arg(a, 1), s = arg(a, 2);
        if (!o || name.empty() || !g.isObject() || g.o->kind != Kind::Function) return Value(false);
        // The setter is a function or null (read-only); leaving it out fails.
        if (!s.isNull() && (!s.isObject() || s.o->kind != Kind::Function)) return Value(false);
        // A property that is there already keeps its stored value underneath: the
        // array methods still see an element made virtual.
        Property* p = o->find(m.heap().key(name));
        if (!p) {
            m.setOwn(o, name, Value());
            p = o->find(m.heap().key(name));
        }
        if (!p) return Value(false);
        p->flags = 0;
        p->getter = g.o;
        p->setter = s.isObject() ? s.o : nullptr;
        return Value(true);
    });
    addMethod(m, op, "watch", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Object* o = thisObject(m, self);
        Value fn = arg(a, 1);
        if (!o || !fn.isObject() || fn.o->kind != Kind::Function) return Value(false);
        o->watches[m.heap().key(m.toString(arg(a, 0)))] = Object::Watch{fn.o, arg(a, 2)};
        return Value(true);
    });
    addMethod(m, op, "unwatch", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Object* o = thisObject(m, self);
        if (!o) return Value(false);
        return Value(o->watches.erase(m.heap().key(m.toString(arg(a, 0)))) > 0);
    });
    addMethod(m, objectCtor, "registerClass", [](Machine& m, Value, std::span<Value> a) -> Value {
        std::string name = asciiLower(m.toString(arg(a, 0)));
        auto& ex = m.player().movie().exports;
        auto it = ex.find(name);
        if (it == ex.end()) return Value(false);
        Value c = arg(a, 1);
        if (c.isObject()) m.registered[it->second] = c.o;
        else m.registered.erase(it->second);
        return Value(true);
    });

    // Function
    // Function called as a function hands back its first argument; without one it makes a
    // bare object with no prototype at all.
    Object* functionCtor = addClass(m, g, "Function", [](Machine& m, Value, std::span<Value> a) -> Value {
        if (!a.empty()) return a[0];
        Object* o = m.newObject();
        o->proto = nullptr;
        return Value(o);
    }, nullptr, fp);
    (void)functionCtor;
    addMethod(m, fp, "call", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value thisv = arg(a, 0);
        std::span<Value> rest = a.size() > 1 ? a.subspan(1) : std::span<Value>();
        return m.call(self, thisv, rest);
    });
    addMethod(m, fp, "apply", [](Machine& m, Value self, std::span<Value> a) -> Value {
        Value thisv = arg(a, 0);
        std::vector<Value> args;
        Value list = arg(a, 1);
        if (list.isObject() && list.o->kind == Kind::Array) args = m.elements(list);
        return m.call(self, thisv, args);
    });
    addMethod(m, fp, "toString", [](Machine&, Value, std::span<Value>) -> Value { return Value("[type Function]"); });

    // Boolean
    Object* bp = m.newObject();
    bp->kind = Kind::BooleanBox;
    bp->prim = Value(false);
    addClass(m, g, "Boolean", [](Machine& m, Value, std::span<Value> a) -> Value {
        return a.empty() ? Value() : Value(m.toBoolean(a[0]));
    }, [](Machine& m, Value, std::span<Value> a) -> Value {
        Object* o = m.toObject(Value(a.empty() ? false : m.toBoolean(a[0])));
        return Value(o);
    }, bp);
    addMethod(m, bp, "toString", [](Machine& m, Value self, std::span<Value>) -> Value {
        if (self.kind == Value::Boolean) return Value(self.b ? "true" : "false");
        if (self.isObject() && self.o->kind == Kind::BooleanBox) return Value(self.o->prim.b ? "true" : "false");
        return Value(m.toString(self));
    });
    addMethod(m, bp, "valueOf", [](Machine&, Value self, std::span<Value>) -> Value {
        if (self.isObject() && self.o->kind == Kind::BooleanBox) return self.o->prim;
        return self;
    });

    // Number
    Object* np = m.newObject();
    np->kind = Kind::NumberBox;
    np->prim = Value(0.0);
    Object* numberCtor = addClass(m, g, "Number", [](Machine& m, Value, std::span<Value> a) -> Value {
        return Value(a.empty() ? 0.0 : m.toNumber(a[0]));
    }, [](Machine& m, Value, std::span<Value> a) -> Value {
        return Value(m.toObject(Value(a.empty() ? 0.0 : m.toNumber(a[0]))));
    }, np);
    m.setOwn(numberCtor, "MAX_VALUE", Value(1.79769313486231e+308), kDontEnum | kDontDelete | kReadOnly);
    m.setOwn(numberCtor, "MIN_VALUE", Value(4.94065645841247e-324), kDontEnum | kDontDelete | kReadOnly);
    m.setOwn(numberCtor, "NaN", Value(NAN), kDontEnum | kDontDelete | kReadOnly);
    m.setOwn(numberCtor, "POSITIVE_INFINITY", Value(INFINITY), kDontEnum | kDontDelete | kReadOnly);
    m.setOwn(numberCtor, "NEGATIVE_INFINITY", Value(-INFINITY), kDontEnum | kDontDelete | kReadOnly);
    addMethod(m, np, "toString", [](Machine& m, Value self, std::span<Value> a) -> Value {
        double d = primNumber(m, self);
        int radix = a.empty() || a[0].isUndefined() ? 10 : m.toInt(a[0]);
        if (radix < 2 || radix > 36) radix = 10;
        return Value(radixString(d, radix));
    });
    addMethod(m, np, "valueOf", [](Machine& m, Value self, std::span<Value>) -> Value { return Value(primNumber(m, self)); });

    // Error
    Object* ep = m.newObject();
    addClass(m, g, "Error", [](Machine& m, Value, std::span<Value> a) -> Value {
        Object* e = m.newObject(m.proto("Error"));
        if (!a.empty() && !a[0].isUndefined()) m.setOwn(e, "message", a[0]);
        return Value(e);
    }, [](Machine& m, Value ctor, std::span<Value> a) -> Value {
        Value p = m.get(ctor, "prototype");
        Object* e = m.newObject(p.isObject() ? p.o : m.proto("Error"));
        if (!a.empty() && !a[0].isUndefined()) m.setOwn(e, "message", a[0]);
        return Value(e);
    }, ep);
    m.setOwn(ep, "name", Value("Error"), kDontEnum);
    m.setOwn(ep, "message", Value("Error"), kDontEnum);
    addMethod(m, ep, "toString", [](Machine& m, Value self, std::span<Value>) -> Value {
        return Value(m.toString(m.get(self, "message")));
    });

    // Globals
    m.setOwn(g, "NaN", Value(NAN), kDontEnum);
    m.setOwn(g, "Infinity", Value(INFINITY), kDontEnum);
    addMethod(m, g, "ASSetPropFlags", asSetPropFlags);
    addMethod(m, g, "isNaN", [](Machine& m, Value, std::span<Value> a) -> Value { return Value(std::isnan(m.toNumber(arg(a, 0)))); });
    addMethod(m, g, "isFinite", [](Machine& m, Value, std::span<Value> a) -> Value { return Value(!a.empty() && std::isfinite(m.toNumber(a[0]))); });
    addMethod(m, g, "parseInt", parseIntImpl);
    addMethod(m, g, "parseFloat", parseFloatImpl);
    addMethod(m, g, "escape", escapeImpl);
    addMethod(m, g, "unescape", unescapeImpl);
    addMethod(m, g, "setInterval", [](Machine& m, Value, std::span<Value> a) -> Value { return addTimer(m, a, true); });
    addMethod(m, g, "setTimeout", [](Machine& m, Value, std::span<Value> a) -> Value { return addTimer(m, a, false); });
    addMethod(m, g, "clearInterval", clearTimer);
    addMethod(m, g, "clearTimeout", clearTimer);
    addMethod(m, g, "updateAfterEvent", [](Machine&, Value, std::span<Value>) -> Value { return {}; });
    addMethod(m, g, "getTimer", [](Machine& m, Value, std::span<Value>) -> Value { return Value(std::floor(m.nowMs)); });
    addMethod(m, g, "getVersion", [](Machine&, Value, std::span<Value>) -> Value { return Value("LNX 10,0,0,0"); });
    addMethod(m, g, "trace", [](Machine& m, Value, std::span<Value> a) -> Value {
        if (m.trace) m.trace(a.empty() || a[0].isUndefined() ? std::string("undefined") : traceText(m.toString(a[0])));
        return {};
    });
}

} // namespace swf::avm1
