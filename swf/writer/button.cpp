#include "swf/writer/button.h"

#include "swf/writer/buffer.h"

#include <stdexcept>

namespace swf::writer {

namespace {

void records(Buffer& b, const std::vector<ButtonRecord>& list, bool second) {
    for (const ButtonRecord& r : list) {
        if (r.states == 0 || r.states > 0x0F)
            throw std::invalid_argument("a button record needs state bits 0x01-0x0F");
        bool blend = second && r.blendMode.has_value();
        bool filters = second && r.filters.has_value();
        b.ub(0, 2).flag(blend).flag(filters).ub(r.states, 4);
        b.u16(r.character).u16(r.depth).matrix(r.matrix);
        if (!second) continue;
        b.cxformAlpha(r.colorTransform);
        if (filters) b.bytes(*r.filters);
        if (blend) b.u8(*r.blendMode);
    }
    b.u8(0);
}

} // namespace

Tag defineButton(uint16_t id, const std::vector<ButtonRecord>& list,
                 std::span<const uint8_t> actions) {
    Buffer b;
    b.u16(id);
    records(b, list, false);
    b.bytes(actions);
    return {tagcode::DefineButton, b.take()};
}

Tag defineButton2(uint16_t id, const std::vector<ButtonRecord>& list,
                  const std::vector<ButtonCondAction>& actions, bool trackAsMenu) {
    Buffer b;
    b.u16(id).u8(trackAsMenu ? 1 : 0);
    size_t offsetAt = b.size();
    b.u16(0);
    records(b, list, true);
    if (!actions.empty()) b.patchU16(offsetAt, static_cast<uint16_t>(b.size() - offsetAt));
    for (size_t i = 0; i < actions.size(); ++i) {
        bool last = i + 1 == actions.size();
        size_t size = 4 + actions[i].actions.size();
        if (size > 0xFFFF) throw std::invalid_argument("button actions too long");
        b.u16(last ? 0 : static_cast<uint16_t>(size)).u16(actions[i].conditions);
        b.bytes(actions[i].actions);
    }
    return {tagcode::DefineButton2, b.take()};
}

Tag defineButtonCxform(uint16_t id, const std::vector<ColorTransform>& cxforms) {
    Buffer b;
    b.u16(id);
    for (const ColorTransform& c : cxforms)
        b.cxform(c);
    return {tagcode::DefineButtonCxform, b.take()};
}

Tag defineButtonSound(uint16_t id, const std::array<std::pair<uint16_t, SoundInfo>, 4>& sounds) {
    Buffer b;
    b.u16(id);
    for (const auto& [sound, info] : sounds) {
        b.u16(sound);
        if (sound != 0) b.bytes(soundInfo(info));
    }
    return {tagcode::DefineButtonSound, b.take()};
}

} // namespace swf::writer
