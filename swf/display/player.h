// The player core: display lists of the root timeline and of every sprite
// instance, frame navigation and the simple timeline actions.
#pragma once

#include "swf/display/movie.h"
#include "swf/display/video_instance.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>

namespace swf {

struct Clip;
namespace avm1 {
struct Object;
class Machine;
} // namespace avm1

// Lines drawn by a clip's scripts (the drawing API), drawn under its children.
struct Drawing {
    Shape shape;
    // The pen (twips), the line style in use and the paths being extended.
    int32_t penX = 0, penY = 0;
    int line = -1;
    int fillPath = -1, linePath = -1;
    bool grown = false; // bounds hold a point
};

// Button states, as the bits of a button record.
// Depths given by scripts start here on the display list (AS depth 0).
inline constexpr int kScriptDepthBase = 16384;

// Pixels a script keeps drawing into (a BitmapData), shown as they are at each draw.
struct PictureSource {
    virtual ~PictureSource() = default;
    // Width and height in pixels; none once the pixels are gone.
    virtual std::pair<int, int> pictureSize() const = 0;
    // The pixels now, premultiplied; null once they are gone.
    virtual BitmapPtr picture() const = 0;
};

inline constexpr uint8_t kButtonUp = 0x01, kButtonOver = 0x02, kButtonDown = 0x04, kButtonHit = 0x08;

// One instance on a display list.
struct DisplayObject {
    int depth = 0;
    uint16_t characterId = 0;
    const Character* character = nullptr;
    Matrix matrix;
    ColorTransform colorTransform;
    uint16_t ratio = 0;
    std::string name;
    uint16_t clipDepth = 0;
    uint8_t blendMode = 0;
    bool visible = true;
    std::vector<Filter> filters;
    int placedFrame = -1;       // the parent's frame that placed it
    std::shared_ptr<Clip> clip; // sprites and buttons: their own display list
    std::shared_ptr<VideoInstance> video; // videos: decoder and picture
    std::shared_ptr<const PictureSource> picture; // a script's bitmap (attachBitmap), one pixel a unit
    bool smoothing = false;                        // the picture is smoothed when scaled
};

// A timeline instance: the root, a sprite, or a button's current state.
struct Clip : std::enable_shared_from_this<Clip> {
    const Timeline* timeline = nullptr; // null for buttons
    const ButtonDef* button = nullptr;
    uint8_t buttonState = 0;            // buttons: the state on show (kButtonUp, ...)
    int frame = -1;                     // 0-based frame on show, -1 before the first
    bool playing = true;
    int nesting = 0;
    std::map<int, DisplayObject> list; // by depth (scripts' depths are offset by 16384)
    Clip* parent = nullptr;
    std::vector<uint16_t> ancestry; // character ids from the root down, to refuse cycles

    // Scripting state.
    avm1::Object* object = nullptr; // the clip's script object, made on first use
    std::shared_ptr<const std::vector<ClipAction>> clipActions;
    std::shared_ptr<Drawing> drawing;
    uint16_t characterId = 0;
    bool scripted = false;       // placed or moved by a script: the timeline leaves it alone
    bool removed = false;        // taken off the display list
    bool kept = false;           // kept through a rewind: not advanced by the replay
    bool textField = false;      // stands for a text field
    std::unique_ptr<Character> ownCharacter; // text fields: their own copy of the definition
    SoundLevels soundLevels; // set by Sound objects aimed at this clip
};

// How long a frame's scripts may run before the rest of the frame's scripts are
// skipped: the reference player's 15 seconds for players, much less for previews.
struct ScriptOptions {
    double frameBudgetSeconds = 15;
    bool deterministic = false; // fixed date, clock moved by frame intervals, fixed random seed
    // Asked before a script opens a web address; null or false refuses.
    std::function<bool(const std::string& url, const std::string& target)> openUrl;
    // Receives each trace() line.
    std::function<void(const std::string&)> trace;
};

class Player {
public:
    explicit Player(MoviePtr movie, ScriptOptions options = {});
    ~Player();

    const Movie& movie() const { return *movie_; }
    const MoviePtr& moviePtr() const { return movie_; }
    const Clip& root() const { return *root_; }
    // The root's own place on the stage: scripts move, scale and colour the whole
    // movie through it as they do any clip.
    const DisplayObject& rootObject() const { return rootObject_; }
    DisplayObject& rootObject() { return rootObject_; }

    int totalFrames() const;
    // 1-based number of the frame on show.
    int currentFrame() const { return root_->frame + 1; }
    bool isPlaying() const { return root_->playing; }
    bool loop() const { return loop_; }
    void setLoop(bool on) { loop_ = on; }

    void play() { root_->playing = true; }
    void stop() { root_->playing = false; }
    // Shows the given 1-based frame (clamped to the movie), running its actions.
    void gotoFrame(int frame);
    // One tick of the movie's clock: every playing timeline moves on a frame.
    void tick();
    // The mouse at a stage point (twips). Buttons under it show their over state (down
    // while pressed on them) and run their press and release actions. Each returns
    // true when a button is under the point.
    bool mouseMove(double x, double y);
    bool press(double x, double y);
    bool release(double x, double y);

