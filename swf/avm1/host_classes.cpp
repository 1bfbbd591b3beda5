// Classes that stand for host features a headless player lacks: ContextMenu
// and ContextMenuItem (no menu is ever shown), NetConnection (local connections
// only; nothing goes out), PrintJob (no printer), no camera, microphone or
// accessibility aids, loaders and sockets that never connect, and TextSnapshot.
#include "swf/avm1/geom.h"

namespace swf::avm1 {

namespace {


const char* const kBuiltInItems[] = {"save", "zoom", "quality", "play", "loop", "rewind", "forward_back", "print"};

// Copies of the own enumerable values of an object, in for-in order.
Object* copyValues(Machine& m, const Value& from, Object* to) {
    if (!from.isObject()) return to;
    std::vector<std::string> keys = m.keys(from.o, false);
    for (auto k = keys.rbegin(); k != keys.rend(); ++k) m.set(Value(to), *k, m.get(from, *k));
    return to;
}

Value menuInit(Machine& m, Value self, std::span<Value> a) {
    if (!self.isObject()) return {};
    // Made last to first: scripts list the newest property first.
    m.set(self, "onSelect", arg(a, 0));
    Object* builtIn = m.newObject();
    for (auto n = std::rbegin(kBuiltInItems); n != std::rend(kBuiltInItems); ++n) m.set(Value(builtIn), *n, Value(true));
    m.set(self, "builtInItems", Value(builtIn));
    m.set(self, "customItems", Value(m.newArray()));
    return {};
}

Value itemInit(Machine& m, Value self, std::span<Value> a) {
    if (!self.isObject()) return {};
    auto flag = [&](size_t i, bool byDefault) { return i < a.size() ? Value(m.toBoolean(a[i])) : Value(byDefault); };
    m.set(self, "caption", arg(a, 0));
    m.set(self, "onSelect", arg(a, 1));
    m.set(self, "separatorBefore", flag(2, false));
    m.set(self, "enabled", flag(3, true));
    m.set(self, "visible", flag(4, true));
    return {};
}

Object* newOf(Machine& m, const char* cls, std::vector<Value> args) {
    Value r = m.construct(Value(m.classCtor(cls)), args);
    return r.isObject() ? r.o : nullptr;
}

void installMenus(Machine& m, Object* g) {
    Object* mp = m.newObject();
    addClass(m, g, "ContextMenu", menuInit, nullptr, mp);
    addMethod(m, mp, "hideBuiltInItems", [](Machine& m, Value self, std::span<Value>) -> Value {
        Value b = m.get(self, "builtInItems");
        if (b.isObject())
            for (const char* n : kBuiltInItems) m.set(b, n, Value(false));
        return {};
    });
    addMethod(m, mp, "copy", [](Machine& m, Value self, std::span<Value>) -> Value {
        Object* c = newOf(m, "ContextMenu", {m.get(self, "onSelect")});
        if (!c) return {};
        Value b = m.get(Value(c), "builtInItems");
        if (b.isObject()) copyValues(m, m.get(self, "builtInItems"), b.o);
        Value items = m.get(self, "customItems");
        std::vector<Value> copies;
        if (items.isObject() && items.o->kind == Kind::Array)
            for (const Value& item : m.elements(items)) copies.push_back(m.callMethod(item, "copy", {}));
        m.set(Value(c), "customItems", Value(m.newArray(std::move(copies))));
        return Value(c);
    });

    Object* ip = m.newObject();
    addClass(m, g, "ContextMenuItem", itemInit, nullptr, ip);
    addMethod(m, ip, "copy", [](Machine& m, Value self, std::span<Value>) -> Value {
        return Value(newOf(m, "ContextMenuItem",
                           {m.get(self, "caption"), m.get(self, "onSelect"), m.get(self, "separatorBefore"),
                            m.get(self, "enabled"), m.get(self, "visible")}));
    });
}

// ---------------------------------------------------------------- NetConnection

struct ConnectionData : HostData {
    enum State { Closed, Local, Remote } state = Closed;
};

ConnectionData* connection(const Value& self) {
    return self.isObject() ? dynamic_cast<ConnectionData*>(self.o->host.get()) : nullptr;
}

void status(Machine& m, const Value& self, const char* code) {
    Object* e = m.newObject();
    m.setOwn(e, "code", Value(code));
    m.setOwn(e, "level", Value("status"));
    std::vector<Value> args{Value(e)};
    m.callMethod(self, "onStatus", args);
}

// Closing tells the script; a connection still opening to a server also reports
// that it never got an answer.
void closeConnection(Machine& m, const Value& self, ConnectionData& c) {
    ConnectionData::State was = c.state;
    c.state = ConnectionData::Closed;
    if (was == ConnectionData::Closed) return;
    status(m, self, "NetConnection.Connect.Closed");
    if (was == ConnectionData::Remote) m.callMethod(self, "onStatus", {});
}

void installNetConnection(Machine& m, Object* g) {
    Object* np = m.newObject();
    addClass(m, g, "NetConnection", [](Machine&, Value self, std::span<Value>) -> Value {
        if (self.isObject()) self.o->host = std::make_unique<ConnectionData>();
        return {};
    }, nullptr, np);
    addMethod(m, np, "connect", [](Machine& m, Value self, std::span<Value> a) -> Value {
        ConnectionData* c = connection(self);
        if (!c) return Value(false);
        closeConnection(m, self, *c);
        if (!arg(a, 0).isNull()) {
            // No network: the connection stays pending until it is closed.
            c->state = ConnectionData::Remote;
            return Value(true);
        }
        c->state = ConnectionData::Local;
        status(m, self, "NetConnection.Connect.Success");
        return Value(true);
    });
    addMethod(m, np, "close", [](Machine& m, Value self, std::span<Value>) -> Value {
        if (ConnectionData* c = connection(self)) closeConnection(m, self, *c);
        return {};
    });
    addMethod(m, np, "call", [](Machine&, Value, std::span<Value>) -> Value { return Value(false); });
    addMethod(m, np, "addHeader", nothing);
}

// ---------------------------------------------------------------- PrintJob

void installPrintJob(Machine& m, Object* g) {
    Object* pp = m.newObject();
    addClass(m, g, "PrintJob", nothing, nullptr, pp);
    addMethod(m, pp, "start", [](Machine&, Value, std::span<Value>) -> Value { return Value(false); });
    addMethod(m, pp, "addPage", [](Machine&, Value, std::span<Value>) -> Value { return Value(false); });
    addMethod(m, pp, "send", nothing);
    // The page sizes of a job that never started: all zero, and not writable.
    for (const char* n : {"paperHeight", "paperWidth", "pageHeight", "pageWidth", "orientation"})
        addAccessor(m, pp, n, [](Machine&, Value, std::span<Value>) -> Value { return Value(0); }, nullptr, 0);
}


// ---------------------------------------------------------------- devices, loaders, sockets

Value falseFn(Machine&, Value, std::span<Value>) { return Value(false); }
Value nullFn(Machine&, Value, std::span<Value>) { return Value::null(); }

Object* plainClass(Machine& m, Object* g, const char* name, NativeFn init = nothing) {
    Object* proto = m.newObject();
    addClass(m, g, name, init, nullptr, proto);
    return proto;
}

void installDevices(Machine& m, Object* g) {
    // No camera or microphone: get() finds none.
    for (const char* name : {"Camera", "Microphone"}) {
        plainClass(m, g, name);
        Object* ctor = m.classCtor(name);
        if (!ctor) continue;
        addMethod(m, ctor, "get", nullFn);
        m.setOwn(ctor, "names", Value(m.newArray()), kDontEnum);
    }
    Object* access = m.newObject();
    m.setOwn(g, "Accessibility", Value(access), kDontEnum);
    addMethod(m, access, "isActive", falseFn);
    addMethod(m, access, "updateProperties", nothing);
    addMethod(m, access, "sendEvent", nothing);
    Value system = m.get(Value(g), "System");
    if (system.isObject()) {
        Object* ime = m.newObject();
        m.setOwn(system.o, "IME", Value(ime), kDontEnum);
        addMethod(m, ime, "getEnabled", falseFn);
        addMethod(m, ime, "setEnabled", falseFn);
        addMethod(m, ime, "getConversionMode", [](Machine&, Value, std::span<Value>) -> Value { return Value("UNKNOWN"); });
        addMethod(m, ime, "setConversionMode", falseFn);
        addMethod(m, ime, "setCompositionString", falseFn);
        addMethod(m, ime, "doConversion", falseFn);
    }
}

void installLoaders(Machine& m, Object* g) {
    Object* lv = plainClass(m, g, "LoadVars");
    for (const char* n : {"load", "send", "sendAndLoad"}) addMethod(m, lv, n, falseFn);
    addMethod(m, lv, "addRequestHeader", nothing);
    m.setOwn(lv, "contentType", Value("application/x-www-form-urlencoded"), kDontEnum);

    Object* lc = plainClass(m, g, "LocalConnection");
    addMethod(m, lc, "connect", [](Machine&, Value, std::span<Value>) -> Value { return Value(true); });
    addMethod(m, lc, "send", falseFn);
    addMethod(m, lc, "close", nothing);
    addMethod(m, lc, "domain", [](Machine&, Value, std::span<Value>) -> Value { return Value("localhost"); });

    // A MovieClipLoader broadcasts its events and listens to itself first.
    Object* mcl = plainClass(m, g, "MovieClipLoader", [](Machine& m, Value self, std::span<Value>) -> Value {
        if (!self.isObject()) return {};
        Object* bc = m.classCtor("AsBroadcaster");
        if (bc) {
            std::vector<Value> args{self};
            m.callMethod(Value(bc), "initialize", args);
            m.callMethod(self, "addListener", args);
        }
        return {};
    });
    for (const char* n : {"loadClip", "unloadClip"}) addMethod(m, mcl, n, falseFn);
    addMethod(m, mcl, "getProgress", [](Machine& m, Value, std::span<Value>) -> Value {
        Object* o = m.newObject();
        m.setOwn(o, "bytesLoaded", Value(0));
        m.setOwn(o, "bytesTotal", Value(0));
        return Value(o);
    });

    Object* ns = plainClass(m, g, "NetStream");
    for (const char* n : {"play", "pause", "close", "seek", "setBufferTime", "attachAudio", "attachVideo", "publish", "send"})
        addMethod(m, ns, n, nothing);

    Object* so = plainClass(m, g, "SharedObject");
    (void)so;
    if (Object* ctor = m.classCtor("SharedObject")) {
        addMethod(m, ctor, "getLocal", nullFn);
        addMethod(m, ctor, "getRemote", nullFn);
    }

    Object* video = plainClass(m, g, "Video");
    for (const char* n : {"attachVideo", "clear"}) addMethod(m, video, n, nothing);

    Object* socket = plainClass(m, g, "XMLSocket");
    addMethod(m, socket, "connect", falseFn);
    addMethod(m, socket, "send", nothing);
    addMethod(m, socket, "close", nothing);
}

// TextSnapshot: static text of a clip as text. Its methods belong to files of
// version 6 and later; older movies see the names without values.
void installTextSnapshot(Machine& m, Object* g) {
    Object* tp = plainClass(m, g, "TextSnapshot");
    bool present = m.version() >= 6;
    // Added last to first: scripts list the newest property first.
    auto put = [&](const char* name, NativeFn fn) { m.setOwn(tp, name, present ? Value(m.newNative(fn)) : Value()); };
    put("getCount", [](Machine&, Value, std::span<Value>) -> Value { return Value(0); });
    put("setSelected", nothing);
    put("getSelected", falseFn);
    put("getText", [](Machine&, Value, std::span<Value>) -> Value { return Value(""); });
    put("getSelectedText", [](Machine&, Value, std::span<Value>) -> Value { return Value(""); });
    put("hitTestTextNearPos", [](Machine&, Value, std::span<Value>) -> Value { return Value(-1); });
    put("findText", [](Machine&, Value, std::span<Value>) -> Value { return Value(-1); });
    put("setSelectColor", nothing);
    put("getTextRunInfo", [](Machine& m, Value, std::span<Value>) -> Value { return Value(m.newArray()); });
}

} // namespace

void installHostClasses(Machine& m, Object* global) {
    installMenus(m, global);
    installNetConnection(m, global);
    installPrintJob(m, global);
    installDevices(m, global);
    installLoaders(m, global);
    installTextSnapshot(m, global);
}

} // namespace swf::avm1
