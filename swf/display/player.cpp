#include "swf/display/player.h"

#include "swf/format/limits.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace swf {
namespace {


// The fields a placement gives; the rest keep their values.
void applyFields(DisplayObject& obj, const DisplayCommand& cmd) {
    if (cmd.matrix) obj.matrix = *cmd.matrix;
    if (cmd.colorTransform) obj.colorTransform = *cmd.colorTransform;
    if (cmd.ratio) obj.ratio = *cmd.ratio;
    if (cmd.name) obj.name = *cmd.name;
    if (cmd.clipDepth) obj.clipDepth = *cmd.clipDepth;
    if (cmd.blendMode) obj.blendMode = *cmd.blendMode;
    if (cmd.visible) obj.visible = *cmd.visible;
    if (cmd.filters) obj.filters = *cmd.filters;
}

// Bounds on what one tick (or one goto) hands to the sound output.
constexpr size_t kMaxSoundEvents = 64;
constexpr size_t kMaxStreamBlocks = 4;

int frameCountOf(const Clip& c) {
    return c.timeline ? static_cast<int>(c.timeline->frames.size()) : 1;
}

} // namespace

Player::Player(MoviePtr movie) : movie_(std::move(movie)), root_(std::make_shared<Clip>()) {
    root_->timeline = &movie_->root;
    seeking_ = false;
    gotoClip(*root_, 0, true);
    runQueue();
}

int Player::totalFrames() const { return std::max(1, movie_->frameCount()); }

void Player::resetClip(Clip& clip) {
    clip.list.clear();
    clip.frame = -1;
}

void Player::initInstance(Clip& parent, DisplayObject& obj) {
    obj.clip.reset();
    obj.video.reset();
    const Character* ch = obj.character;
    if (!ch) return;
    if (const auto* video = std::get_if<VideoDef>(ch)) {
        obj.video = std::make_shared<VideoInstance>(*video);
        return;
    }
    const auto* sprite = std::get_if<SpriteDef>(ch);
    const auto* button = std::get_if<ButtonDef>(ch);
    if (!sprite && !button) return;
    // Refuse instances nested too deep or containing themselves.
    if (parent.nesting + 1 >= limits::kMaxNesting) return;
    if (std::find(parent.ancestry.begin(), parent.ancestry.end(), obj.characterId) != parent.ancestry.end())
        return;
    auto c = std::make_shared<Clip>();
    c->parent = &parent;
    c->nesting = parent.nesting + 1;
    c->ancestry = parent.ancestry;
    c->ancestry.push_back(obj.characterId);
    obj.clip = c;
    if (sprite) {
        c->timeline = &sprite->timeline;
        gotoClip(*c, 0, true);
    } else {
        // A button shows its up state.
        c->button = button;
        c->playing = false;
        showButtonState(*c, kButtonUp);
    }
}

void Player::showButtonState(Clip& c, uint8_t state) {
    c.buttonState = state;
    c.list.clear();
    for (const ButtonRecord& rec : c.button->records) {
        if (!(rec.states & state)) continue;
        DisplayObject child;
        child.depth = rec.depth;
        child.characterId = rec.characterId;
        child.character = movie_->character(rec.characterId);
        child.matrix = rec.matrix;
        child.colorTransform = rec.colorTransform;
        child.blendMode = rec.blendMode;
        auto [it, inserted] = c.list.insert_or_assign(rec.depth, std::move(child));
        initInstance(c, it->second);
    }
}

void Player::place(Clip& clip, const DisplayCommand& cmd) {
    if (cmd.kind == DisplayCommand::Kind::Remove) {
        clip.list.erase(cmd.depth);
        return;
    }
    auto it = clip.list.find(cmd.depth);
    bool existing = it != clip.list.end();
    if (cmd.move && !existing) return; // modify or replace at an empty depth
    const Character* ch = cmd.hasCharacter ? movie_->character(cmd.characterId) : nullptr;
    if (!cmd.move) {
        if (!ch) return; // unknown character: nothing to place
        DisplayObject obj;
        obj.depth = cmd.depth;
        obj.characterId = cmd.characterId;
        obj.character = ch;
        applyFields(obj, cmd);
        auto [pos, inserted] = clip.list.insert_or_assign(cmd.depth, std::move(obj));
        initInstance(clip, pos->second);
        return;
    }
    DisplayObject& obj = it->second;
    // A sprite or button instance is never swapped for a plain character or back:
    // the instance stays and only its other fields change.
    auto timeline = [](const Character* c) {
        return c && (std::holds_alternative<SpriteDef>(*c) || std::holds_alternative<ButtonDef>(*c));
    };
    if (cmd.hasCharacter && ch && cmd.characterId != obj.characterId && timeline(ch) == timeline(obj.character)) {
        obj.characterId = cmd.characterId;
        obj.character = ch;
        initInstance(clip, obj);
    }
    applyFields(obj, cmd);
}