    // Sound events of the frames shown since the last call (root and sprites).
    struct SoundEvent {
        const SoundDef* sound;
        const SoundInfo* info;
    };
    std::vector<SoundEvent> takeSoundEvents();
    // Stream blocks of the root timeline for the frames shown since the last call;
    // a seek clears them and sets streamRestart.
    std::vector<const std::vector<uint8_t>*> takeStreamBlocks();
    bool takeStreamRestart();

    // ---- used by the script machine
    const std::shared_ptr<Clip>& rootPtr() const { return root_; }
    const ScriptOptions& scriptOptions() const { return options_; }
    // The script clock in milliseconds since the movie started.
    double clockMs() const { return clockMs_; }
    void scriptGoto(Clip& clip, int frame0, bool play);
    // A label's frame, moved on by offset frames (a scene's start).
    bool scriptGotoLabel(Clip& clip, const std::string& label, bool play, int offset = 0);
    void scriptStopSounds() {}
    // The movie-wide levels that Sound objects without a clip set.
    SoundLevels& globalSoundLevels() { return globalSound_; }
    void scriptCallFrame(Clip& clip, const std::string& frame);
    void scriptGetUrl(const std::string& url, const std::string& target);
    // attachMovie (a character id) or createEmptyMovieClip (id 0, no character); depth
    // as scripts give it. Returns the new clip or null.
    Clip* scriptAttach(Clip& parent, uint16_t characterId, const std::string& name, int depth,
                       std::shared_ptr<const std::vector<ClipAction>> clipActions = nullptr);
    Clip* scriptCreateTextField(Clip& parent, const std::string& name, int depth, double x, double y, double w, double h);
    Clip* scriptDuplicate(Clip& clip, const std::string& name, int depth);
    // attachBitmap: the picture at a depth as scripts give it, in place of what is there.
    bool scriptAttachPicture(Clip& parent, std::shared_ptr<const PictureSource> picture, int depth, bool smoothing);
    void scriptRemove(Clip& clip);
    bool scriptSwapDepths(Clip& clip, int depth);
    void scriptVariableChanged(Clip& clip, const std::string& name);
    std::vector<std::shared_ptr<Clip>>& scriptHeld() { return held_; }
    avm1::Machine& machine();
    // Frames ticked since the start.
    int ticks() const { return ticks_; }

private:
    // Shows a frame of a clip. Playing and seeking move the children on one tick per
    // frame passed; a script's jump leaves them where they are.
    void gotoClip(Clip& clip, int target, bool runActions, bool advanceChildren = true);
    void resetClip(Clip& clip, std::map<int, DisplayObject>& pool);
    // Places a frame's commands; marks gets the queue's length before each and at the end.
    void applyFrame(Clip& clip, int frame, std::vector<size_t>& marks);
    void place(Clip& clip, const DisplayCommand& c);
    void initInstance(Clip& parent, DisplayObject& obj,
                      std::shared_ptr<const std::vector<ClipAction>> clipActions = nullptr);
    void beginScripts();
    // The clip whose variable a field's variable path names (var gets the name), seen
    // from the clip holding the field; null when there is none.
    Clip* fieldVariableOwner(Clip& holder, const std::string& path, std::string& var);
    // A field bound to a variable is placed: it shows the variable, or gives it its
    // own text when the variable is not there.
    void bindFieldVariable(Clip& holder, EditText& e);
    void showButtonState(Clip& button, uint8_t state);
    // The topmost button whose hit area holds the point.
    std::shared_ptr<Clip> buttonAt(double x, double y);
    void runButtonActions(Clip& button, uint16_t condition);
    void tickClip(Clip& clip);
    void tickChildren(Clip& clip);
    void queueActions(Clip& clip, int frame, const std::vector<size_t>& marks);
    void queueEvent(Clip& clip, uint32_t event);
    void runQueue();
    void runActions(const std::vector<uint8_t>& code, Clip& clip);
    void runEvent(Clip& clip, uint32_t event);
    void enterFrame(Clip& clip);
    void unloadClip(Clip& clip);
    // A script depth as a display list depth, with what was there unloaded and removed;
    // nothing when the depth is outside the range scripts may use.
    std::optional<int> clearScriptDepth(Clip& parent, int depth);
    bool hasScripts() const;

    MoviePtr movie_;
    std::shared_ptr<Clip> root_;
    DisplayObject rootObject_;
    bool loop_ = true;
    bool seeking_ = false;
    struct PendingActions {
        std::weak_ptr<Clip> clip;
        const std::vector<uint8_t>* code = nullptr;
        uint32_t event = 0; // a clip event instead of a block
    };
    ScriptOptions options_;
    std::unique_ptr<avm1::Machine> machine_;
    std::vector<std::shared_ptr<Clip>> held_; // clips removed this frame: their unload handlers still run
    int boundFields_ = 0; // text fields showing a variable
    int instanceCount_ = 0;
    std::map<int, DisplayObject>* rewindPool_ = nullptr; // instances a rewind may keep
    Clip* rewindOwner_ = nullptr;
    std::vector<uint16_t> initDone_;        // sprites whose DoInitAction has run
    double clockMs_ = 0;
    int ticks_ = 0;
    std::vector<PendingActions> queue_;
    std::vector<PendingActions> first_; // run before the rest of the queue
    std::vector<SoundEvent> sounds_;
    std::vector<const std::vector<uint8_t>*> stream_;
    bool streamRestart_ = false;
    SoundLevels globalSound_;
    int actionDepth_ = 0;
    std::weak_ptr<Clip> hovered_, pressed_;
};

} // namespace swf
