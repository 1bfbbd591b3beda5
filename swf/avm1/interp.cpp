// The action interpreter: decodes records straight from the block's bytes with a
// program counter (branches may land anywhere) and checks every length and offset.
#include "swf/avm1/machine.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace swf::avm1 {

namespace {

// A property number as GetProperty and SetProperty read it: the whole part of a finite
// number (so -0.8 is property 0) in the table's range, or -1 (no property) for anything
// else, so a script's huge number never reaches an integer conversion it cannot fit.
int propertyIndex(double d) {
    if (!std::isfinite(d)) return -1;
    d = std::trunc(d);
    if (d < 0 || d >= 256) return -1;
    return static_cast<int>(d);
}

} // namespace

struct Interp {
    Machine& m;
    Activation& a;
    int version;

    enum class Flow { Done, Return, Out };

    Value pop() {
        if (a.stack.empty()) return {};
        Value v = std::move(a.stack.back());
        a.stack.pop_back();
        return v;
    }
    void push(Value v) {
        if (a.stack.size() > 1u << 20) throw ScriptAbort{};
        a.stack.push_back(std::move(v));
    }

    Clip* target() { return a.target.lock().get(); }

    // The code's own clip while it is on the stage, else the root.
    Clip* liveBase() {
        Clip* base = a.original.lock().get();
        return base && !base->removed ? base : m.rootClip();
    }

    // A removed clip no longer holds the timeline's variables: they go to the code's
    // own clip, or to the root once that is removed too.
    void followRemoved() {
        Object* tl = a.timelineIndex < a.scope.size() ? a.scope[a.timelineIndex] : nullptr;
        if (!tl || tl->kind != Kind::Clip) return;
        Clip* tc = tl->clip.lock().get();
        if (!tc || tc->removed) a.scope[a.timelineIndex] = m.clipObject(*liveBase());
    }

    // SetTarget: an empty path goes back to the code's own clip; a path no clip answers
    // to gives the root, or nothing once the code's own clip is removed (a removed clip
    // finds no clips). Variables move only to a clip the path found.
    void setTarget(const std::string& path) {
        Clip* base = a.original.lock().get();
        Clip* from = target() ? target() : base;
        Clip* c = nullptr;
        bool found = false;
        if (path.empty()) {
            c = base;
            found = c != nullptr;
        } else if (from && !from->removed) {
            c = m.resolvePath(from, path);
            found = c != nullptr;
            if (!c && base && !base->removed) c = m.rootClip();
        }
        a.target = c ? c->weak_from_this() : std::weak_ptr<Clip>();
        if (found && a.timelineIndex < a.scope.size()) a.scope[a.timelineIndex] = m.clipObject(*c);
    }

    // After a call: code whose clip has been removed goes no further.
    bool halted() const { return a.base && a.base->removed; }

    // ---- variables
    bool isPathName(const std::string& n) const {
        return n.find_first_of("/:.") != std::string::npos;
    }

    bool specialVariable(const std::string& name, Value& out) {
        std::string k = m.heap().key(name);
        std::string lower = asciiLower(name);
        // A function that preloads or suppresses `this` or `super` has no variable of
        // that name: `this` then names the timeline (nothing before SWF 6), `super`
        // nothing.
        const uint16_t fl = a.isFunction && a.callee && a.callee->def && a.callee->def->v2 ? a.callee->def->flags : 0;
        if (k == "this") {
            if (fl & 0x3) {
                Object* tl = a.timelineIndex < a.scope.size() ? a.scope[a.timelineIndex] : nullptr;
                out = tl && version >= 6 ? Value(tl) : Value();
            } else {
                out = a.thisVal;
            }
            return true;
        }
        if (k == "super" && (fl & 0x30)) {
            out = Value();
            return true;
        }
        // A variable of that name stored on a scope object itself (not inherited) hides
        // _global and _root.
        auto shadowed = [&] {
            for (Object* s : a.scope)
                if (s && s->find(k)) return true;
            return false;
        };
        if ((lower == "_global" || k == "_root" || k == "_level0") && shadowed()) return false;
        if (lower == "_global" && version >= 6) {
            out = m.exposedGlobal();
            return true;
        }
        if (k == "_root" || k == "_level0") {
            out = Value(m.clipObject(*m.rootClip()));
            return true;
        }
        if (k == "super" && a.isFunction && a.thisObj) {
            out = Value(m.makeSuper(a.thisObj, a.holder));
            return true;
        }
        return false;
    }

    // A variable by name, innermost scope first; `where` gets the scope object that
    // held it.
    Value lookup(const std::string& name, Object** where = nullptr) {
        Value v;
        if (specialVariable(name, v)) return v;
        followRemoved();
        for (size_t i = a.scope.size(); i-- > 0;) {
            Object* s = a.scope[i];
            if (!s) continue;
            if (m.has(s, name)) {
                if (where) *where = s;
                return m.getOf(s, name, Value(s));
            }
        }
        return {};
    }

