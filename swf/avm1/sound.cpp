// The Sound class. A Sound object made without a target sets the levels of the
// whole movie; one made with a clip (or a path to one) sets that clip's levels,
// finding the clip by its path each time, so a clip removed and made again under
// the same path is found again and a removed one answers undefined. The levels
// are only kept for scripts to read back: nothing here reaches the desktop's
// mixer or makes a sound.
#include "swf/avm1/geom.h"

#include <cmath>
#include <limits>

namespace swf::avm1 {

namespace {

struct SoundData : HostData {
    bool global = true;
    std::string path;         // the target clip's path
    std::weak_ptr<Clip> base; // the timeline a relative path starts from
    const SoundDef* sound = nullptr; // attached with attachSound
};

SoundData* soundData(const Value& self) {
    return self.isObject() ? dynamic_cast<SoundData*>(self.o->host.get()) : nullptr;
}

// The levels a Sound object controls; null when its clip is not on the display list.
SoundLevels* levelsOf(Machine& m, const Value& self) {
    SoundData* d = soundData(self);
    if (!d) return nullptr;
    if (d->global) return &m.player().globalSoundLevels();
    Clip* base = d->base.lock().get();
    if (!base) base = m.rootClip();
    Clip* c = m.resolvePath(base, d->path);
    return c && !c->removed ? &c->soundLevels : nullptr;
}

// Volume and pan take whole numbers the way the reference player converts them:
// cut towards zero, with NaN and anything outside 32 bits giving the lowest value.
int32_t level(Machine& m, std::span<Value> a) {
    if (a.empty()) return 0;
    double v = std::trunc(m.toNumber(a[0]));
    if (!(v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

int32_t wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }

Value soundInit(Machine& m, Value self, std::span<Value> a) {
    if (!self.isObject()) return {};
    auto d = std::make_unique<SoundData>();
    if (!a.empty()) {
        d->global = false;
        if (Clip* c = m.clipOf(a[0])) d->path = m.targetPath(*c, false);
        else if (!a[0].isNullish()) d->path = m.toString(a[0]);
        if (!m.active.empty()) {
            Activation& act = *m.active.back();
            d->base = act.target.expired() ? act.original : act.target;
        }
    }
    self.o->host = std::move(d);
    return {};
}

Value getVolume(Machine& m, Value self, std::span<Value>) {
    SoundLevels* l = levelsOf(m, self);
    return l ? Value(l->volume) : Value();
}

Value setVolume(Machine& m, Value self, std::span<Value> a) {
    if (SoundLevels* l = levelsOf(m, self)) l->volume = level(m, a);
    return {};
}

// The pan as the reference player derives it from the channel levels: the
// left channel's distance from full when it is not at full, else the right's.
Value getPan(Machine& m, Value self, std::span<Value>) {
    SoundLevels* l = levelsOf(m, self);
    if (!l) return {};
    int64_t ll = l->ll, rr = l->rr;
    return Value(l->ll != 100 ? wrap(100 - std::llabs(ll)) : wrap(std::llabs(rr) - 100));
}

// A positive pan turns the left channel down, a negative one the right.
Value setPan(Machine& m, Value self, std::span<Value> a) {
    SoundLevels* l = levelsOf(m, self);
    if (!l) return {};
    int64_t p = level(m, a);
    if (p >= 0) {
        l->ll = wrap(100 - p);
        l->rr = 100;
    } else {
        l->ll = 100;
        l->rr = wrap(100 + p);
    }
    return {};
}

const char* const kChannels[] = {"ll", "lr", "rr", "rl"};

int32_t* channel(SoundLevels& l, int i) {
    int32_t* fields[] = {&l.ll, &l.lr, &l.rr, &l.rl};
    return fields[i];
}

Value getTransform(Machine& m, Value self, std::span<Value>) {
    SoundLevels* l = levelsOf(m, self);
    if (!l) return {};
    Object* o = m.newObject(m.objectProto());
    for (int i = 0; i < 4; ++i) m.setOwn(o, kChannels[i], Value(*channel(*l, i)));
    return Value(o);
}

// Only the channels the object holds itself change.
Value setTransform(Machine& m, Value self, std::span<Value> a) {
    SoundLevels* l = levelsOf(m, self);
    Value t = arg(a, 0);
    if (!l || !t.isObject()) return {};
    for (int i = 0; i < 4; ++i)
        if (m.hasOwn(t.o, kChannels[i])) *channel(*l, i) = toInt32(m.toNumber(m.get(t, kChannels[i])));
    return {};
}

Value attachSound(Machine& m, Value self, std::span<Value> a) {
    SoundData* d = soundData(self);
    if (!d || a.empty()) return {};
    auto& ex = m.player().movie().exports;
    auto it = ex.find(asciiLower(m.toString(a[0])));
    if (it == ex.end()) return {};
    if (const SoundDef* s = m.player().movie().get<SoundDef>(it->second)) d->sound = s;
    return {};
}

// Milliseconds of the attached sound; undefined without one.
Value getDuration(Machine&, Value self, std::span<Value>) {
    SoundData* d = soundData(self);
    if (!d || !d->sound || d->sound->format.rate == 0) return {};
    return Value(std::round(d->sound->sampleCount * 1000.0 / d->sound->format.rate));
}

// Nothing plays from a script, so an attached sound stays at its start.
Value getPosition(Machine&, Value self, std::span<Value>) {
    SoundData* d = soundData(self);
    return d && d->sound ? Value(0) : Value();
}


} // namespace

void installSound(Machine& m, Object* g) {
    Object* sp = m.newObject();
    addClass(m, g, "Sound", soundInit, nullptr, sp);
    addMethod(m, sp, "getVolume", getVolume);
    addMethod(m, sp, "setVolume", setVolume);
    addMethod(m, sp, "getPan", getPan);
    addMethod(m, sp, "setPan", setPan);
    addMethod(m, sp, "getTransform", getTransform);
    addMethod(m, sp, "setTransform", setTransform);
    addMethod(m, sp, "attachSound", attachSound);
    addMethod(m, sp, "getDuration", getDuration);
    addMethod(m, sp, "getPosition", getPosition);
    for (const char* n : {"start", "stop", "loadSound"}) addMethod(m, sp, n, nothing);
    addAccessor(m, sp, "duration", getDuration, nullptr);
    addAccessor(m, sp, "position", getPosition, nullptr);
}

} // namespace swf::avm1
