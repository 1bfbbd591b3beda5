// The player core: display lists of the root timeline and of every sprite
// instance, frame navigation and the simple timeline actions.
#pragma once

#include "swf/display/movie.h"
#include "swf/display/video_instance.h"

#include <functional>
#include <map>
#include <memory>

namespace swf {

struct Clip;

// Button states, as the bits of a button record.
inline constexpr uint8_t kButtonUp = 0x01, kButtonOver = 0x02, kButtonDown = 0x04, kButtonHit = 0x08;

// One instance on a display list.
struct DisplayObject {
    uint16_t depth = 0;
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
    std::shared_ptr<Clip> clip; // sprites and buttons: their own display list
    std::shared_ptr<VideoInstance> video; // videos: decoder and picture
};

// A timeline instance: the root, a sprite, or a button's current state.
struct Clip : std::enable_shared_from_this<Clip> {
    const Timeline* timeline = nullptr; // null for buttons
    const ButtonDef* button = nullptr;
    uint8_t buttonState = 0;            // buttons: the state on show (kButtonUp, ...)
    int frame = -1;                     // 0-based frame on show, -1 before the first
    bool playing = true;
    int nesting = 0;
    std::map<uint16_t, DisplayObject> list; // by depth
    Clip* parent = nullptr;
    std::vector<uint16_t> ancestry; // character ids from the root down, to refuse cycles
};

class Player {
public:
    explicit Player(MoviePtr movie);

    const Movie& movie() const { return *movie_; }
    const MoviePtr& moviePtr() const { return movie_; }
    const Clip& root() const { return *root_; }

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

private:
    void gotoClip(Clip& clip, int target, bool runActions);
    void resetClip(Clip& clip);
    void applyFrame(Clip& clip, int frame);
    void place(Clip& clip, const DisplayCommand& c);
    void initInstance(Clip& parent, DisplayObject& obj);
    void showButtonState(Clip& button, uint8_t state);
    // The topmost button whose hit area holds the point.
    std::shared_ptr<Clip> buttonAt(double x, double y);
    void runButtonActions(Clip& button, uint16_t condition);
    void tickClip(Clip& clip);
    void tickChildren(Clip& clip);
    void queueActions(Clip& clip, int frame);
    void runQueue();
    void runActions(const std::vector<uint8_t>& code, Clip& clip);
    Clip* resolveTarget(Clip& base, const std::string& path);
    bool gotoLabel(Clip& clip, const std::string& label, bool play);

    MoviePtr movie_;
    std::shared_ptr<Clip> root_;
    bool loop_ = true;
    bool seeking_ = false;
    struct PendingActions {
        std::weak_ptr<Clip> clip;
        const std::vector<uint8_t>* code;
    };
    std::vector<PendingActions> queue_;
    std::vector<SoundEvent> sounds_;
    std::vector<const std::vector<uint8_t>*> stream_;
    bool streamRestart_ = false;
    int actionDepth_ = 0;
    std::weak_ptr<Clip> hovered_, pressed_;
};

} // namespace swf