    // A variable or path; `owner` gets the object a path's final name was read from.
    Value getVariable(const std::string& name, Value* owner = nullptr) {
        if (!isPathName(name)) return lookup(name);
        Value holder;
        size_t colon = name.rfind(':');
        size_t slash = name.rfind('/');
        // In a slash path a dot after the last slash ends the clip path too.
        if (colon == std::string::npos && slash != std::string::npos) {
            size_t dot = name.rfind('.');
            if (dot != std::string::npos && dot > slash && name[dot - 1] != '.' && dot + 1 < name.size()) colon = dot;
        }
        std::string last;
        if (colon != std::string::npos) {
            Clip* c = m.resolvePath(target(), name.substr(0, colon));
            if (!c) return {};
            holder = Value(m.clipObject(*c));
            last = name.substr(colon + 1);
        } else if (slash != std::string::npos) {
            // A slash path names a clip; its last part may be a variable.
            if (Clip* c = m.resolvePath(target(), name)) return Value(m.clipObject(*c));
            Clip* c = m.resolvePath(target(), name.substr(0, slash == 0 ? 1 : slash));
            if (!c) return {};
            holder = Value(m.clipObject(*c));
            last = name.substr(slash + 1);
        } else if (!dotHolder(name, true, holder, last)) {
            return {};
        }
        if (owner) *owner = holder;
        return m.get(holder, last);
    }

    // An object pushed by `with` (or captured from one), as opposed to the global
    // object, the timeline and function locals.
    bool isWithObject(const Object* o) const {
        if (!o || o->kind == Kind::Activation) return false;
        for (size_t i = 0; i <= a.timelineIndex && i < a.scope.size(); ++i)
            if (a.scope[i] == o) return false;
        return true;
    }

    // A dot path: the first part is a variable, the rest members. Each scope that has
    // the first part is tried, innermost first, until one leads to an object holding
    // the last part (for reading: one that has it); a read that finds none uses the
    // innermost scope's path.
    bool dotHolder(const std::string& name, bool reading, Value& holder, std::string& last) {
        size_t dot = name.find('.');
        size_t lastDot = name.rfind('.');
        std::string first = name.substr(0, dot);
        if (first.empty()) return false;
        last = name.substr(lastDot + 1);
        auto walk = [&](Value cur) -> Value {
            for (size_t pos = dot + 1; pos <= lastDot && !cur.isNullish();) {
                size_t nd = name.find('.', pos);
                cur = m.get(cur, name.substr(pos, nd - pos));
                pos = nd + 1;
            }
            return cur;
        };
        auto holds = [&](const Value& h) {
            if (!reading) return h.isObject();
            Object* o = h.isNullish() ? nullptr : m.toObject(h);
            return o && m.has(o, last);
        };
        Value special;
        bool found = false;
        if (specialVariable(first, special)) {
            holder = walk(special);
            found = true;
        } else {
            for (size_t i = a.scope.size(); i-- > 0;) {
                Object* s = a.scope[i];
                if (!s || !m.has(s, first)) continue;
                Value h = walk(m.getOf(s, first, Value(s)));
                if (holds(h)) {
                    holder = h;
                    return true;
                }
                if (!found) holder = h;
                found = true;
            }
            if (!found) holder = walk(lookup(first));
        }
        return reading ? !holder.isNullish() : holder.isObject();
    }

    void setVariable(const std::string& name, const Value& v) {
        followRemoved();
        if (isPathName(name)) {
            size_t colon = name.rfind(':');
            size_t cut = colon != std::string::npos ? colon : name.find_last_of("./");
            std::string path = name.substr(0, cut);
            std::string var = name.substr(cut + 1);
            if (colon == std::string::npos && name[cut] == '.') {
                Value holder;
                std::string last;
                if (dotHolder(name, false, holder, last)) m.set(holder, last, v);
                return;
            }
            Clip* c = m.resolvePath(target(), path.empty() ? "/" : path);
            if (c) m.set(Value(m.clipObject(*c)), var, v);
            return;
        }
        // `this` is the running code's own: setting it changes what that code (and
        // no other) reads as `this`.
        if (m.heap().key(name) == "this") {
            a.thisVal = v;
            return;
        }
        for (size_t i = a.scope.size(); i-- > 1;) {
            Object* s = a.scope[i];
            if (s && m.has(s, name)) {
                m.set(Value(s), name, v);
                return;
            }
        }
        Object* tl = a.timelineIndex < a.scope.size() ? a.scope[a.timelineIndex] : nullptr;
        if (tl) m.set(Value(tl), name, v);
    }

    Object* locals() {
        followRemoved();
        if (a.isFunction) {
            for (size_t i = a.scope.size(); i-- > 0;)
                if (a.scope[i] && a.scope[i]->kind == Kind::Activation) return a.scope[i];
        }
        return a.timelineIndex < a.scope.size() ? a.scope[a.timelineIndex] : nullptr;
    }

    // ---- arithmetic
    Value add2(const Value& x, const Value& y) {
        // The right operand (the top of the stack) is converted first.
        Value q = m.toPrimitive(y);
        Value p = m.toPrimitive(x);
        if (p.isString() || q.isString()) {
            std::string s = m.toString(p);
            s += m.toString(q);
            m.checkStringSize(s.size());
            return Value(std::move(s));
        }
        return Value(m.toNumber(p) + m.toNumber(q));
    }

    // Less2: true, false or undefined (NaN involved). An operand that stays an
    // object (a movie clip aside, which counts as NaN) makes the comparison false,
    // and the second one is then not converted at all.
    Value less(const Value& x, const Value& y) {
        auto stuck = [&](const Value& p) { return p.isObject() && p.o->kind != Kind::Clip; };
        Value p = m.toPrimitive(x);
        if (stuck(p)) return Value(false);
        Value q = m.toPrimitive(y);
        if (stuck(q)) return Value(false);
        if (p.isString() && q.isString()) return Value(p.s < q.s);
        double a1 = m.toNumber(p), b1 = m.toNumber(q);
        if (std::isnan(a1) || std::isnan(b1)) return {};
        return Value(a1 < b1);
    }

