// Reaches the mixer lines that have no public property yet, by line index in table order:
// speakers, microphone, line in, compact disc, synthesizer, wave out.
#pragma once

#include "mixer/cvolume.h"

struct cVolumeTestAccess {
    static constexpr int kLineCount = cVolume::kLineCount;

    static int32_t level(cVolume& v, int line) {
        return v.getControlValue(v.control(cVolume::Kind::Volume, cVolume::Line(line)));
    }
    static void setLevel(cVolume& v, int line, int32_t value) {
        v.setControlValue(v.control(cVolume::Kind::Volume, cVolume::Line(line)), value);
    }
    static long levelMax(cVolume& v, int line) {
        return v.control(cVolume::Kind::Volume, cVolume::Line(line)).max;
    }
    static bool mute(cVolume& v, int line) {
        return v.getControlValue(v.control(cVolume::Kind::Mute, cVolume::Line(line))) == 1;
    }
    static void setMute(cVolume& v, int line, bool on) {
        v.setControlValue(v.control(cVolume::Kind::Mute, cVolume::Line(line)), on ? 1 : 0);
    }
};
