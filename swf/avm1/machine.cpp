// The machine's core: conversions, property access along prototype chains, calls
// and construction, and the heap's roots.
#include "swf/avm1/machine.h"

#include "swf/format/limits.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace swf::avm1 {

namespace {
constexpr size_t kMaxObjects = 2'000'000;
constexpr size_t kMaxStringBytes = 64u << 20;
constexpr size_t kMaxArrayLength = 16u << 20;
constexpr size_t kMaxProperties = 4u << 20; // of one object
constexpr int kMaxChain = 256; // prototype chain steps (chains may loop)
constexpr long kMaxStackBytes = 3L << 20;

bool arrayIndex(const std::string& s, size_t& out) {
    if (s.empty() || s.size() > 9) return false;
    if (s.size() > 1 && s[0] == '0') return false;
    size_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<size_t>(c - '0');
    }
    out = v;
    return true;
}
} // namespace

std::string traceText(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out.push_back('\n');
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

void forgetClipObject(Clip& c, Object* o) {
    if (c.object == o) c.object = nullptr;
}

void markXml(const XmlData& x, const std::function<void(Object*)>& mark) {
    for (Object* c : x.children) mark(c);
    mark(x.parent);
    mark(x.attributes);
    mark(x.childArray);
}

Machine::Machine(Player& player)
    : player_(player), version_(player.movie().version), heap_(player.movie().version >= 7) {
    deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    const std::pair<int, uint16_t> fromVersion[] = {
        {6, kFromVersion6}, {7, kFromVersion7}, {8, kFromVersion8}, {9, kFromVersion9}, {10, kFromVersion10}};
    for (auto [v, flag] : fromVersion)
        if (version_ < v) hiddenFlags_ |= flag;
}

Machine::~Machine() {
    // Clips outlive nothing of the heap: forget every object they point to.
    std::function<void(Clip&)> walk = [&](Clip& c) {
        c.object = nullptr;
        for (auto& [d, obj] : c.list)
            if (obj.clip) walk(*obj.clip);
    };
    walk(*player_.rootPtr());
}

void Machine::beginFrame() {
    deadline = std::chrono::steady_clock::now() +
               std::chrono::microseconds(static_cast<long long>(budgetSeconds * 1e6));
    skipFrame = false;
}

void Machine::maybeCollect() {
    if (!active.empty() || depth > 0) return;
    if (heap_.allocatedSinceCollect() < 20000 && heap_.allocatedSinceCollect() < heap_.count()) return;
    collect(nullptr);
}

void Machine::collectWithin(Activation& a) {
    // Only the running block holds values here: its stack, registers and scope.
    if (active.size() != 1 || nativeDepth > 0 || a.tryDepth > 0) return;
    if (heap_.allocatedSinceCollect() < 100000 || heap_.allocatedSinceCollect() < heap_.count() / 2) return;
    collect(&a);
}

void Machine::collect(Activation* running) {
    std::vector<Object*> roots = pinned;
    if (running) {
        for (auto& v : running->stack)
            if (v.isObject()) roots.push_back(v.o);
        for (size_t i = 0; i < running->regCount; ++i)
            if (running->regPtr[i].isObject()) roots.push_back(running->regPtr[i].o);
        for (Object* o : running->scope) roots.push_back(o);
        roots.push_back(running->thisObj);
        if (running->thisVal.isObject()) roots.push_back(running->thisVal.o);
        roots.push_back(running->callee);
        roots.push_back(running->holder);
        roots.push_back(running->args);
    }
    roots.push_back(global_);
    roots.push_back(objectProto_);
    roots.push_back(functionProto_);
    for (auto& t : timers) {
        roots.push_back(t.fn);
        roots.push_back(t.thisObj);
        for (auto& v : t.args)
            if (v.isObject()) roots.push_back(v.o);
    }
    for (auto& [id, ctor] : registered) roots.push_back(ctor);
    for (auto& [n, p] : protos) roots.push_back(p);
    for (auto& v : globalRegs)
        if (v.isObject()) roots.push_back(v.o);
    std::function<void(Clip&)> walk = [&](Clip& c) {
        if (c.object) roots.push_back(c.object);
        for (auto& [d, obj] : c.list)
            if (obj.clip) walk(*obj.clip);
    };
    walk(*player_.rootPtr());
    for (auto& c : player_.scriptHeld()) walk(*c);
    heap_.collect(roots);
}

// ---------------------------------------------------------------- conversions

Value Machine::toPrimitive(const Value& v, bool preferString) {
    if (!v.isObject()) return v;
    // Without a hint only valueOf is asked (a date asks toString from SWF 6 on);
    // an object it returns stays an object, and none to ask gives undefined.
    return askPrimitive(v, preferString || (v.o->kind == Kind::Date && version_ >= 6) ? "toString" : "valueOf");
}

Value Machine::askPrimitive(const Value& v, const char* method) {
    Value fn = get(v, method);
    if (!fn.isObject() || fn.o->kind != Kind::Function) return {};
    Value r = call(fn, v, {});
    return r.isObject() ? v : r;
}

double Machine::toNumber(const Value& v) {
    switch (v.kind) {
    case Value::Undefined:
    case Value::Null: return version_ >= 7 ? NAN : 0;
    case Value::Boolean: return v.b ? 1 : 0;
    case Value::Number: return v.n;
    case Value::String: return stringToNumber(v.s, version_);
    case Value::Obj: {
        // A number is always asked of valueOf, a date's too.
        Value p = askPrimitive(v, "valueOf");
        if (p.isObject()) return NAN;
        return toNumber(p);
    }
    }
    return NAN;
}

std::string Machine::toString(const Value& v) {
    switch (v.kind) {
    case Value::Undefined: return version_ >= 7 ? "undefined" : "";
    case Value::Null: return "null";
    case Value::Boolean: return v.b ? "true" : "false";
    case Value::Number: return numberToString(v.n);
    case Value::String: return v.s;
    case Value::Obj: {
        if (v.o->kind == Kind::Clip) {
            if (Clip* c = v.o->clip.lock().get()) return targetPath(*c, false);
            return "";
        }
        Value fn = get(v, "toString");
        if (fn.isObject() && fn.o->kind == Kind::Function) {
            // Only a string from toString counts; anything else leaves the default.
            Value r = call(fn, v, {});
            if (r.isString()) return r.s;
        }
        return v.o->kind == Kind::Function ? "[type Function]" : "[type Object]";
    }
    }
    return {};
}

bool Machine::toBoolean(const Value& v) {
    switch (v.kind) {
    case Value::Undefined:
    case Value::Null: return false;
    case Value::Boolean: return v.b;
    case Value::Number: return v.n != 0 && !std::isnan(v.n);
    case Value::String:
        if (version_ >= 7) return !v.s.empty();
        {
            double d = stringToNumber(v.s, version_);
            return d != 0 && !std::isnan(d);
        }
    case Value::Obj: return true;
    }
    return false;
}

std::string Machine::typeOf(const Value& v) {
    switch (v.kind) {
    case Value::Undefined: return "undefined";
    case Value::Null: return "null";
    case Value::Boolean: return "boolean";
    case Value::Number: return "number";
    case Value::String: return "string";
    case Value::Obj:
        if (v.o->kind == Kind::Function) return "function";
        if (v.o->kind == Kind::Clip) {
            Clip* c = v.o->clip.lock().get();
            if (c && (c->button || c->textField)) return "object";
            return "movieclip";
        }
        return "object";
    }
    return "undefined";
}

Object* Machine::toObject(const Value& v) {
    switch (v.kind) {
    case Value::Obj: return v.o;
    case Value::String: {
        Object* o = heap_.make(Kind::StringBox, proto("String"));
        o->prim = v;
        return o;
    }
    case Value::Number: {
        Object* o = heap_.make(Kind::NumberBox, proto("Number"));
        o->prim = v;
        return o;
    }
    case Value::Boolean: {
        Object* o = heap_.make(Kind::BooleanBox, proto("Boolean"));
        o->prim = v;
        return o;
    }
    default: return nullptr;
    }
}

void Machine::checkStringSize(size_t n) {
    if (n > kMaxStringBytes) throw ScriptAbort{};
    stringBytes += n;
    if (stringBytes >= (size_t(1) << 22)) {
        stringBytes = 0;
        checkDeadline();
    }
}

void Machine::checkDeadline() {
    if (std::chrono::steady_clock::now() > deadline) throw ScriptAbort{};
}

// ---------------------------------------------------------------- objects

Object* Machine::newObject(Object* proto) {
    if (heap_.count() > kMaxObjects) throw ScriptAbort{};
    global();
    return heap_.make(Kind::Plain, proto ? proto : objectProto_);
}

Object* Machine::newArray(std::vector<Value> elems) {
    if (heap_.count() > kMaxObjects) throw ScriptAbort{};
    Object* o = heap_.make(Kind::Array, arrayProto());
    for (size_t i = 0; i < elems.size(); ++i) setOwn(o, std::to_string(i), elems[i]);
    return o;
}

Object* Machine::newNative(NativeFn fn, int data, NativeFn construct) {
    Object* o = heap_.make(Kind::Function, functionProto_);
    o->native = fn;
    o->nativeData = data;
    o->nativeConstruct = construct;
    return o;
}

Object* Machine::newFunction(std::shared_ptr<const FunctionDef> def, const std::vector<Object*>& scope, Clip* base) {
    if (heap_.count() > kMaxObjects) throw ScriptAbort{};
    Object* o = heap_.make(Kind::Function, functionProto_);
    o->def = std::move(def);
    o->scope = scope;
    if (base) {
        o->baseClip = base->weak_from_this();
        o->basePath = targetPath(*base, true);
    }
    return o;
}

Property* Machine::visible(Object* o, const std::string& key) {
    Property* p = o->find(key);
    return p && !(p->flags & hiddenFlags_) ? p : nullptr;
}

Property* Machine::findInChain(Object* o, const std::string& key, Object** holder) {
    int steps = 0;
    for (Object* p = o; p && steps < kMaxChain; p = p->proto, ++steps) {
        if (Property* pr = visible(p, key)) {
            if (holder) *holder = p;
            return pr;
        }
    }
    return nullptr;
}

// How many of one property's getter, setter and watcher calls may be running at
// once. The next one is skipped: a read gives the value stored underneath, a write
// stores the value there and a watcher lets it through unchanged, and the script
// goes on. Two properties whose accessors call each other so run twice as deep.
constexpr int kMaxAccessorNesting = 65;

Machine::AccessorScope::AccessorScope(Machine& m, const Object* o, const std::string& key) : m_(m), at_(o, key) {
    int& running = m_.accessorsRunning_[at_];
    if (running < kMaxAccessorNesting) {
        ++running;
        entered_ = true;
    } else if (running == 0) {
        m_.accessorsRunning_.erase(at_);
    }
}

Machine::AccessorScope::~AccessorScope() {
    if (!entered_) return;
    auto it = m_.accessorsRunning_.find(at_);
    if (it != m_.accessorsRunning_.end() && --it->second <= 0) m_.accessorsRunning_.erase(it);
}

Value Machine::callGetter(Object* holder, const std::string& key, const Property& p, const Value& thisv) {
    AccessorScope scope(*this, holder, key);
    if (!scope.entered()) return p.value;
    return call(Value(p.getter), thisv, {});
}

// The value written is kept underneath the property once its setter has run, so
// when setters of two properties write each other, each keeps the value of the
// outermost write.
void Machine::callSetter(Object* holder, const std::string& key, const Property& p, const Value& thisv,
                         const Value& v) {
    AccessorScope scope(*this, holder, key);
    if (scope.entered()) {
        Value arg = v;
        call(Value(p.setter), thisv, std::span<Value>(&arg, 1));
    }
    // The setter may have deleted or replaced the property (and moved the list).
    if (Property* now = holder->find(key); now && now->setter) now->value = v;
}

Value Machine::get(const Value& obj, const std::string& name) {
    switch (obj.kind) {
    case Value::Undefined:
    case Value::Null: return {};
    case Value::String:
        if (name == "length") return Value(static_cast<double>(toUtf16(obj.s).size()));
        return getOf(proto("String"), name, obj);
    case Value::Number: return getOf(proto("Number"), name, obj);
    case Value::Boolean: return getOf(proto("Boolean"), name, obj);
    case Value::Obj: return getOf(obj.o, name, obj);
    }
    return {};
}

Value Machine::getOf(Object* o, const std::string& name, const Value& thisv) {
    if (!o) return {};
    if (o->kind == Kind::Super) return o->superProto ? getOf(o->superProto, name, Value(o->superThis)) : Value();
    if (name == "__proto__") return o->proto ? Value(o->proto) : Value();
    if (o->kind == Kind::Array && name == "length") {
        // addProperty may put a getter over an array's length.
        const std::string key = heap_.key(name);
        Property* p = visible(o, key);
        if (!p || !p->getter) return Value(static_cast<double>(o->length));
        return callGetter(o, key, *p, thisv);
    }
    if (o->kind == Kind::StringBox && name == "length") return Value(static_cast<double>(toUtf16(o->prim.s).size()));
    Clip* c = o->kind == Kind::Clip ? o->clip.lock().get() : nullptr;
    Value out;
    const std::string key = heap_.key(name);
    if (c) {
        if (Property* pr = visible(o, key)) {
            if (pr->getter) return callGetter(o, key, *pr, thisv);
            return pr->value;
        }
        if (clipGet(*c, o, name, out)) return out;
    }
    int steps = 0;
    for (Object* p = o; p && steps < kMaxChain; p = p->proto, ++steps) {
        if (Property* pr = visible(p, key)) {
            if (pr->getter) return callGetter(p, key, *pr, thisv);
            if (pr->setter) return {};
            return pr->value;
        }
    }
    // A chain that never ends (it loops) stops the scripts, as too deep a recursion does.
    if (steps == kMaxChain) throw ScriptAbort{};
    if (o->kind == Kind::Function && key == "prototype" && o->def) {
        // A script function's prototype is made when first asked for.
        Object* p = newObject();
        setOwn(p, "constructor", Value(o), kDontEnum);
        setOwn(o, "prototype", Value(p), kDontEnum);
        return Value(p);
    }
    if (key != "__resolve") {
        Property* r = findInChain(o, heap_.key("__resolve"));
        if (r && r->value.isObject() && r->value.o->kind == Kind::Function) {
            Value arg(name);
            return call(r->value, thisv, std::span<Value>(&arg, 1));
        }
    }
    return {};
}

// An array's elements are properties named by index; writing one past the end
// lengthens the array.
void Machine::growArray(Object* o, const std::string& name) {
    size_t i;
    if (o->kind != Kind::Array || !arrayIndex(name, i)) return;
    if (i >= kMaxArrayLength) throw ScriptAbort{};
    if (i >= o->length) o->length = i + 1;
}

// A shorter length deletes the elements past it (those that may be deleted).
void Machine::setArrayLength(Object* o, size_t n) {
    if (n < o->length && o->length - n <= o->props.size()) {
        for (size_t i = n; i < o->length; ++i) remove(o, std::to_string(i));
    } else if (n < o->length) {
        std::vector<std::string> cut;
        size_t i;
        for (const Property& p : o->props)
            if (p.live && arrayIndex(p.name, i) && i >= n) cut.push_back(p.name);
        for (const std::string& name : cut) remove(o, name);
    }
    o->length = n;
}

void Machine::addProperty(Object* o, std::string key, const std::string& name, const Value& v, uint16_t flags) {
    if (o->props.size() >= kMaxProperties) throw ScriptAbort{};
    o->index.emplace(std::move(key), static_cast<uint32_t>(o->props.size()));
    o->props.push_back(Property{name, v, nullptr, nullptr, flags, true});
}

void Machine::setOwn(Object* o, const std::string& name, const Value& v, uint16_t flags) {
    growArray(o, name);
    std::string key = heap_.key(name);
    if (Property* p = o->find(key)) {
        p->value = v;
        p->getter = p->setter = nullptr;
        p->flags = flags;
        return;
    }
    addProperty(o, std::move(key), name, v, flags);
}

void Machine::set(const Value& obj, const std::string& name, const Value& vin) {
    if (!obj.isObject()) return;
    Object* o = obj.o;
    if (o->kind == Kind::Super) {
        if (o->superThis) set(Value(o->superThis), name, vin);
        return;
    }
    if (name == "__proto__") {
        o->proto = vin.isObject() ? vin.o : nullptr;
        return;
    }
    std::string key = heap_.key(name);
    Value v = vin;
    if (!o->watches.empty()) {
        auto it = o->watches.find(key);
        std::optional<AccessorScope> scope;
        if (it != o->watches.end()) scope.emplace(*this, o, key);
        if (scope && scope->entered()) {
            // A text field's own settings (text, border, ...) are not properties a
            // watcher sees: it is told only of a value stored on the object. Nor is a
            // getter asked: the old value of a property that has one is the value
            // stored underneath.
            Clip* field = o->kind == Kind::Clip ? o->clip.lock().get() : nullptr;
            Property* p = findInChain(o, key);
            Value old;
            if (p && p->getter) old = p->value;
            else if (!(field && field->textField)) old = getOf(o, name, obj);
            else if (p) old = p->value;
            Value args[4] = {Value(name), old, v, it->second.data};
            v = call(Value(it->second.fn), obj, args);
        }
    }
    if (o->kind == Kind::Array) {
        if (name == "length") {
            double n = toNumber(v);
            if (std::isfinite(n) && n >= 0) {
                if (n > kMaxArrayLength) throw ScriptAbort{};
                setArrayLength(o, static_cast<size_t>(n));
            }
            return;
        }
        growArray(o, name);
    }
    if (o->kind == Kind::Clip) {
        if (Clip* c = o->clip.lock().get())
            if (clipSet(*c, name, v)) return;
    }
    if (Property* p = visible(o, key)) {
        if (p->setter) {
            callSetter(o, key, *p, obj, v);
            return;
        }
        if (p->getter) return;
        if (p->flags & kReadOnly) return;
        p->value = v;
        if (o->kind == Kind::Clip)
            if (Clip* c = o->clip.lock().get()) player_.scriptVariableChanged(*c, name);
        return;
    }
    // A property made with addProperty further up the chain runs its setter.
    Object* holder = nullptr;
    if (Property* p = findInChain(o->proto, key, &holder)) {
        if (p->setter) {
            callSetter(holder, key, *p, obj, v);
            return;
        }
        if (p->getter) return;
    }
    if (Property* hidden = o->find(key)) *hidden = Property{name, v, nullptr, nullptr, 0, true}; // written anew
    else addProperty(o, std::move(key), name, v, 0);
    if (o->kind == Kind::Clip) {
        if (Clip* c = o->clip.lock().get()) player_.scriptVariableChanged(*c, name);
    }
}

bool Machine::hasOwn(Object* o, const std::string& name) {
    if (o->kind == Kind::Array && name == "length") return true;
    return o->find(heap_.key(name)) != nullptr;
}

bool Machine::has(Object* o, const std::string& name) {
    if (!o) return false;
    if (o->kind == Kind::Super) return has(o->superProto, name);
    if (o->kind == Kind::Clip) {
        if (Clip* c = o->clip.lock().get()) {
            Value out;
            if (clipGet(*c, o, name, out)) return true;
        }
    }
    if (hasOwn(o, name)) return true;
    if (o->kind == Kind::StringBox && name == "length") return true;
    return findInChain(o->proto, heap_.key(name)) != nullptr;
}

bool Machine::remove(Object* o, const std::string& name) {
    std::string key = heap_.key(name);
    auto it = o->index.find(key);
    if (it == o->index.end()) return false;
    Property& p = o->props[it->second];
    if (p.flags & kDontDelete) return false;
    // The place stays, marked dead, so the order of the rest is kept without
    // reindexing; the dead are swept out once they are half of the list.
    p = Property{};
    p.live = false;
    o->index.erase(it);
    if (++o->deadProps > 16 && o->deadProps * 2 > o->props.size()) {
        std::erase_if(o->props, [](const Property& q) { return !q.live; });
        o->index.clear();
        for (uint32_t i = 0; i < o->props.size(); ++i) o->index.emplace(heap_.key(o->props[i].name), i);
        o->deadProps = 0;
    }
    return true;
}

std::vector<std::string> Machine::keys(Object* o, bool withProto) {
    std::vector<std::string> out;
    std::vector<std::string> seen;
    auto add = [&](const std::string& n) {
        std::string k = heap_.key(n);
        if (std::find(seen.begin(), seen.end(), k) != seen.end()) return;
        seen.push_back(k);
        out.push_back(n);
    };
    int steps = 0;
    for (Object* p = o; p && steps < kMaxChain; p = withProto ? p->proto : nullptr, ++steps) {
        // A clip's named children come first, lowest depth first: for..in hands names
        // out from the end, so its own properties, newest first, and then its
        // children from the top down.
        if (p->kind == Kind::Clip)
            if (Clip* c = p->clip.lock().get())
                for (auto& [depth, obj] : c->list)
                    if (!obj.name.empty() && obj.clip) add(obj.name);
        for (const Property& pr : p->props) {
            if (!pr.live) continue;
            if (pr.flags & kDontEnum) {
                seen.push_back(heap_.key(pr.name));
                continue;
            }
            add(pr.name);
        }
    }
    return out;
}

bool Machine::instanceOf(Object* o, Object* ctor) {
    Value p = getOf(ctor, "prototype", Value(ctor));
    if (!p.isObject()) return false;
    int steps = 0;
    for (Object* q = o->proto; q && steps < kMaxChain; q = q->proto, ++steps) {
        if (q == p.o) return true;
        for (Object* i : q->refs)
            if (i == ctor) return true;
    }
    return false;
}

// ---------------------------------------------------------------- calls

void Machine::throwError(const std::string& message) {
    Object* e = newObject(proto("Error"));
    setOwn(e, "message", Value(message));
    throw ScriptThrow{Value(e)};
}

Value Machine::call(const Value& fn, const Value& thisv, std::span<Value> args, Object* holder) {
    if (!fn.isObject() || fn.o->kind != Kind::Function) return {};
    Object* f = fn.o;
    // The block that makes the first call counts as a level.
    if (depth + 1 >= maxDepth) throw ScriptAbort{};
    checkStack();
    struct DepthGuard {
        int& d;
        explicit DepthGuard(int& x) : d(x) { ++d; }
        ~DepthGuard() { --d; }
    } guard(depth);
    if (f->native) {
        ++nativeDepth;
        struct NativeGuard {
            int& d;
            ~NativeGuard() { --d; }
        } ng{nativeDepth};
        return f->native(*this, thisv, args);
    }
    if (!f->def) return {};
    const FunctionDef& def = *f->def;
    Activation na;
    na.code = def.body;
    na.pool = def.pool;
    na.isFunction = true;
    na.callee = f;
    na.holder = holder;
    na.thisObj = thisv.isNullish() ? nullptr : toObject(thisv);
    na.thisVal = thisv.isNullish() ? Value() : thisv;
    Clip* base = f->baseClip.lock().get();
    // Once its timeline is gone, a function works on whatever clip now has its path.
    if ((!base || base->removed) && !f->basePath.empty()) base = resolvePath(rootClip(), f->basePath);
    if (version_ < 6) {
        // SWF 5 functions are no closures: they see the timeline they are called on.
        Clip* tc = clipOf(thisv);
        if (!tc) tc = base;
        base = tc;
        na.scope = {global(), tc ? clipObject(*tc) : nullptr};
        na.timelineIndex = 1;
    } else {
        na.scope = f->scope;
        na.timelineIndex = static_cast<size_t>(f->nativeData);
    }
    if (base) na.target = na.original = base->weak_from_this();
    if (base && base != rootClip() && !base->removed) na.base = base->shared_from_this();
    Object* act = heap_.make(Kind::Activation, nullptr);
    na.scope.push_back(act);
    Object* argsObj = nullptr;
    auto makeArgs = [&] {
        argsObj = newArray(std::vector<Value>(args.begin(), args.end()));
        setOwn(argsObj, "callee", Value(f), kDontEnum);
        setOwn(argsObj, "caller", active.empty() || !active.back()->callee ? Value::null() : Value(active.back()->callee), kDontEnum);
        return argsObj;
    };
    if (!def.v2) {
        // SWF 5 functions work in the registers of the code that calls them.
        if (!active.empty()) {
            na.regPtr = active.back()->regPtr;
            na.regCount = active.back()->regCount;
        } else {
            na.regs.resize(4);
        }
        for (size_t i = 0; i < def.params.size(); ++i)
            setOwn(act, def.params[i].name, i < args.size() ? args[i] : Value());
        if (def.usesArguments) setOwn(act, "arguments", Value(makeArgs()));
    } else {
        na.regs.resize(def.regCount);
        na.regCount = na.regs.size();
        na.outer = active.empty() ? nullptr : active.back();
        for (size_t i = 0; i < def.params.size(); ++i) {
            Value v = i < args.size() ? args[i] : Value();
            if (def.params[i].reg && def.params[i].reg < na.regs.size()) na.regs[def.params[i].reg] = v;
            else setOwn(act, def.params[i].name, v);
        }
        // Preloaded values take the registers from 1 up, in flag order; a value whose
        // register lies past the function's own is dropped. A clip with no parent has
        // no _parent to load and takes no register.
        size_t r = 1;
        auto preload = [&](const Value& v) {
            if (r < na.regs.size()) na.regs[r] = v;
            ++r;
        };
        const uint16_t fl = def.flags;
        // Suppressing `this` or `super` wins over preloading it (the register stays
        // undefined); the arguments are preloaded even when suppressed.
        if (fl & 0x1) preload((fl & 0x2) ? Value() : na.thisVal);
        if (fl & 0x4) preload(Value(makeArgs()));
        else if (!(fl & 0x8) && def.usesArguments) setOwn(act, "arguments", Value(makeArgs()));
        if ((fl & 0x10) && (fl & 0x20)) {
            preload(Value());
        } else if (fl & 0x10) {
            preload(Value(makeSuper(na.thisObj, holder)));
        }
        if (fl & 0x40) preload(Value(clipObject(*rootClip())));
        if (fl & 0x80) {
            if (Clip* p = base ? base->parent : nullptr) preload(Value(clipObject(*p)));
        }
        if (fl & 0x100) preload(Value(exposedGlobal()));
    }
    if (!na.regs.empty()) {
        na.regPtr = na.regs.data();
        na.regCount = na.regs.size();
    }
    return runActivation(*this, na);
}

Object* Machine::makeSuper(Object* thisObj, Object* holder) {
    Object* s = heap_.make(Kind::Super, nullptr);
    s->superThis = thisObj;
    s->superProto = holder ? holder->proto : (thisObj && thisObj->proto ? thisObj->proto->proto : nullptr);
    return s;
}

Value Machine::callMethod(const Value& obj, const std::string& name, std::span<Value> args) {
    Value fn = get(obj, name);
    return call(fn, obj, args);
}

Value Machine::construct(const Value& ctor, std::span<Value> args) {
    if (!ctor.isObject() || ctor.o->kind != Kind::Function) return {};
    Object* f = ctor.o;
    if (f->nativeConstruct) {
        if (depth >= maxDepth) throw ScriptAbort{};
        ++depth;
        ++nativeDepth;
        Value r;
        try {
            r = f->nativeConstruct(*this, ctor, args);
        } catch (...) {
            --depth;
            --nativeDepth;
            throw;
        }
        --depth;
        --nativeDepth;
        return r;
    }
    Value p = get(ctor, "prototype");
    Object* o = newObject(p.isObject() ? p.o : objectProto_);
    if (version_ >= 6) setOwn(o, "__constructor__", ctor, kDontEnum);
    else setOwn(o, "constructor", ctor, kDontEnum);
    Value r = call(ctor, Value(o), args, p.isObject() ? p.o : nullptr);
    if (f->native && r.isObject()) return r;
    return Value(o);
}

// ---------------------------------------------------------------- running blocks

void Machine::checkStack() {
    char probe;
    if (stackBase && stackBase - &probe > kMaxStackBytes) throw ScriptAbort{};
}

void Machine::runBlock(std::span<const uint8_t> code, Clip& clip, Object* thisObj) {
    if (skipFrame || code.empty()) return;
    global();
    StackMark mark(*this);
    // A frame's actions run from a script (the Call action) nest as a call does.
    checkStack();
    auto keep = clip.shared_from_this();
    Activation a;
    a.code = code;
    Object* self = clipObject(clip);
    a.scope = {global_, self};
    a.timelineIndex = 1;
    a.thisObj = thisObj ? thisObj : self;
    a.thisVal = Value(a.thisObj);
    a.target = a.original = clip.weak_from_this();
    Value regs[4];
    a.regPtr = regs;
    a.regCount = 4;
    if (&clip != rootClip() && !clip.removed) a.base = keep;
    try {
        runActivation(*this, a);
    } catch (ScriptThrow& t) {
        // An uncaught exception ends the block and is reported as the player does.
        if (trace) {
            Value v = t.value;
            trace("Warning: Uncaught exception, " + (v.isUndefined() ? std::string("undefined") : traceText(toString(v))));
        }
    } catch (ScriptAbort&) {
        if (std::chrono::steady_clock::now() > deadline) skipFrame = true;
    }
}

void Machine::callHandler(Clip& clip, const std::string& name, std::span<Value> args) {
    if (skipFrame || !clip.object) return;
    StackMark mark(*this);
    Object* o = clip.object;
    Property* p = findInChain(o, heap_.key(name));
    if (!p || !p->value.isObject() || p->value.o->kind != Kind::Function) return;
    auto keep = clip.shared_from_this();
    Value fn = p->value;
    try {
        call(fn, Value(o), args);
    } catch (ScriptThrow& t) {
        if (trace) trace(toString(t.value));
    } catch (ScriptAbort&) {
        if (std::chrono::steady_clock::now() > deadline) skipFrame = true;
    }
}

void Machine::runTimers(double now) {
    nowMs = now;
    StackMark mark(*this);
    for (size_t i = 0; i < timers.size(); ++i) {
        if (timers[i].next > now) continue;
        Timer t = timers[i];
        if (t.repeat) {
            timers[i].next = now + std::max(t.interval, 1.0);
        } else {
            timers.erase(timers.begin() + static_cast<long>(i));
            --i;
        }
        try {
            Value fn = t.fn ? Value(t.fn) : get(Value(t.thisObj), t.method);
            call(fn, t.thisObj ? Value(t.thisObj) : Value(), t.args);
        } catch (ScriptThrow&) {
        } catch (ScriptAbort&) {
        }
    }
}

} // namespace swf::avm1
