// A tag list with its frames: the root timeline of a movie or the timeline of a sprite.
#pragma once

#include "swf/format/types.h"
#include "swf/writer/actions.h"
#include "swf/writer/tag.h"

#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace swf::writer {

class TimelineWriter {
  public:
    // Appends a tag; ShowFrame tags are counted as frames.
    TimelineWriter& add(const Tag& tag);
    TimelineWriter& add(uint16_t code, std::vector<uint8_t> body);
    TimelineWriter& showFrame(int count = 1);

    // PlaceObject2 shorthands: place a character, move/recolour what is at a depth,
    // remove it (RemoveObject2).
    TimelineWriter& place(uint16_t depth, uint16_t character, const Matrix& matrix = {},
                          std::optional<ColorTransform> cxform = {});
    TimelineWriter& move(uint16_t depth, const Matrix& matrix,
                         std::optional<ColorTransform> cxform = {});
    TimelineWriter& remove(uint16_t depth);
    // Places `character` at `depth`, or moves it when this writer already put it there
    // (replacing another character placed there). Depths filled through add() are not
    // tracked.
    TimelineWriter& put(uint16_t depth, uint16_t character, const Matrix& matrix,
                        std::optional<ColorTransform> cxform = {},
                        std::optional<uint16_t> ratio = {});
    TimelineWriter& label(std::string_view name);
    TimelineWriter& actions(const ActionBuilder& actions);

    int frameCount() const { return frames_; }
    // The encoded tags so far, without an End tag.
    const std::vector<uint8_t>& tagBytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
    int frames_ = 0;
    std::map<uint16_t, uint16_t> occupants_; // depth -> character, for put()
};

// DefineSprite: id, frame count (counted ShowFrames unless given), the tags, End.
Tag defineSprite(uint16_t id, const TimelineWriter& timeline,
                 std::optional<uint16_t> frameCount = {}, bool endTag = true);

} // namespace swf::writer
