// Button tags: DefineButton, DefineButton2, DefineButtonCxform, DefineButtonSound.
#pragma once

#include "swf/format/types.h"
#include "swf/writer/sound.h"
#include "swf/writer/tag.h"

#include <array>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace swf::writer {

namespace buttonstate {
inline constexpr uint8_t Up = 0x01, Over = 0x02, Down = 0x04, HitTest = 0x08;
}

// Transition masks of BUTTONCONDACTION as a little-endian UI16.
namespace buttoncond {
inline constexpr uint16_t IdleToOverUp = 0x0001, OverUpToIdle = 0x0002, OverUpToOverDown = 0x0004,
                          OverDownToOverUp = 0x0008, OverDownToOutDown = 0x0010,
                          OutDownToOverDown = 0x0020, OutDownToIdle = 0x0040,
                          IdleToOverDown = 0x0080, OverDownToIdle = 0x0100;
constexpr uint16_t keyPress(uint8_t key) {
    return static_cast<uint16_t>((key & 0x7F) << 9);
}
} // namespace buttoncond

struct ButtonRecord {
    uint8_t states = buttonstate::Up; // buttonstate bits
    uint16_t character = 0;
    uint16_t depth = 1;
    Matrix matrix;
    ColorTransform colorTransform;               // DefineButton2 only
    std::optional<std::vector<uint8_t>> filters; // FILTERLIST; DefineButton2 only
    std::optional<uint8_t> blendMode;            // DefineButton2 only
};

struct ButtonCondAction {
    uint16_t conditions = buttoncond::OverDownToOverUp;
    std::vector<uint8_t> actions; // ended with 0x00 by the caller (ActionBuilder::bytes)
};

Tag defineButton(uint16_t id, const std::vector<ButtonRecord>& records,
                 std::span<const uint8_t> actions);
Tag defineButton2(uint16_t id, const std::vector<ButtonRecord>& records,
                  const std::vector<ButtonCondAction>& actions, bool trackAsMenu = false);
// One CXFORM per record of a DefineButton.
Tag defineButtonCxform(uint16_t id, const std::vector<ColorTransform>& cxforms);
// Sounds for OverUpToIdle, IdleToOverUp, OverUpToOverDown, OverDownToOverUp; id 0 = none.
Tag defineButtonSound(uint16_t id, const std::array<std::pair<uint16_t, SoundInfo>, 4>& sounds);

} // namespace swf::writer