void Player::applyFrame(Clip& clip, int frame) {
    const Frame& f = clip.timeline->frames[static_cast<size_t>(frame)];
    for (const DisplayCommand& c : f.commands) place(clip, c);
}

void Player::tickChildren(Clip& clip) {
    // Collect first: a child's actions may change this list.
    std::vector<std::weak_ptr<Clip>> kids;
    for (auto& [depth, obj] : clip.list)
        if (obj.clip) kids.push_back(obj.clip);
    for (auto& w : kids)
        if (auto k = w.lock()) tickClip(*k);
}

void Player::tickClip(Clip& clip) {
    if (!clip.timeline || !clip.playing) {
        tickChildren(clip);
        return;
    }
    int n = frameCountOf(clip);
    int next = clip.frame + 1;
    if (next >= n) {
        if (&clip == root_.get() && !loop_) {
            clip.playing = false;
            tickChildren(clip);
            return;
        }
        next = 0;
    }
    if (next == clip.frame) { // a single-frame timeline stays where it is
        tickChildren(clip);
        return;
    }
    gotoClip(clip, next, true);
}

void Player::gotoClip(Clip& clip, int target, bool runActions) {
    if (!clip.timeline) return;
    int n = frameCountOf(clip);
    target = std::clamp(target, 0, n - 1);
    if (target == clip.frame) return;
    const bool isRoot = &clip == root_.get();
    if (target < clip.frame || target > clip.frame + 1) {
        if (isRoot) streamRestart_ = true;
    }
    if (target < clip.frame) resetClip(clip);
    // Replay: children move on one tick per frame, as they do when the movie plays.
    const bool wasSeeking = seeking_;
    while (clip.frame < target) {
        if (clip.frame >= 0) {
            seeking_ = wasSeeking || clip.frame + 1 < target;
            tickChildren(clip);
        }
        ++clip.frame;
        applyFrame(clip, clip.frame);
    }
    seeking_ = wasSeeking;
    if (runActions) queueActions(clip, target);
}

void Player::queueActions(Clip& clip, int frame) {
    const Frame& f = clip.timeline->frames[static_cast<size_t>(frame)];
    for (const auto& a : f.actions) queue_.push_back({clip.weak_from_this(), &a});
    if (seeking_) return;
    for (const auto& s : f.sounds)
        if (const auto* def = movie_->get<SoundDef>(s.soundId); def && sounds_.size() < kMaxSoundEvents)
            sounds_.push_back({def, &s.info});
    if (&clip == root_.get() && !f.streamBlock.empty()) {
        // A script jumping about within one tick shows many frames; only the last few
        // frames' sound can be heard in the time of a tick.
        if (stream_.size() >= kMaxStreamBlocks) stream_.erase(stream_.begin());
        stream_.push_back(&f.streamBlock);
    }
}

void Player::runQueue() {
    // Actions may queue more actions (a goto runs the target frame's script); the
    // bound keeps a script that jumps back and forth from hanging the player.
    size_t budget = 4096;
    for (size_t i = 0; i < queue_.size() && budget > 0; ++i, --budget) {
        PendingActions p = queue_[i];
        if (auto c = p.clip.lock()) runActions(*p.code, *c);
    }
    queue_.clear();
}

void Player::gotoFrame(int frame) {
    gotoClip(*root_, frame - 1, true);
    runQueue();
}

void Player::tick() {
    tickClip(*root_);
    runQueue();
}

std::vector<Player::SoundEvent> Player::takeSoundEvents() { return std::exchange(sounds_, {}); }

std::vector<const std::vector<uint8_t>*> Player::takeStreamBlocks() { return std::exchange(stream_, {}); }

bool Player::takeStreamRestart() { return std::exchange(streamRestart_, false); }

} // namespace swf