    // An object compared with `==`: one without any valueOf (no prototype) counts
    // as undefined.
    Value equalityPrimitive(const Value& v) {
        if (m.get(v, "valueOf").isUndefined()) return {};
        return m.toPrimitive(v);
    }

    // Equals2. Before SWF 6 NaN equals NaN and two distinct objects compare by
    // their primitive values.
    bool equals2(const Value& x, const Value& y) {
        const bool early = version <= 5;
        if (x.isObject() && y.isObject()) {
            if (sameObject(x.o, y.o)) return true;
            if (!early) return false;
            Value p = equalityPrimitive(x), q = equalityPrimitive(y);
            if (p.isObject() && q.isObject()) return p.o == q.o;
            return equals2(p, q);
        }
        if (x.kind == y.kind) return strictEquals(x, y, early);
        if (x.isNullish() && y.isNullish()) return true;
        // Next to undefined or null only an object without valueOf is equal.
        if (x.isNullish() || y.isNullish()) return m.get(x.isObject() ? x : y, "valueOf").isUndefined() && (x.isObject() || y.isObject());
        if (x.isObject() || y.isObject()) {
            const bool left = x.isObject();
            Value p = equalityPrimitive(left ? x : y);
            const Value& other = left ? y : x;
            // An object that stays one (a movie clip aside) counts as NaN next to a number.
            if (p.isObject()) return p.o->kind != Kind::Clip && other.isNumber() && equals2(Value(NAN), other);
            return left ? equals2(p, y) : equals2(x, p);
        }
        if (x.kind == Value::Number && y.kind == Value::String) return x.n == m.toNumber(y);
        if (x.kind == Value::String && y.kind == Value::Number) return m.toNumber(x) == y.n;
        if (x.kind == Value::Boolean) return equals2(Value(x.b ? 1.0 : 0.0), y);
        if (y.kind == Value::Boolean) return equals2(x, Value(y.b ? 1.0 : 0.0));
        return false;
    }

    // Movie clips are told apart by their target paths: two clips at one path (one kept
    // at a script depth through a rewind, one placed again) are the same clip to scripts.
    bool sameObject(Object* a, Object* b) {
        if (a == b) return true;
        if (a->kind != Kind::Clip || b->kind != Kind::Clip) return false;
        auto ca = a->clip.lock(), cb = b->clip.lock();
        auto movieClip = [](const std::shared_ptr<Clip>& c) { return c && !c->textField && !c->button && !c->removed; };
        if (!movieClip(ca) || !movieClip(cb)) return false;
        return m.heap().key(m.targetPath(*ca, false)) == m.heap().key(m.targetPath(*cb, false));
    }

    bool strictEquals(const Value& x, const Value& y, bool nanEqual = false) {
        if (x.kind != y.kind) return false;
        switch (x.kind) {
        case Value::Undefined:
        case Value::Null: return true;
        case Value::Boolean: return x.b == y.b;
        case Value::Number: return x.n == y.n || (nanEqual && std::isnan(x.n) && std::isnan(y.n));
        case Value::String: return x.s == y.s;
        case Value::Obj: return sameObject(x.o, y.o);
        }
        return false;
    }

    // A member name: undefined names the member "undefined" in every version.
    std::string propName(const Value& v) { return v.isUndefined() ? std::string("undefined") : m.toString(v); }

    Value boolResult(bool b) { return version >= 5 ? Value(b) : Value(b ? 1.0 : 0.0); }

    // ---- strings
    std::string substrChars(const std::string& s, double start1, double count) {
        std::u16string u = toUtf16(s);
        long long st = std::isnan(start1) ? 0 : static_cast<long long>(std::clamp(start1, -1e12, 1e12)) - 1;
        if (st < 0) st = 0;
        if (st >= static_cast<long long>(u.size())) return {};
        long long n = std::isnan(count) ? 0 : static_cast<long long>(std::clamp(count, -1e12, 1e12));
        if (n < 0 || st + n > static_cast<long long>(u.size())) n = static_cast<long long>(u.size()) - st;
        return toUtf8(u.substr(static_cast<size_t>(st), static_cast<size_t>(n)));
    }

    // ---- main loop
    std::vector<Value> popArgs() {
        double n = m.toNumber(pop());
        size_t count = std::isfinite(n) && n > 0 ? static_cast<size_t>(std::min(n, 1e6)) : 0;
        count = std::min(count, a.stack.size());
        std::vector<Value> args(count);
        for (size_t i = 0; i < count; ++i) args[i] = pop();
        return args;
    }

    Flow run(size_t start, size_t end, size_t& pc, Value& ret);
    Flow runRange(size_t start, size_t end, size_t& outPc, Value& ret) {
        size_t pc = start;
        Flow f = run(start, end, pc, ret);
        outPc = pc;
        return f;
    }
    void defineFunction(std::span<const uint8_t> payload, size_t bodyStart, size_t& pc, bool v2);
    Flow doTry(std::span<const uint8_t> payload, size_t next, size_t end, size_t& pc, Value& ret);
    void enumerate(Object* o);
};

