// Display list and control tags: placement, removal, frames, labels, actions and the
// small file-level tags; plus the filter records PlaceObject3 and buttons carry.
#pragma once

#include "swf/format/types.h"
#include "swf/writer/actions.h"
#include "swf/writer/tag.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace swf::writer {

// Clip event masks as a little-endian UI32 (the 16-bit form keeps the low half).
namespace clipevent {
inline constexpr uint32_t Load = 0x1, EnterFrame = 0x2, Unload = 0x4, MouseMove = 0x8,
                          MouseDown = 0x10, MouseUp = 0x20, KeyDown = 0x40, KeyUp = 0x80,
                          Data = 0x100, Initialize = 0x200, Press = 0x400, Release = 0x800,
                          ReleaseOutside = 0x1000, RollOver = 0x2000, RollOut = 0x4000,
                          DragOver = 0x8000, DragOut = 0x10000, KeyPress = 0x20000,
                          Construct = 0x40000;
}

struct ClipActionRecord {
    uint32_t events = 0;
    uint8_t keyCode = 0; // written when events has KeyPress
    std::vector<uint8_t> actions;
};

struct ClipActions {
    std::vector<ClipActionRecord> records;
    bool wideFlags = true; // 32-bit event flags and end marker (SWF 6+); 16-bit otherwise
};

// PlaceObject2/3 fields; each optional field is written (and flagged) when set.
struct Placement {
    uint16_t depth = 1;
    std::optional<uint16_t> character;
    bool move = false; // modify (no character) or replace (with character)
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<uint16_t> clipDepth;
    std::optional<ClipActions> clipActions;
    // PlaceObject3 only.
    std::optional<std::string> className;
    bool hasImage = false;
    std::optional<std::vector<uint8_t>> filters; // a FILTERLIST, see filterList()
    std::optional<uint8_t> blendMode;
    std::optional<uint8_t> cacheAsBitmap;
    std::optional<uint8_t> visible;
    std::optional<Rgba> backgroundColor;
};

Tag placeObject(uint16_t character, uint16_t depth, const Matrix& matrix,
                std::optional<ColorTransform> cxform = {});
// Throws std::invalid_argument if a PlaceObject3-only field is set.
Tag placeObject2(const Placement& p);
Tag placeObject3(const Placement& p);
Tag removeObject(uint16_t character, uint16_t depth);
Tag removeObject2(uint16_t depth);
Tag showFrame();
Tag end();
Tag frameLabel(std::string_view name, bool anchor = false);
Tag setBackgroundColor(Rgba c);
Tag doAction(std::span<const uint8_t> actions);
Tag doAction(const ActionBuilder& actions);
Tag doInitAction(uint16_t spriteId, std::span<const uint8_t> actions);

namespace fileattr {
inline constexpr uint32_t UseNetwork = 0x01, ActionScript3 = 0x08, HasMetadata = 0x10,
                          UseGpu = 0x20, UseDirectBlit = 0x40;
}
Tag fileAttributes(uint32_t flags);
Tag metadata(std::string_view xml);
Tag protect();
Tag scriptLimits(uint16_t maxRecursion, uint16_t timeoutSeconds);
Tag setTabIndex(uint16_t depth, uint16_t index);
Tag exportAssets(const std::vector<std::pair<uint16_t, std::string>>& assets);
Tag importAssets(std::string_view url, const std::vector<std::pair<uint16_t, std::string>>& assets);
// Scenes and labels: 0-based frame and name.
Tag sceneAndFrameLabelData(const std::vector<std::pair<uint32_t, std::string>>& scenes,
                           const std::vector<std::pair<uint32_t, std::string>>& labels);
Tag defineScalingGrid(uint16_t character, const Rect& splitter);
Tag defineBinaryData(uint16_t id, std::span<const uint8_t> data);

// Filter records (each starts with its filter id) and the FILTERLIST holding them.
std::vector<uint8_t> filterList(const std::vector<std::vector<uint8_t>>& filters);
std::vector<uint8_t> blurFilter(double blurX, double blurY, int passes = 1);
std::vector<uint8_t> dropShadowFilter(Rgba color, double blurX, double blurY, double angle,
                                      double distance, double strength, int passes = 1,
                                      bool inner = false, bool knockout = false, bool hideObject = false);
std::vector<uint8_t> glowFilter(Rgba color, double blurX, double blurY, double strength,
                                int passes = 1, bool inner = false, bool knockout = false);
std::vector<uint8_t> colorMatrixFilter(const float (&matrix)[20]);
// Bevels: the highlight comes first, as files store it. Neither inner nor onTop is outer.
struct BevelFilter {
    Rgba highlight{255, 255, 255, 255}, shadow{0, 0, 0, 255};
    double blurX = 4, blurY = 4, angle = 0.785398, distance = 4, strength = 1;
    int passes = 1;
    bool inner = true, knockout = false, onTop = false;
};
std::vector<uint8_t> bevelFilter(const BevelFilter& f);
// Gradient glow (bevel false) and gradient bevel: stops of ratio and colour; the
// other settings as for bevels (the colours there are unused).
std::vector<uint8_t> gradientFilter(const std::vector<std::pair<uint8_t, Rgba>>& stops, const BevelFilter& f,
                                    bool bevel);
std::vector<uint8_t> convolutionFilter(int matrixX, int matrixY, const std::vector<float>& matrix,
                                       float divisor, float bias, Rgba defaultColor, bool clamp,
                                       bool preserveAlpha);

} // namespace swf::writer
