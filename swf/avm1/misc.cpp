// The smaller classes: AsBroadcaster, Key, Mouse, Stage, System,
// TextField, TextFormat and Button, as far as a movie without input needs them.
#include "swf/avm1/machine.h"

#include <cmath>

namespace swf::avm1 {

namespace {


Value broadcastMessage(Machine& m, Value self, std::span<Value> a) {
    if (a.empty()) return {};
    std::string name = m.toString(a[0]);
    Value list = m.get(self, "_listeners");
    if (!list.isObject() || list.o->kind != Kind::Array) return {};
    std::vector<Value> listeners = m.elements(list);
    std::vector<Value> args(a.begin() + 1, a.end());
    for (auto& l : listeners) m.callMethod(l, name, args);
    return Value(true);
}

Value addListener(Machine& m, Value self, std::span<Value> a) {
    Value list = m.get(self, "_listeners");
    if (!list.isObject() || list.o->kind != Kind::Array || a.empty()) return Value(false);
    for (auto& v : m.elements(list))
        if (v.kind == a[0].kind && v.o == a[0].o && (v.kind != Value::String || v.s == a[0].s)) return Value(true);
    m.pushElement(list.o, a[0]);
    return Value(true);
}

Value removeListener(Machine& m, Value self, std::span<Value> a) {
    Value list = m.get(self, "_listeners");
    if (!list.isObject() || list.o->kind != Kind::Array || a.empty()) return Value(false);
    std::vector<Value> e = m.elements(list);
    for (size_t i = 0; i < e.size(); ++i)
        if (e[i].kind == a[0].kind && e[i].o == a[0].o) {
            e.erase(e.begin() + static_cast<long>(i));
            m.setElements(list.o, e);
            return Value(true);
        }
    return Value(false);
}

} // namespace

void makeBroadcaster(Machine& m, Object* o) {
    m.setOwn(o, "_listeners", Value(m.newArray()), kDontEnum);
    Object* bc = m.classCtor("AsBroadcaster");
    if (!bc) return;
    for (const char* n : {"broadcastMessage", "addListener", "removeListener"})
        m.setOwn(o, n, m.get(Value(bc), n), kDontEnum);
}

void installMisc(Machine& m, Object* g) {
    // AsBroadcaster
    Object* bcp = m.newObject();
    Object* bc = addClass(m, g, "AsBroadcaster", nothing, nullptr, bcp);
    addMethod(m, bc, "broadcastMessage", broadcastMessage);
    addMethod(m, bc, "addListener", addListener);
    addMethod(m, bc, "removeListener", removeListener);
    addMethod(m, bc, "initialize", [](Machine& m, Value, std::span<Value> a) -> Value {
        if (!a.empty() && a[0].isObject()) makeBroadcaster(m, a[0].o);
        return {};
    });

    // Key, Mouse, Stage: broadcasters without input in a headless run.
    Object* key = m.newObject();
    m.setOwn(g, "Key", Value(key), kDontEnum);
    makeBroadcaster(m, key);
    static const std::pair<const char*, int> keys[] = {
        {"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46}, {"DOWN", 40}, {"END", 35},
        {"ENTER", 13}, {"ESCAPE", 27}, {"HOME", 36}, {"INSERT", 45}, {"LEFT", 37}, {"PGDN", 34}, {"PGUP", 33},
        {"RIGHT", 39}, {"SHIFT", 16}, {"SPACE", 32}, {"TAB", 9}, {"UP", 38}, {"ALT", 18}};
    for (auto& [n, v] : keys) m.setOwn(key, n, Value(v), kDontEnum | kDontDelete | kReadOnly);
    addMethod(m, key, "isDown", [](Machine&, Value, std::span<Value>) -> Value { return Value(false); });
    addMethod(m, key, "isToggled", [](Machine&, Value, std::span<Value>) -> Value { return Value(false); });
    addMethod(m, key, "getCode", [](Machine&, Value, std::span<Value>) -> Value { return Value(0); });
    addMethod(m, key, "getAscii", [](Machine&, Value, std::span<Value>) -> Value { return Value(0); });
    Object* mouse = m.newObject();
    m.setOwn(g, "Mouse", Value(mouse), kDontEnum);
    makeBroadcaster(m, mouse);
    addMethod(m, mouse, "show", [](Machine&, Value, std::span<Value>) -> Value { return Value(1); });
    addMethod(m, mouse, "hide", [](Machine&, Value, std::span<Value>) -> Value { return Value(0); });
    Object* stage = m.newObject();
    m.setOwn(g, "Stage", Value(stage), kDontEnum);
    makeBroadcaster(m, stage);
    const Rect& st = m.player().movie().stage;
    m.setOwn(stage, "width", Value(st.width() / 20.0), kDontEnum);
    m.setOwn(stage, "height", Value(st.height() / 20.0), kDontEnum);
    m.setOwn(stage, "scaleMode", Value("showAll"), kDontEnum);
    m.setOwn(stage, "align", Value(""), kDontEnum);
    m.setOwn(stage, "showMenu", Value(true), kDontEnum);
    // System
    Object* system = m.newObject();
    m.setOwn(g, "System", Value(system), kDontEnum);
    Object* caps = m.newObject();
    m.setOwn(system, "capabilities", Value(caps), kDontEnum);
    m.setOwn(caps, "version", Value("LNX 10,0,0,0"));
    m.setOwn(caps, "os", Value("Linux"));
    m.setOwn(caps, "playerType", Value("StandAlone"));
    m.setOwn(caps, "language", Value("en"));
    m.setOwn(caps, "screenResolutionX", Value(1920));
    m.setOwn(caps, "screenResolutionY", Value(1080));
    m.setOwn(caps, "hasAudio", Value(true));
    m.setOwn(caps, "manufacturer", Value("Reelvista"));
    Object* security = m.newObject();
    m.setOwn(system, "security", Value(security), kDontEnum);
    addMethod(m, security, "allowDomain", nothing);
    addMethod(m, security, "loadPolicyFile", nothing);
    m.setOwn(system, "useCodepage", Value(false));
    addMethod(m, system, "setClipboard", nothing);
    addMethod(m, system, "showSettings", nothing);

    // TextField, Selection, TextFormat, Button
    installTextField(m, g);
    installTextFormat(m, g);
    Object* bp = m.newObject();
    addClass(m, g, "Button", nothing, nullptr, bp);
    m.setOwn(bp, "useHandCursor", Value(true), kDontEnum);
    m.setOwn(bp, "enabled", Value(true), kDontEnum);
    addMethod(m, bp, "getDepth", [](Machine& m, Value self, std::span<Value>) -> Value {
        Clip* c = m.clipOf(self);
        DisplayObject* d = c ? m.displayOf(*c) : nullptr;
        return d ? Value(d->depth - kScriptDepthBase) : Value();
    });
}


} // namespace swf::avm1
