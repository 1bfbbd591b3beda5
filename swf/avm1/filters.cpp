// The flash.filters package: DisplacementMapFilter and ConvolutionFilter, their
// settings kept behind accessors the way the player keeps them (whole numbers,
// fixed modes, clamped ranges).
#include "swf/avm1/bitmap_data.h"
#include "swf/avm1/geom.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <utility>

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

// ---------------------------------------------------------------- ConvolutionFilter

// The settings in the order of the constructor's arguments (and of the native table).
enum ConvolutionField { MatrixX, MatrixY, MatrixValues, Divisor, Bias, PreserveAlpha, Clamp, Color, Alpha, kConvolutionFields };
const char* const kConvolutionNames[] = {"matrixX", "matrixY", "matrix", "divisor", "bias",
                                         "preserveAlpha", "clamp", "color", "alpha"};

struct ConvolutionData : HostData {
    double matrixX = 0, matrixY = 0;
    std::vector<double> matrix;
    double divisor = 1, bias = 0;
    bool preserveAlpha = true, clamp = true;
    uint32_t color = 0;
    double alpha = 0;
};

ConvolutionData* convolution(const Value& self) {
    return self.isObject() ? dynamic_cast<ConvolutionData*>(self.o->host.get()) : nullptr;
}

// A matrix keeps at most 15 x 15 entries.
constexpr double kMaxMatrixSide = 15;

void setConvolution(Machine& m, ConvolutionData& d, int field, const Value& v) {
    switch (field) {
    case MatrixX: d.matrixX = std::clamp(std::trunc(std::isnan(m.toNumber(v)) ? 0 : m.toNumber(v)), 0.0, kMaxMatrixSide); break;
    case MatrixY: d.matrixY = std::clamp(std::trunc(std::isnan(m.toNumber(v)) ? 0 : m.toNumber(v)), 0.0, kMaxMatrixSide); break;
    case MatrixValues: {
        d.matrix.clear();
        if (v.isObject() && v.o->kind == Kind::Array) {
            std::vector<Value> values = m.elements(v);
            size_t n = std::min<size_t>(values.size(), size_t(kMaxMatrixSide * kMaxMatrixSide));
            for (size_t i = 0; i < n; ++i) d.matrix.push_back(m.toNumber(values[i]));
        }
        break;
    }
    case Divisor: d.divisor = m.toNumber(v); break;
    case Bias: d.bias = m.toNumber(v); break;
    case PreserveAlpha: d.preserveAlpha = m.toBoolean(v); break;
    case Clamp: d.clamp = m.toBoolean(v); break;
    case Color: d.color = toUint32(m.toNumber(v)) & 0xffffff; break;
    case Alpha: {
        double a = m.toNumber(v);
        d.alpha = std::isnan(a) ? 0 : std::clamp(a, 0.0, 1.0);
        break;
    }
    default: break;
    }
}

Value getConvolution(Machine& m, const ConvolutionData& d, int field) {
    switch (field) {
    case MatrixX: return Value(d.matrixX);
    case MatrixY: return Value(d.matrixY);
    case MatrixValues: {
        std::vector<Value> v;
        for (double x : d.matrix) v.push_back(Value(x));
        return Value(m.newArray(std::move(v)));
    }
    case Divisor: return Value(d.divisor);
    case Bias: return Value(d.bias);
    case PreserveAlpha: return Value(d.preserveAlpha);
    case Clamp: return Value(d.clamp);
    case Color: return Value(static_cast<double>(d.color));
    case Alpha: return Value(d.alpha);
    default: return {};
    }
}

template <int F>
Value convolutionGet(Machine& m, Value self, std::span<Value>) {
    ConvolutionData* d = convolution(self);
    return d ? getConvolution(m, *d, F) : Value();
}

template <int F>
Value convolutionSet(Machine& m, Value self, std::span<Value> a) {
    if (ConvolutionData* d = convolution(self)) setConvolution(m, *d, F, arg(a, 0));
    return {};
}

Value convolutionInit(Machine& m, Value self, std::span<Value> a) {
    if (!self.isObject()) return {};
    auto d = std::make_unique<ConvolutionData>();
    for (int f = 0; f < kConvolutionFields && static_cast<size_t>(f) < a.size(); ++f) setConvolution(m, *d, f, a[static_cast<size_t>(f)]);
    self.o->host = std::move(d);
    return {};
}

template <int... F>
void addConvolutionAccessors(Machine& m, Object* proto, std::integer_sequence<int, F...>) {
    (addAccessor(m, proto, kConvolutionNames[F], convolutionGet<F>, convolutionSet<F>), ...);
}

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

    Object* cp = m.newObject(bfp);
    addClass(m, pkg, "ConvolutionFilter", convolutionInit, nullptr, cp);
    addConvolutionAccessors(m, cp, std::make_integer_sequence<int, kConvolutionFields>{});
    addMethod(m, cp, "clone", [](Machine& m, Value self, std::span<Value>) -> Value {
        ConvolutionData* d = convolution(self);
        if (!d) return {};
        std::vector<Value> args;
        for (int f = 0; f < kConvolutionFields; ++f) args.push_back(getConvolution(m, *d, f));
        Value ctor = m.get(Value(package(m, "filters")), "ConvolutionFilter");
        return m.construct(ctor, args);
    });
}

} // namespace swf::avm1
