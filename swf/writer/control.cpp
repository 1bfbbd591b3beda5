#include "swf/writer/control.h"

#include "swf/writer/buffer.h"

#include <stdexcept>

namespace swf::writer {

namespace {

void clipActions(Buffer& b, const ClipActions& c) {
    uint32_t all = 0;
    for (const ClipActionRecord& r : c.records)
        all |= r.events;
    auto flags = [&](uint32_t v) {
        if (c.wideFlags) {
            b.u32(v);
        } else {
            if (v > 0xFFFF) throw std::invalid_argument("event needs 32-bit clip event flags");
            b.u16(static_cast<uint16_t>(v));
        }
    };
    b.u16(0);
    flags(all);
    for (const ClipActionRecord& r : c.records) {
        bool key = (r.events & clipevent::KeyPress) != 0;
        flags(r.events);
        b.u32(static_cast<uint32_t>(r.actions.size() + (key ? 1 : 0)));
        if (key) b.u8(r.keyCode);
        b.bytes(r.actions);
    }
    flags(0);
}

void placementFields(Buffer& b, const Placement& p) {
    if (p.character) b.u16(*p.character);
    if (p.matrix) b.matrix(*p.matrix);
    if (p.colorTransform) b.cxformAlpha(*p.colorTransform);
    if (p.ratio) b.u16(*p.ratio);
    if (p.name) b.string(*p.name);
    if (p.clipDepth) b.u16(*p.clipDepth);
}

void firstFlagByte(Buffer& b, const Placement& p) {
    b.flag(p.clipActions.has_value())
        .flag(p.clipDepth.has_value())
        .flag(p.name.has_value())
        .flag(p.ratio.has_value())
        .flag(p.colorTransform.has_value())
        .flag(p.matrix.has_value())
        .flag(p.character.has_value())
        .flag(p.move);
}

std::vector<uint8_t> assetList(const std::vector<std::pair<uint16_t, std::string>>& assets) {
    Buffer b;
    b.u16(static_cast<uint16_t>(assets.size()));
    for (const auto& [id, name] : assets)
        b.u16(id).string(name);
    return b.take();
}

void filterFlags(Buffer& b, bool inner, bool knockout, int passes, bool composite = true) {
    b.flag(inner).flag(knockout).flag(composite).ub(static_cast<uint32_t>(passes), 5);
}

void bevelTail(Buffer& b, const BevelFilter& f) {
    b.fixed16(f.blurX).fixed16(f.blurY).fixed16(f.angle).fixed16(f.distance).fixed8(f.strength);
    b.flag(f.inner).flag(f.knockout).flag(true).flag(f.onTop).ub(static_cast<uint32_t>(f.passes), 4);
}

} // namespace

Tag placeObject(uint16_t character, uint16_t depth, const Matrix& matrix,
                std::optional<ColorTransform> cxform) {
    Buffer b;
    b.u16(character).u16(depth).matrix(matrix);
    if (cxform) b.cxform(*cxform);
    return {tagcode::PlaceObject, b.take()};
}

Tag placeObject2(const Placement& p) {
    if (p.className || p.hasImage || p.filters || p.blendMode || p.cacheAsBitmap || p.visible ||
        p.backgroundColor)
        throw std::invalid_argument("PlaceObject3 field in a PlaceObject2");
    Buffer b;
    firstFlagByte(b, p);
    b.u16(p.depth);
    placementFields(b, p);
    if (p.clipActions) clipActions(b, *p.clipActions);
    return {tagcode::PlaceObject2, b.take()};
}

Tag placeObject3(const Placement& p) {
    Buffer b;
    firstFlagByte(b, p);
    b.ub(0, 1)
        .flag(p.backgroundColor.has_value())
        .flag(p.visible.has_value())
        .flag(p.hasImage)
        .flag(p.className.has_value())
        .flag(p.cacheAsBitmap.has_value())
        .flag(p.blendMode.has_value())
        .flag(p.filters.has_value());
    b.u16(p.depth);
    if (p.className) b.string(*p.className);
    placementFields(b, p);
    if (p.filters) b.bytes(*p.filters);
    if (p.blendMode) b.u8(*p.blendMode);
    if (p.cacheAsBitmap) b.u8(*p.cacheAsBitmap);
    if (p.visible) b.u8(*p.visible);
    if (p.backgroundColor) b.rgba(*p.backgroundColor);
    if (p.clipActions) clipActions(b, *p.clipActions);
    return {tagcode::PlaceObject3, b.take()};
}

Tag removeObject(uint16_t character, uint16_t depth) {
    return {tagcode::RemoveObject, Buffer().u16(character).u16(depth).take()};
}

Tag removeObject2(uint16_t depth) {
    return {tagcode::RemoveObject2, Buffer().u16(depth).take()};
}

Tag showFrame() {
    return {tagcode::ShowFrame, {}};
}

Tag end() {
    return {tagcode::End, {}};
}

Tag frameLabel(std::string_view name, bool anchor) {
    Buffer b;
    b.string(name);
    if (anchor) b.u8(1);
    return {tagcode::FrameLabel, b.take()};
}

Tag setBackgroundColor(Rgba c) {
    return {tagcode::SetBackgroundColor, Buffer().rgb(c).take()};
}

Tag doAction(std::span<const uint8_t> actions) {
    return {tagcode::DoAction, {actions.begin(), actions.end()}};
}

Tag doAction(const ActionBuilder& actions) {
    return doAction(actions.bytes());
}

Tag doInitAction(uint16_t spriteId, std::span<const uint8_t> actions) {
    return {tagcode::DoInitAction, Buffer().u16(spriteId).bytes(actions).take()};
}

Tag fileAttributes(uint32_t flags) {
    return {tagcode::FileAttributes, Buffer().u32(flags).take()};
}

Tag metadata(std::string_view xml) {
    return {tagcode::Metadata, Buffer().string(xml).take()};
}

Tag protect() {
    return {tagcode::Protect, {}};
}

Tag scriptLimits(uint16_t maxRecursion, uint16_t timeoutSeconds) {
    return {tagcode::ScriptLimits, Buffer().u16(maxRecursion).u16(timeoutSeconds).take()};
}

Tag setTabIndex(uint16_t depth, uint16_t index) {
    return {tagcode::SetTabIndex, Buffer().u16(depth).u16(index).take()};
}

Tag exportAssets(const std::vector<std::pair<uint16_t, std::string>>& assets) {
    return {tagcode::ExportAssets, assetList(assets)};
}

Tag importAssets(std::string_view url,
                 const std::vector<std::pair<uint16_t, std::string>>& assets) {
    return {tagcode::ImportAssets, Buffer().string(url).bytes(assetList(assets)).take()};
}

Tag sceneAndFrameLabelData(const std::vector<std::pair<uint32_t, std::string>>& scenes,
                           const std::vector<std::pair<uint32_t, std::string>>& labels) {
    Buffer b;
    for (const auto* list : {&scenes, &labels}) {
        b.encodedU32(static_cast<uint32_t>(list->size()));
        for (const auto& [frame, name] : *list)
            b.encodedU32(frame).string(name);
    }
    return {tagcode::DefineSceneAndFrameLabelData, b.take()};
}

Tag defineScalingGrid(uint16_t character, const Rect& splitter) {
    return {tagcode::DefineScalingGrid, Buffer().u16(character).rect(splitter).take()};
}

Tag defineBinaryData(uint16_t id, std::span<const uint8_t> data) {
    return {tagcode::DefineBinaryData, Buffer().u16(id).u32(0).bytes(data).take(), true};
}

std::vector<uint8_t> filterList(const std::vector<std::vector<uint8_t>>& filters) {
    Buffer b;
    b.u8(static_cast<uint8_t>(filters.size()));
    for (const auto& f : filters)
        b.bytes(f);
    return b.take();
}

std::vector<uint8_t> blurFilter(double blurX, double blurY, int passes) {
    Buffer b;
    b.u8(1).fixed16(blurX).fixed16(blurY).ub(static_cast<uint32_t>(passes), 5).ub(0, 3);
    return b.take();
}

std::vector<uint8_t> dropShadowFilter(Rgba color, double blurX, double blurY, double angle,
                                      double distance, double strength, int passes, bool inner,
                                      bool knockout, bool hideObject) {
    Buffer b;
    b.u8(0).rgba(color).fixed16(blurX).fixed16(blurY).fixed16(angle).fixed16(distance);
    b.fixed8(strength);
    filterFlags(b, inner, knockout, passes, !hideObject);
    return b.take();
}

std::vector<uint8_t> glowFilter(Rgba color, double blurX, double blurY, double strength, int passes,
                                bool inner, bool knockout) {
    Buffer b;
    b.u8(2).rgba(color).fixed16(blurX).fixed16(blurY).fixed8(strength);
    filterFlags(b, inner, knockout, passes);
    return b.take();
}

std::vector<uint8_t> colorMatrixFilter(const float (&matrix)[20]) {
    Buffer b;
    b.u8(6);
    for (float v : matrix)
        b.f32(v);
    return b.take();
}

std::vector<uint8_t> bevelFilter(const BevelFilter& f) {
    Buffer b;
    b.u8(3).rgba(f.highlight).rgba(f.shadow);
    bevelTail(b, f);
    return b.take();
}

std::vector<uint8_t> gradientFilter(const std::vector<std::pair<uint8_t, Rgba>>& stops, const BevelFilter& f,
                                    bool bevel) {
    Buffer b;
    b.u8(bevel ? 7 : 4).u8(static_cast<uint8_t>(stops.size()));
    for (const auto& s : stops) b.rgba(s.second);
    for (const auto& s : stops) b.u8(s.first);
    bevelTail(b, f);
    return b.take();
}

std::vector<uint8_t> convolutionFilter(int matrixX, int matrixY, const std::vector<float>& matrix,
                                       float divisor, float bias, Rgba defaultColor, bool clamp,
                                       bool preserveAlpha) {
    Buffer b;
    b.u8(5).u8(static_cast<uint8_t>(matrixX)).u8(static_cast<uint8_t>(matrixY)).f32(divisor).f32(bias);
    for (float v : matrix) b.f32(v);
    b.rgba(defaultColor).ub(0, 6).flag(clamp).flag(preserveAlpha);
    return b.take();
}

} // namespace swf::writer
