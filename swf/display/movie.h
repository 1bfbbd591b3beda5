// A loaded movie: header, dictionary of characters and the root timeline.
// Immutable once loaded, so one copy can serve every player that shows it.
#pragma once

#include "swf/format/container.h"
#include "swf/format/filter.h"
#include "swf/format/morph.h"
#include "swf/format/shape.h"
#include "swf/display/movie_video.h"
#include "swf/media/bitmap.h"
#include "swf/media/sound_format.h"
#include "swf/text/text.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

namespace swf {

// One PlaceObject/RemoveObject of a frame.
struct DisplayCommand {
    enum class Kind : uint8_t { Place, Remove };
    Kind kind = Kind::Place;
    uint16_t depth = 0;
    bool move = false;          // modify (or replace) the instance already at the depth
    bool hasCharacter = false;  // a character is given (id 0 is a valid id)
    uint16_t characterId = 0;
    std::optional<Matrix> matrix;
    std::optional<ColorTransform> colorTransform;
    std::optional<uint16_t> ratio;
    std::optional<std::string> name;
    std::optional<uint16_t> clipDepth;
    std::optional<uint8_t> blendMode;
    std::optional<bool> visible;
    std::optional<std::vector<Filter>> filters;
    // Scripts of onClipEvent handlers given with the placement.
    std::shared_ptr<const std::vector<struct ClipAction>> clipActions;
};

// One onClipEvent handler: the events it answers (little-endian flag masks) and its script.
struct ClipAction {
    uint32_t events = 0;
    uint8_t keyCode = 0;
    std::vector<uint8_t> actions;
};

// Clip event masks.
namespace clipevent {
inline constexpr uint32_t Load = 0x1, EnterFrame = 0x2, Unload = 0x4, MouseMove = 0x8, MouseDown = 0x10,
                          MouseUp = 0x20, KeyDown = 0x40, KeyUp = 0x80, Data = 0x100, Initialize = 0x200,
                          Press = 0x400, Release = 0x800, ReleaseOutside = 0x1000, RollOver = 0x2000,
                          RollOut = 0x4000, DragOver = 0x8000, DragOut = 0x10000, KeyPress = 0x20000,
                          Construct = 0x40000;
}

// A DoInitAction block: run once, for the sprite it names, when its frame is first reached.
struct InitAction {
    uint16_t spriteId = 0;
    std::vector<uint8_t> actions;
};

struct Frame {
    std::vector<DisplayCommand> commands;
    std::vector<std::vector<uint8_t>> actions; // DoAction blocks in tag order
    std::vector<size_t> actionAt;              // per block: how many commands come before it
    std::vector<InitAction> initActions;       // DoInitAction blocks in tag order
    std::vector<SoundStart> sounds;
    std::vector<uint8_t> streamBlock; // this frame's stream sound data, if any
    std::string label;
};

struct Timeline {
    std::vector<Frame> frames;
    // A sprite whose tags end otherwise than with a ShowFrame and then End (no End, or
    // actions after the last ShowFrame) stops on its last frame instead of looping.
    bool loops = true;
    std::optional<StreamHead> streamHead;
    // Label (lower case: labels match case-insensitively) to 0-based frame.
    std::map<std::string, int> labels;
};

struct SpriteDef {
    Timeline timeline;
    size_t bytes = 0; // the tags of its timeline, as scripts' getBytesTotal counts them
};

struct ButtonRecord {
    uint8_t states = 0; // bit 0 up, 1 over, 2 down, 3 hit test
    uint16_t characterId = 0;
    uint16_t depth = 0;
    Matrix matrix;
    ColorTransform colorTransform;
    uint8_t blendMode = 0;
};

struct ButtonAction {
    uint16_t conditions = 0; // 0x0008: release inside
    std::vector<uint8_t> actions;
};

struct ButtonDef {
    std::vector<ButtonRecord> records;
    std::vector<ButtonAction> actions;
};

// A bitmap is decoded on first use: movies often define far more images than
// their first frame shows.
class BitmapDef {
public:
    BitmapDef(int tagCode, std::vector<uint8_t> body, std::shared_ptr<const std::vector<uint8_t>> tables);
    // The decoded image, or null when it cannot be decoded.
    BitmapPtr get() const;

private:
    int tagCode_;
    std::vector<uint8_t> body_;
    std::shared_ptr<const std::vector<uint8_t>> jpegTables_;
    mutable BitmapPtr decoded_;
    mutable bool tried_ = false;
};

using Character = std::variant<Shape, MorphShape, BitmapDef, Font, StaticText, EditText, ButtonDef,
                               SpriteDef, SoundDef, VideoDef>;

struct Movie {
    uint8_t version = 0;
    Compression compression = Compression::None;
    Rect stage;
    double frameRate = 12;
    uint16_t declaredFrameCount = 0;
    std::optional<Rgba> background;
    bool actionScript3 = false;
    Timeline root;
    std::unordered_map<uint16_t, std::unique_ptr<Character>> dictionary;
    // Linkage names (ExportAssets) to character ids, for attachMovie; lower case keys.
    std::map<std::string, uint16_t> exports;
    // ScriptLimits: recursion depth and time-out in seconds, when the movie sets them.
    std::optional<uint16_t> maxRecursion, scriptTimeout;
    size_t fileBytes = 0; // size of the file as read, uncompressed: header and tags
    // Set when the file broke part way: the frames before the break are kept.
    std::string warning;

    const Character* character(uint16_t id) const;
    template <typename T> const T* get(uint16_t id) const {
        const Character* c = character(id);
        return c ? std::get_if<T>(c) : nullptr;
    }
    int frameCount() const { return static_cast<int>(root.frames.size()); }
    // The font a run of a field's text shows in: an embedded face with glyphs and
    // layout of the run's name and style, or the field's own font `base`.
    const Font* fontFor(const Font* base, const TextSpan& span) const;
};

using MoviePtr = std::shared_ptr<const Movie>;

// Parses a whole file held in memory.
Result<MoviePtr> loadMovie(std::span<const uint8_t> file);
// Reads and parses a file; errors name the problem in a short sentence.
Result<MoviePtr> loadMovieFile(const std::filesystem::path& path);

} // namespace swf