void Interp::defineFunction(std::span<const uint8_t> payload, size_t bodyStart, size_t& pc, bool v2) {
    Reader r(payload);
    auto def = std::make_shared<FunctionDef>();
    def->v2 = v2;
    def->name = r.string();
    uint16_t n = r.u16();
    if (v2) {
        def->regCount = r.u8();
        def->flags = r.u16();
    }
    for (uint16_t i = 0; i < n && !r.overrun(); ++i) {
        FunctionDef::Param p;
        if (v2) p.reg = r.u8();
        p.name = r.string();
        def->params.push_back(std::move(p));
    }
    uint16_t size = r.u16();
    size_t bodyEnd = std::min(a.code.size(), bodyStart + size);
    def->body = a.code.subspan(bodyStart, bodyEnd - bodyStart);
    def->pool = a.pool;
    // `arguments` is only made for bodies that can name it.
    auto names = [](std::string_view s) { return asciiLower(std::string(s)).find("arguments") != std::string::npos; };
    def->usesArguments = names(std::string_view(reinterpret_cast<const char*>(def->body.data()), def->body.size()));
    if (!def->usesArguments && def->pool)
        for (const auto& p : *def->pool)
            if (names(p)) def->usesArguments = true;
    pc = bodyEnd;
    Object* fn = m.newFunction(def, a.scope, target());
    fn->nativeData = static_cast<int>(a.timelineIndex);
    if (def->name.empty()) {
        push(Value(fn));
    } else {
        if (Object* l = a.isFunction ? locals() : (a.timelineIndex < a.scope.size() ? a.scope[a.timelineIndex] : nullptr))
            m.set(Value(l), def->name, Value(fn));
    }
}

void Interp::enumerate(Object* o) {
    push(Value::null());
    if (!o) return;
    auto names = m.keys(o, true);
    for (auto& n : names) push(Value(n));
}

Interp::Flow Interp::doTry(std::span<const uint8_t> payload, size_t next, size_t end, size_t& pc, Value& ret) {
    Reader r(payload);
    uint8_t flags = r.u8();
    uint16_t trySize = r.u16(), catchSize = r.u16(), finallySize = r.u16();
    bool inReg = flags & 0x04, hasFinally = flags & 0x02, hasCatch = flags & 0x01;
    std::string catchName;
    uint8_t catchReg = 0;
    if (inReg) catchReg = r.u8();
    else catchName = r.string();
    size_t tryStart = next, tryEnd = std::min(end, tryStart + trySize);
    size_t catchStart = tryEnd, catchEnd = std::min(end, catchStart + catchSize);
    size_t finStart = catchEnd, finEnd = std::min(end, finStart + finallySize);
    Flow flow = Flow::Done;
    size_t outPc = finEnd;
    bool pending = false;
    Value thrown;
    size_t stackSize = a.stack.size();
    ++a.tryDepth;
    struct TryGuard {
        int& d;
        ~TryGuard() { --d; }
    } guard{a.tryDepth};
    try {
        flow = runRange(tryStart, tryEnd, outPc, ret);
    } catch (ScriptThrow& t) {
        a.stack.resize(std::min(a.stack.size(), stackSize));
        if (hasCatch) {
            if (inReg) {
                if (Value* rv = a.reg(catchReg)) *rv = t.value;
            } else if (Object* l = locals()) {
                m.set(Value(l), catchName, t.value);
            }
            try {
                flow = runRange(catchStart, catchEnd, outPc, ret);
            } catch (ScriptThrow& t2) {
                pending = true;
                thrown = t2.value;
            }
        } else {
            pending = true;
            thrown = t.value;
        }
    }
    if (flow == Flow::Done) outPc = finEnd;
    if (hasFinally) {
        Value fret;
        size_t fpc;
        Flow ff = runRange(finStart, finEnd, fpc, fret);
        if (ff != Flow::Done) {
            pc = fpc;
            ret = fret;
            return ff;
        }
    }
    if (pending) throw ScriptThrow{thrown};
    pc = outPc;
    if (flow == Flow::Done) pc = finEnd;
    return flow;
}

