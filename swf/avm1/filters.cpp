// The flash.filters package: DisplacementMapFilter, its settings kept behind
// accessors the way the player keeps them (whole numbers, fixed modes).
#include "swf/avm1/bitmap_data.h"
#include "swf/avm1/geom.h"

#include <climits>
#include <cmath>
#include <optional>

namespace swf::avm1 {

namespace {

struct DisplacementData : HostData {
    Value mapBitmap; // a BitmapData object or undefined; kept alive through the object's refs
    int32_t pointX = 0, pointY = 0;
    int32_t componentX = 0, componentY = 0;
    double scaleX = 0, scaleY = 0;
    std::string mode = "wrap";
    uint32_t color = 0;
    double alpha = 0;
};

DisplacementData* displacement(const Value& self) {
    return self.isObject() ? dynamic_cast<DisplacementData*>(self.o->host.get()) : nullptr;
}

// A whole number as the player stores one: out of range and NaN become INT_MIN.
int32_t whole(double d) {
    if (!std::isfinite(d) || d >= 2147483648.0 || d < -2147483648.0) return INT_MIN;
    return static_cast<int32_t>(std::trunc(d));
}

void setMapBitmap(Object* self, DisplacementData& d, const Value& v) {
    d.mapBitmap = bitmapPixelsOf(v) ? v : Value();
    self->refs.clear();
    if (d.mapBitmap.isObject()) self->refs.push_back(d.mapBitmap.o);
}

// Both coordinates are read even when one fails to convert; the first error is
// thrown once the point is stored. A point missing either coordinate is the origin.
void setMapPoint(Machine& m, DisplacementData& d, const Value& v) {
    Value x = v.isObject() ? m.get(v, "x") : Value();
    Value y = v.isObject() ? m.get(v, "y") : Value();
    std::optional<ScriptThrow> error;
    auto convert = [&](const Value& c) {
        try {
            return whole(m.toNumber(c));
        } catch (ScriptThrow& t) {
            if (!error) error = std::move(t);
            return INT_MIN;
        }
    };
    int32_t px = convert(x), py = convert(y);
    if (x.isUndefined() || y.isUndefined()) px = py = 0;
    d.pointX = px;
    d.pointY = py;
    if (error) throw *error;
}

std::string modeOf(Machine& m, const Value& v) {
    std::string s = m.toString(v);
    for (const char* known : {"wrap", "clamp", "ignore", "color"})
        if (s == known) return s;
    return "wrap";
}

Value displacementInit(Machine& m, Value self, std::span<Value> a) {
    if (!self.isObject()) return {};
    auto d = std::make_unique<DisplacementData>();
    DisplacementData& r = *d;
    self.o->host = std::move(d);
    setMapBitmap(self.o, r, arg(a, 0));
    if (a.size() > 1) setMapPoint(m, r, a[1]);
    if (a.size() > 2) r.componentX = m.toInt(a[2]);
    if (a.size() > 3) r.componentY = m.toInt(a[3]);
    if (a.size() > 4) r.scaleX = m.toNumber(a[4]);
    if (a.size() > 5) r.scaleY = m.toNumber(a[5]);
    if (a.size() > 6) r.mode = modeOf(m, a[6]);
    if (a.size() > 7) r.color = toUint32(m.toNumber(a[7])) & 0xffffff;
    if (a.size() > 8) r.alpha = std::clamp(m.toNumber(a[8]), 0.0, 1.0);
    return {};
}

using Getter = Value (*)(Machine&, DisplacementData&);
using Setter = void (*)(Machine&, Object*, DisplacementData&, const Value&);

template <Getter G>
Value getField(Machine& m, Value self, std::span<Value>) {
    DisplacementData* d = displacement(self);
    return d ? G(m, *d) : Value();
}

template <Setter S>
Value setField(Machine& m, Value self, std::span<Value> a) {
    if (DisplacementData* d = displacement(self)) S(m, self.o, *d, arg(a, 0));
    return {};
}

Value getMapBitmap(Machine&, DisplacementData& d) { return d.mapBitmap; }
void putMapBitmap(Machine&, Object* o, DisplacementData& d, const Value& v) { setMapBitmap(o, d, v); }
Value getMapPoint(Machine& m, DisplacementData& d) {
    Object* ctor = geomClass(m, "Point");
    std::vector<Value> args{Value(d.pointX), Value(d.pointY)};
    return ctor ? m.construct(Value(ctor), args) : Value();
}
void putMapPoint(Machine& m, Object*, DisplacementData& d, const Value& v) { setMapPoint(m, d, v); }
Value getComponentX(Machine&, DisplacementData& d) { return Value(d.componentX); }
void putComponentX(Machine& m, Object*, DisplacementData& d, const Value& v) { d.componentX = m.toInt(v); }
Value getComponentY(Machine&, DisplacementData& d) { return Value(d.componentY); }
void putComponentY(Machine& m, Object*, DisplacementData& d, const Value& v) { d.componentY = m.toInt(v); }
Value getScaleX(Machine&, DisplacementData& d) { return Value(d.scaleX); }
void putScaleX(Machine& m, Object*, DisplacementData& d, const Value& v) { d.scaleX = m.toNumber(v); }
Value getScaleY(Machine&, DisplacementData& d) { return Value(d.scaleY); }
void putScaleY(Machine& m, Object*, DisplacementData& d, const Value& v) { d.scaleY = m.toNumber(v); }
Value getMode(Machine&, DisplacementData& d) { return Value(d.mode); }
void putMode(Machine& m, Object*, DisplacementData& d, const Value& v) { d.mode = modeOf(m, v); }
Value getColor(Machine&, DisplacementData& d) { return Value(static_cast<double>(d.color)); }
void putColor(Machine& m, Object*, DisplacementData& d, const Value& v) { d.color = toUint32(m.toNumber(v)) & 0xffffff; }
Value getAlpha(Machine&, DisplacementData& d) { return Value(d.alpha); }
void putAlpha(Machine& m, Object*, DisplacementData& d, const Value& v) { d.alpha = std::clamp(m.toNumber(v), 0.0, 1.0); }

} // namespace

void installFilters(Machine& m, Object*) {
    Object* pkg = package(m, "filters");
    Object* bfp = m.newObject();
    addClass(m, pkg, "BitmapFilter", [](Machine&, Value, std::span<Value>) -> Value { return {}; }, nullptr, bfp);

    Object* dp = m.newObject(bfp);
    addClass(m, pkg, "DisplacementMapFilter", displacementInit, nullptr, dp);
    addAccessor(m, dp, "mapBitmap", getField<getMapBitmap>, setField<putMapBitmap>);
    addAccessor(m, dp, "mapPoint", getField<getMapPoint>, setField<putMapPoint>);
    addAccessor(m, dp, "componentX", getField<getComponentX>, setField<putComponentX>);
    addAccessor(m, dp, "componentY", getField<getComponentY>, setField<putComponentY>);
    addAccessor(m, dp, "scaleX", getField<getScaleX>, setField<putScaleX>);
    addAccessor(m, dp, "scaleY", getField<getScaleY>, setField<putScaleY>);
    addAccessor(m, dp, "mode", getField<getMode>, setField<putMode>);
    addAccessor(m, dp, "color", getField<getColor>, setField<putColor>);
    addAccessor(m, dp, "alpha", getField<getAlpha>, setField<putAlpha>);
    addMethod(m, dp, "clone", [](Machine& m, Value self, std::span<Value>) -> Value {
        DisplacementData* d = displacement(self);
        if (!d) return {};
        std::vector<Value> args{d->mapBitmap, getMapPoint(m, *d), Value(d->componentX), Value(d->componentY),
                                Value(d->scaleX), Value(d->scaleY), Value(d->mode), Value(static_cast<double>(d->color)),
                                Value(d->alpha)};
        Value ctor = m.get(Value(package(m, "filters")), "DisplacementMapFilter");
        return m.construct(ctor, args);
    });
}

} // namespace swf::avm1
