#include "swf/writer/timeline.h"

#include "swf/writer/buffer.h"
#include "swf/writer/control.h"

#include <algorithm>

namespace swf::writer {

TimelineWriter& TimelineWriter::add(const Tag& tag) {
    appendTag(bytes_, tag);
    if (tag.code == tagcode::ShowFrame) ++frames_;
    return *this;
}

TimelineWriter& TimelineWriter::add(uint16_t code, std::vector<uint8_t> body) {
    return add(Tag{code, std::move(body)});
}

TimelineWriter& TimelineWriter::showFrame(int count) {
    for (int i = 0; i < count; ++i)
        add(writer::showFrame());
    return *this;
}

TimelineWriter& TimelineWriter::place(uint16_t depth, uint16_t character, const Matrix& matrix,
                                      std::optional<ColorTransform> cxform) {
    Placement p;
    p.depth = depth;
    p.character = character;
    p.matrix = matrix;
    p.colorTransform = cxform;
    occupants_[depth] = character;
    return add(placeObject2(p));
}

TimelineWriter& TimelineWriter::move(uint16_t depth, const Matrix& matrix,
                                     std::optional<ColorTransform> cxform) {
    Placement p;
    p.depth = depth;
    p.move = true;
    p.matrix = matrix;
    p.colorTransform = cxform;
    return add(placeObject2(p));
}

TimelineWriter& TimelineWriter::remove(uint16_t depth) {
    occupants_.erase(depth);
    return add(removeObject2(depth));
}

TimelineWriter& TimelineWriter::put(uint16_t depth, uint16_t character, const Matrix& matrix,
                                    std::optional<ColorTransform> cxform,
                                    std::optional<uint16_t> ratio) {
    Placement p;
    p.depth = depth;
    p.matrix = matrix;
    p.colorTransform = cxform;
    p.ratio = ratio;
    auto it = occupants_.find(depth);
    p.move = it != occupants_.end();
    if (!p.move || it->second != character) p.character = character;
    occupants_[depth] = character;
    return add(placeObject2(p));
}

TimelineWriter& TimelineWriter::label(std::string_view name) {
    return add(frameLabel(name));
}

TimelineWriter& TimelineWriter::actions(const ActionBuilder& actions) {
    return add(doAction(actions));
}

Tag defineSprite(uint16_t id, const TimelineWriter& timeline, std::optional<uint16_t> frameCount,
                 bool endTag) {
    Buffer b;
    b.u16(id).u16(
        frameCount.value_or(static_cast<uint16_t>(std::min(timeline.frameCount(), 0xFFFF))));
    b.bytes(timeline.tagBytes());
    if (endTag) b.u16(0);
    return {tagcode::DefineSprite, b.take()};
}

} // namespace swf::writer