Interp::Flow Interp::run(size_t start, size_t end, size_t& pc, Value& ret) {
    const std::span<const uint8_t> code = a.code;
    end = std::min(end, code.size());
    pc = start;
    while (pc < end) {
        if ((++m.steps & 0x3ff) == 0) {
            m.checkDeadline();
            m.collectWithin(a);
        }
        uint8_t op = code[pc++];
        if (op == 0) {
            pc = end;
            return Flow::Done;
        }
        size_t len = 0;
        if (op >= 0x80) {
            if (pc + 2 > code.size()) return Flow::Done;
            len = code[pc] | (code[pc + 1] << 8);
            pc += 2;
        }
        if (pc + len > code.size()) return Flow::Done;
        std::span<const uint8_t> payload = code.subspan(pc, len);
        size_t next = pc + len;
        pc = next;
        Reader r(payload);
        auto branch = [&](int16_t off) -> bool {
            long long t = static_cast<long long>(next) + off;
            if (t < 0 || t > static_cast<long long>(code.size())) t = static_cast<long long>(code.size());
            pc = static_cast<size_t>(t);
            return pc < start || pc > end;
        };
        Clip* t = nullptr;
        switch (op) {
        // ---- timeline
        case 0x04:
            if ((t = target())) m.player().scriptGoto(*t, t->frame + 1, false);
            break;
        case 0x05:
            if ((t = target())) m.player().scriptGoto(*t, std::max(0, t->frame - 1), false);
            break;
        case 0x06:
            if ((t = target())) t->playing = true;
            break;
        case 0x07:
            if ((t = target())) t->playing = false;
            break;
        case 0x08: break; // ToggleQuality
        case 0x09: m.player().scriptStopSounds(); break;
        case 0x81:
            if ((t = target())) m.player().scriptGoto(*t, r.u16(), false);
            break;
        case 0x8C:
            if ((t = target())) m.player().scriptGotoLabel(*t, r.string(), false);
            break;
        case 0x8A: { // WaitForFrame: every frame of a local file is loaded
            r.u16();
            break;
        }
        case 0x8D:
            pop();
            break;
        case 0x8B: { // SetTarget
            setTarget(r.string());
            break;
        }
        case 0x20: { // SetTarget2
            // A clip is the target itself; any other value names a path.
            Value v = pop();
            if (m.clipOf(v)) {
                Clip* c = m.clipOf(v);
                a.target = c ? c->weak_from_this() : std::weak_ptr<Clip>();
                if (c && a.timelineIndex < a.scope.size()) a.scope[a.timelineIndex] = m.clipObject(*c);
            } else {
                setTarget(m.toString(v));
            }
            break;
        }
        case 0x9F: { // GotoFrame2
            uint8_t flags = r.u8();
            int bias = (flags & 0x02) ? r.u16() : 0;
            bool play = flags & 0x01;
            // The frame is read as text: undefined and false can be labels.
            Value v = pop();
            if ((t = target())) m.gotoFrame(*t, Value(m.toString(v)), play, bias);
            break;
        }
        case 0x9E: { // Call: run a frame's actions
            Value v = pop();
            if (!(t = target())) break;
            if (t->removed) t = liveBase();
            Clip* tc = t;
            std::string s = m.toString(v);
            size_t colon = s.rfind(':');
            if (colon != std::string::npos) {
                tc = m.resolvePath(t, s.substr(0, colon));
                s = s.substr(colon + 1);
            }
            if (tc) m.player().scriptCallFrame(*tc, s);
            if (halted()) return Flow::Return;
            break;
        }
        case 0x83: { // GetURL
            std::string url = r.string();
            std::string win = r.string();
            m.player().scriptGetUrl(url, win);
            break;
        }
        case 0x9A: { // GetURL2
            r.u8();
            Value win = pop();
            Value url = pop();
            m.player().scriptGetUrl(m.toString(url), m.toString(win));
            break;
        }
        // ---- stack and constants
        case 0x88: {
            auto pool = std::make_shared<std::vector<std::string>>();
            uint16_t n = r.u16();
            for (uint16_t i = 0; i < n && !r.atEnd(); ++i) pool->push_back(r.string());
            a.pool = pool;
            break;
        }
        case 0x96:
            while (!r.atEnd() && !r.overrun()) {
                uint8_t type = r.u8();
                switch (type) {
                case 0: push(Value(r.string())); break;
                case 1: push(Value(static_cast<double>(r.f32()))); break;
                case 2: push(Value::null()); break;
                case 3: push(Value()); break;
                case 4: {
                    uint8_t reg = r.u8();
                    Value* rv = a.reg(reg);
                    push(rv ? *rv : Value());
                    break;
                }
                case 5: push(Value(r.u8() != 0)); break;
                case 6: {
                    uint64_t hi = r.u32();
                    uint64_t lo = r.u32();
                    uint64_t bits = (hi << 32) | lo;
                    double d;
                    std::memcpy(&d, &bits, 8);
                    push(Value(d));
                    break;
                }
                case 7: push(Value(static_cast<double>(r.s32()))); break;
                case 8:
                case 9: {
                    size_t idx = type == 8 ? r.u8() : r.u16();
                    if (a.pool && idx < a.pool->size()) push(Value((*a.pool)[idx]));
                    else push(Value());
                    break;
                }
                default: r.fail(); break;
                }
            }
            break;
        case 0x17: pop(); break;
        case 0x4C: {
            Value v = a.stack.empty() ? Value() : a.stack.back();
            push(v);
            break;
        }
        case 0x4D: {
            Value x = pop(), y = pop();
            push(x);
            push(y);
            break;
        }
        case 0x87: {
            uint8_t reg = r.u8();
            if (Value* rv = a.reg(reg)) *rv = a.stack.empty() ? Value() : a.stack.back();
            break;
        }
        // ---- arithmetic
        case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x3F: {
            Value xv = pop(), yv = pop();
            double y = m.toNumber(yv);
            double x = m.toNumber(xv);
            double res = 0;
            switch (op) {
            case 0x0A: res = y + x; break;
            case 0x0B: res = y - x; break;
            case 0x0C: res = y * x; break;
            case 0x0D:
                if (x == 0 && version < 5) {
                    push(Value("#ERROR#"));
                    goto next_op;
                }
                res = y / x;
                break;
            case 0x3F: res = std::fmod(y, x); break;
            }
            push(Value(res));
            break;
        }
        case 0x0E: {
            Value xv = pop(), yv = pop();
            double y = m.toNumber(yv);
            double x = m.toNumber(xv);
            push(boolResult(x == y));
            break;
        }
        case 0x0F: {
            Value xv = pop(), yv = pop();
            double y = m.toNumber(yv);
            double x = m.toNumber(xv);
            push(boolResult(y < x));
            break;
        }
        case 0x10: {
            bool x = m.toBoolean(pop()), y = m.toBoolean(pop());
            push(boolResult(x && y));
            break;
        }
        case 0x11: {
            bool x = m.toBoolean(pop()), y = m.toBoolean(pop());
            push(boolResult(x || y));
            break;
        }
        case 0x12: push(boolResult(!m.toBoolean(pop()))); break;
        case 0x18: {
            double d = m.toNumber(pop());
            push(Value(std::isfinite(d) ? std::trunc(d) : (std::isnan(d) ? NAN : d)));
            break;
        }
        case 0x47: {
            Value x = pop(), y = pop();
            push(add2(y, x));
            break;
        }
        case 0x48: {
            Value x = pop(), y = pop();
            push(less(y, x));
            break;
        }
        case 0x67: {
            Value x = pop(), y = pop();
            push(less(x, y));
            break;
        }
        case 0x49: {
            Value x = pop(), y = pop();
            push(boolResult(equals2(y, x)));
            break;
        }
        case 0x66: {
            Value x = pop(), y = pop();
            push(Value(strictEquals(y, x, true)));
            break;
        }
        case 0x4A: push(Value(m.toNumber(pop()))); break;
        case 0x4B: push(Value(m.toString(pop()))); break;
        case 0x50: push(Value(m.toNumber(pop()) + 1)); break;
        case 0x51: push(Value(m.toNumber(pop()) - 1)); break;
        case 0x60: case 0x61: case 0x62: case 0x63: case 0x64: case 0x65: {
            Value xv = pop(), yv = pop();
            int32_t y = m.toInt(yv);
            int32_t x = m.toInt(xv);
            double res = 0;
            switch (op) {
            case 0x60: res = y & x; break;
            case 0x61: res = y | x; break;
            case 0x62: res = y ^ x; break;
            case 0x63: res = static_cast<int32_t>(static_cast<uint32_t>(y) << (x & 31)); break;
            case 0x64: res = y >> (x & 31); break;
            case 0x65: res = static_cast<uint32_t>(y) >> (x & 31); break;
            }
            push(Value(res));
            break;
        }
        // ---- strings
        case 0x13: {
            std::string x = m.toString(pop()), y = m.toString(pop());
            push(boolResult(x == y));
            break;
        }
        case 0x29: {
            std::string x = m.toString(pop()), y = m.toString(pop());
            push(boolResult(y < x));
            break;
        }
        case 0x68: {
            std::string x = m.toString(pop()), y = m.toString(pop());
            push(boolResult(y > x));
            break;
        }
        case 0x14: push(Value(static_cast<double>(m.toString(pop()).size()))); break;
        case 0x31: push(Value(static_cast<double>(toUtf16(m.toString(pop())).size()))); break;
        case 0x21: {
            std::string x = m.toString(pop()), y = m.toString(pop());
            m.checkStringSize(x.size() + y.size());
            push(Value(y + x));
            break;
        }
        case 0x15: case 0x35: {
            double count = m.toNumber(pop()), index = m.toNumber(pop());
            std::string s = m.toString(pop());
            push(Value(substrChars(s, index, count)));
            break;
        }
        case 0x32: case 0x36: {
            std::u16string u = toUtf16(m.toString(pop()));
            if (op == 0x32) {
                std::string s8 = toUtf8(u);
                push(Value(s8.empty() ? 0.0 : static_cast<double>(static_cast<unsigned char>(s8[0]))));
            } else {
                push(Value(u.empty() ? 0.0 : static_cast<double>(u[0])));
            }
            break;
        }
        case 0x33: case 0x37: {
            uint32_t c = static_cast<uint32_t>(toInt32(m.toNumber(pop()))) & 0xffff;
            if (c == 0) push(Value(""));
            else push(Value(toUtf8(std::u16string(1, static_cast<char16_t>(c)))));
            break;
        }
        // ---- control flow
        case 0x99:
            if (branch(static_cast<int16_t>(r.u16()))) return Flow::Out;
            continue;
        case 0x9D: {
            int16_t off = static_cast<int16_t>(r.u16());
            if (m.toBoolean(pop())) {
                if (branch(off)) return Flow::Out;
                continue;
            }
            break;
        }
        case 0x3E:
            ret = pop();
            return Flow::Return;
        case 0x2A: {
            Value v = pop();
            throw ScriptThrow{v};
        }
        case 0x8F: {
            Flow f = doTry(payload, next, end, pc, ret);
            if (f == Flow::Return) return f;
            if (f == Flow::Out) {
                if (pc < start || pc > end) return Flow::Out;
                continue;
            }
            continue;
        }
        case 0x94: { // With
            uint16_t size = r.u16();
            Value v = pop();
            size_t bodyEnd = std::min(end, next + size);
            Object* o = m.toObject(v);
            int limit = version >= 6 ? 16 : 8;
            if (!o || a.withDepth >= limit) {
                pc = bodyEnd;
                continue;
            }
            a.scope.push_back(o);
            ++a.withDepth;
            size_t outPc;
            Flow f;
            try {
                f = runRange(next, bodyEnd, outPc, ret);
            } catch (...) {
                a.scope.pop_back();
                --a.withDepth;
                throw;
            }
            a.scope.pop_back();
            --a.withDepth;
            if (f == Flow::Return) return f;
            pc = f == Flow::Out ? outPc : bodyEnd;
            if (pc < start || pc > end) return Flow::Out;
            continue;
        }
        case 0x9B:
        case 0x8E:
            defineFunction(payload, next, pc, op == 0x8E);
            if (pc > end) pc = end;
            continue;
        // ---- variables
        case 0x1C: {
            Value n = pop();
            push(getVariable(m.toString(n)));
            break;
        }
        case 0x1D: {
            Value v = pop();
            std::string n = m.toString(pop());
            setVariable(n, v);
            break;
        }
        case 0x3C: {
            Value v = pop();
            std::string n = m.toString(pop());
            // Outside a function there are no locals: a `with` object that has the name
            // as its own takes it, else the timeline.
            Object* l = locals();
            if (!a.isFunction)
                for (size_t i = a.scope.size(); i-- > a.timelineIndex + 1;)
                    if (a.scope[i] && m.hasOwn(a.scope[i], n)) {
                        l = a.scope[i];
                        break;
                    }
            if (l && a.isFunction) m.setOwn(l, n, v);
            else if (l) m.set(Value(l), n, v);
            break;
        }
        case 0x41: {
            std::string n = m.toString(pop());
            if (Object* l = locals())
                if (!m.hasOwn(l, n)) m.setOwn(l, n, Value());
            break;
        }
        case 0x3A: {
            std::string n = m.toString(pop());
            Value o = pop();
            push(Value(o.isObject() ? m.remove(o.o, n) : false));
            break;
        }
        case 0x3B: {
            std::string n = m.toString(pop());
            bool done = false;
            for (size_t i = a.scope.size(); i-- > 0;)
                if (a.scope[i] && m.hasOwn(a.scope[i], n)) {
                    done = m.remove(a.scope[i], n);
                    break;
                }
            push(Value(done));
            break;
        }
        case 0x4E: {
            Value name = pop();
            Value o = pop();
            push(m.get(o, propName(name)));
            break;
        }
        case 0x4F: {
            Value v = pop();
            Value name = pop();
            Value o = pop();
            m.set(o, propName(name), v);
            break;
        }
        case 0x22: { // GetProperty
            int idx = propertyIndex(m.toNumber(pop()));
            Value tv = pop();
            Clip* c = tv.isObject() ? m.clipOf(tv) : nullptr;
            if (!c) {
                std::string path = m.toString(tv);
                c = path.empty() ? target() : m.resolvePath(target(), path);
            }
            push(c && idx >= 0 ? m.getProperty(*c, idx) : Value());
            break;
        }
        case 0x23: {
            Value v = pop();
            int idx = propertyIndex(m.toNumber(pop()));
            Value tv = pop();
            Clip* c = tv.isObject() ? m.clipOf(tv) : nullptr;
            if (!c) {
                std::string path = m.toString(tv);
                c = path.empty() ? target() : m.resolvePath(target(), path);
            }
            if (c && idx >= 0) m.setProperty(*c, idx, v);
            break;
        }
        case 0x24: { // CloneSprite
            // The depth is the display list's own, not the AS depth duplicateMovieClip takes.
            int64_t d = int64_t(m.toInt(pop())) - kScriptDepthBase;
            std::string name = m.toString(pop());
            Value src = pop();
            Clip* c = src.isObject() ? m.clipOf(src) : m.resolvePath(target(), m.toString(src));
            if (c && d >= INT32_MIN) m.player().scriptDuplicate(*c, name, static_cast<int>(d));
            break;
        }
        case 0x25: {
            Value src = pop();
            Clip* c = src.isObject() ? m.clipOf(src) : m.resolvePath(target(), m.toString(src));
            if (c) m.player().scriptRemove(*c);
            break;
        }
        case 0x27: { // StartDrag
            pop();
            pop();
            if (m.toBoolean(pop()))
                for (int i = 0; i < 4; ++i) pop();
            break;
        }
        case 0x28: break;
        case 0x26: {
            Value v = pop();
            std::string s = v.isUndefined() ? std::string("undefined") : m.toString(v);
            if (m.trace) m.trace(traceText(s));
            break;
        }
        case 0x30: {
            double mx = m.toNumber(pop());
            int32_t n = toInt32(mx);
            push(Value(n > 0 ? static_cast<double>(m.rng() % static_cast<uint32_t>(n)) : 0.0));
            break;
        }
        case 0x34: push(Value(std::floor(m.nowMs))); break;
        case 0x2D: break;
        case 0x89: break;
        // ---- objects and calls
        case 0x3D: {
            std::string name = m.toString(pop());
            auto args = popArgs();
            // A function found on an object of a `with` runs with that object as
            // `this`, one named by a path on the object the path led to; any other
            // on the target clip.
            Object* where = nullptr;
            Value owner;
            Value fn = isPathName(name) ? getVariable(name, &owner) : lookup(name, &where);
            Value thisv;
            if (owner.isObject()) thisv = owner;
            else if (isWithObject(where)) thisv = Value(where);
            else if (Clip* tc = target()) thisv = m.clipObject(*tc);
            push(m.call(fn, thisv, args));
            if (halted()) return Flow::Return;
            break;
        }
        case 0x52: {
            Value name = pop();
            Value obj = pop();
            auto args = popArgs();
            std::string n = name.isUndefined() ? std::string() : m.toString(name);
            if (n.empty()) {
                // The object itself is called; for super, the parent constructor.
                if (obj.isObject() && obj.o->kind == Kind::Super) {
                    Object* sp = obj.o->superProto;
                    Value ctor;
                    if (a.holder) {
                        Object* h = nullptr;
                        Property* p = m.findInChain(a.holder, m.heap().key("__constructor__"), &h);
                        if (p) ctor = p->value;
                    }
                    if (!ctor.isObject() && sp) ctor = m.getOf(sp, "constructor", Value(sp));
                    push(m.call(ctor, Value(obj.o->superThis), args, sp));
                } else {
                    push(m.call(obj, Value(), args));
                }
                if (halted()) return Flow::Return;
                break;
            }
            if (obj.isObject() && obj.o->kind == Kind::Super) {
                Object* sp = obj.o->superProto;
                Object* h = nullptr;
                Value fn;
                if (sp) {
                    Property* p = m.findInChain(sp, m.heap().key(n), &h);
                    if (p) fn = p->getter ? m.call(Value(p->getter), Value(obj.o->superThis), {}) : p->value;
                }
                push(m.call(fn, Value(obj.o->superThis), args, h));
                if (halted()) return Flow::Return;
                break;
            }
            if (obj.isNullish()) {
                push(Value());
                break;
            }
            Object* holder = nullptr;
            Value fn;
            if (obj.isObject()) {
                Property* p = m.findInChain(obj.o, m.heap().key(n), &holder);
                // A method of the object's own counts as one of its prototype's for super.
                if (holder == obj.o) holder = obj.o->proto;
                if (p && !p->getter && obj.o->kind != Kind::Clip) fn = p->value;
                else fn = m.get(obj, n);
            } else {
                fn = m.get(obj, n);
            }
            push(m.call(fn, obj, args, holder));
            if (halted()) return Flow::Return;
            break;
        }
        case 0x40: {
            std::string name = m.toString(pop());
            auto args = popArgs();
            Value ctor = getVariable(name);
            push(m.construct(ctor, args));
            if (halted()) return Flow::Return;
            break;
        }
        case 0x53: {
            Value name = pop();
            Value obj = pop();
            auto args = popArgs();
            std::string n = name.isUndefined() ? std::string() : m.toString(name);
            Value ctor = n.empty() ? obj : m.get(obj, n);
            push(m.construct(ctor, args));
            if (!obj.isNullish() && halted()) return Flow::Return;
            break;
        }
        case 0x42: {
            // A count beyond the stack makes no array: undefined, the stack left as it is.
            double n = m.toNumber(a.stack.empty() ? Value() : a.stack.back());
            if (n > static_cast<double>(a.stack.size() - (a.stack.empty() ? 0 : 1))) {
                pop();
                push(Value());
                break;
            }
            auto elems = popArgs();
            push(Value(m.newArray(std::move(elems))));
            break;
        }
        case 0x43: {
            double n = m.toNumber(pop());
            size_t count = std::isfinite(n) && n > 0 ? static_cast<size_t>(std::min(n, 1e6)) : 0;
            // Members are stored as they come off the stack, the last written first;
            // __proto__ sets the prototype as an assignment does.
            Object* o = m.newObject();
            for (size_t i = 0; i < count && !a.stack.empty(); ++i) {
                Value v = pop();
                m.set(Value(o), m.toString(pop()), v);
            }
            push(Value(o));
            break;
        }
        case 0x44: push(Value(m.typeOf(pop()))); break;
        case 0x45: {
            Value v = pop();
            Clip* c = m.clipOf(v);
            push(c ? Value(m.targetPath(*c, false)) : Value());
            break;
        }
        case 0x46: {
            std::string name = m.toString(pop());
            Value v = getVariable(name);
            enumerate(v.isObject() ? v.o : nullptr);
            break;
        }
        case 0x55: {
            Value v = pop();
            enumerate(v.isObject() ? v.o : nullptr);
            break;
        }
        case 0x54: {
            Value ctor = pop();
            Value o = pop();
            push(Value(o.isObject() && ctor.isObject() && m.instanceOf(o.o, ctor.o)));
            break;
        }
        case 0x2B: {
            Value o = pop();
            Value ctor = pop();
            push(o.isObject() && ctor.isObject() && m.instanceOf(o.o, ctor.o) ? o : Value::null());
            break;
        }
        case 0x2C: { // ImplementsOp
            Value ctor = pop();
            auto ifaces = popArgs();
            if (!ctor.isObject()) break;
            Value p = m.get(ctor, "prototype");
            if (!p.isObject()) break;
            for (auto& i : ifaces)
                if (i.isObject()) p.o->refs.push_back(i.o);
            break;
        }
        case 0x69: { // Extends
            Value sup = pop();
            Value sub = pop();
            if (!sub.isObject() || !sup.isObject()) break;
            Value sp = m.get(sup, "prototype");
            Object* p = m.newObject(sp.isObject() ? sp.o : nullptr);
            m.setOwn(p, "__constructor__", sup, kDontEnum);
            if (version < 7) m.setOwn(p, "constructor", sup, kDontEnum);
            m.set(sub, "prototype", Value(p));
            break;
        }
        default:
            break;
        }
    next_op:;
    }
    return Flow::Done;
}

Value runActivation(Machine& m, Activation& a) {
    // A function body is SWF 5 code even in an older movie (functions came with
    // SWF 5), so its operators follow SWF 5 rules.
    Interp in{m, a, a.isFunction ? std::max(5, m.version()) : m.version()};
    Value ret;
    size_t pc = 0;
    m.active.push_back(&a);
    try {
        in.run(0, a.code.size(), pc, ret);
    } catch (...) {
        m.active.pop_back();
        throw;
    }
    m.active.pop_back();
    return ret;
}

} // namespace swf::avm1
