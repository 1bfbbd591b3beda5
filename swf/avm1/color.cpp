// The Color class: reads and writes the colour transform of the clip or button
// its `target` names (a clip or a non-empty path), found again on every call.
#include "swf/avm1/machine.h"

#include <cmath>

namespace swf::avm1 {

namespace {

DisplayObject* targetOf(Machine& m, const Value& self) {
    Value t = m.get(self, "target");
    Clip* c = m.clipOf(t);
    if (!c && t.isString() && !t.s.empty()) c = m.resolvePath(m.rootClip(), t.s); // "" names no clip
    return c ? m.displayOf(*c) : nullptr;
}

// A colour set by a script takes the clip from the timeline, like a moved one.
DisplayObject* changedTarget(Machine& m, const Value& self) {
    DisplayObject* d = targetOf(m, self);
    if (d && d->clip) d->clip->scripted = true;
    return d;
}

// The transform keeps 16-bit fields: larger values wrap.
int32_t field16(double v) { return static_cast<int16_t>(static_cast<uint16_t>(toUint32(v) & 0xffff)); }

Value colorInit(Machine& m, Value self, std::span<Value> a) {
    if (self.isObject()) m.setOwn(self.o, "target", arg(a, 0), kDontEnum);
    return {};
}

Value setRGB(Machine& m, Value self, std::span<Value> a) {
    DisplayObject* d = changedTarget(m, self);
    if (!d) return {};
    uint32_t v = toUint32(m.toNumber(arg(a, 0)));
    ColorTransform& x = d->colorTransform;
    x.rMul = x.gMul = x.bMul = 0;
    x.rAdd = static_cast<int32_t>((v >> 16) & 0xff);
    x.gAdd = static_cast<int32_t>((v >> 8) & 0xff);
    x.bAdd = static_cast<int32_t>(v & 0xff);
    return {};
}

// The offsets put together as they are, signs and all.
Value getRGB(Machine& m, Value self, std::span<Value>) {
    DisplayObject* d = targetOf(m, self);
    if (!d) return {};
    const ColorTransform& x = d->colorTransform;
    uint32_t v = (static_cast<uint32_t>(x.rAdd) << 16) | (static_cast<uint32_t>(x.gAdd) << 8) | static_cast<uint32_t>(x.bAdd);
    return Value(static_cast<double>(static_cast<int32_t>(v)));
}

// Percent multipliers and offsets; only the fields the object holds itself change.
Value setTransform(Machine& m, Value self, std::span<Value> a) {
    Value t = arg(a, 0);
    DisplayObject* d = t.isObject() ? changedTarget(m, self) : nullptr;
    if (!d) return {};
    ColorTransform& x = d->colorTransform;
    auto field = [&](const char* n, int32_t& out, double scale) {
        if (m.hasOwn(t.o, n)) out = field16(m.toNumber(m.get(t, n)) * scale);
    };
    field("ra", x.rMul, 2.56);
    field("ga", x.gMul, 2.56);
    field("ba", x.bMul, 2.56);
    field("aa", x.aMul, 2.56);
    field("rb", x.rAdd, 1);
    field("gb", x.gAdd, 1);
    field("bb", x.bAdd, 1);
    field("ab", x.aAdd, 1);
    return {};
}

Value getTransform(Machine& m, Value self, std::span<Value>) {
    DisplayObject* d = targetOf(m, self);
    if (!d) return {};
    const ColorTransform& x = d->colorTransform;
    Object* o = m.newObject(m.objectProto());
    m.setOwn(o, "ra", Value(x.rMul / 2.56));
    m.setOwn(o, "rb", Value(x.rAdd));
    m.setOwn(o, "ga", Value(x.gMul / 2.56));
    m.setOwn(o, "gb", Value(x.gAdd));
    m.setOwn(o, "ba", Value(x.bMul / 2.56));
    m.setOwn(o, "bb", Value(x.bAdd));
    m.setOwn(o, "aa", Value(x.aMul / 2.56));
    m.setOwn(o, "ab", Value(x.aAdd));
    return Value(o);
}

} // namespace

void installColor(Machine& m, Object* g) {
    Object* cp = m.newObject();
    addClass(m, g, "Color", colorInit, nullptr, cp);
    addMethod(m, cp, "setRGB", setRGB);
    addMethod(m, cp, "getRGB", getRGB);
    addMethod(m, cp, "setTransform", setTransform);
    addMethod(m, cp, "getTransform", getTransform);
}

} // namespace swf::avm1
