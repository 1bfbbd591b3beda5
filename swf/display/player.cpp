#include "swf/display/player.h"

#include "swf/avm1/machine.h"
#include "swf/format/limits.h"

#include <algorithm>
#include <cctype>
#include <random>
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

Player::Player(MoviePtr movie, ScriptOptions options)
    : movie_(std::move(movie)), root_(std::make_shared<Clip>()), options_(std::move(options)) {
    root_->timeline = &movie_->root;
    rootObject_.clip = root_;
    seeking_ = false;
    gotoClip(*root_, 0, true);
    runQueue();
}

Player::~Player() = default;

avm1::Machine& Player::machine() {
    if (!machine_) {
        machine_ = std::make_unique<avm1::Machine>(*this);
        machine_->trace = options_.trace;
        machine_->budgetSeconds = options_.frameBudgetSeconds;
        if (movie_->scriptTimeout && *movie_->scriptTimeout > 0)
            machine_->budgetSeconds = std::min<double>(options_.frameBudgetSeconds, *movie_->scriptTimeout);
        if (movie_->maxRecursion && *movie_->maxRecursion > 0)
            machine_->maxDepth = std::min<int>(*movie_->maxRecursion, 256);
        machine_->nowMs = clockMs_;
        if (!options_.deterministic) machine_->rng.seed(std::random_device{}());
        machine_->beginFrame();
    }
    return *machine_;
}

void Player::beginScripts() {
    if (machine_) machine_->beginFrame();
}

int Player::totalFrames() const { return std::max(1, movie_->frameCount()); }

void Player::resetClip(Clip& clip, std::map<int, DisplayObject>& pool) {
    // Clips made by scripts live at depths from 16384 up and survive a rewind; the
    // timeline's instances wait in the pool to be kept if the replay places them again.
    for (auto it = clip.list.begin(); it != clip.list.end();) {
        if (it->first >= kScriptDepthBase) {
            ++it;
            continue;
        }
        pool.insert_or_assign(it->first, std::move(it->second));
        it = clip.list.erase(it);
    }
    clip.frame = -1;
}

void Player::initInstance(Clip& parent, DisplayObject& obj,
                          std::shared_ptr<const std::vector<ClipAction>> clipActions) {
    if (obj.clip) unloadClip(*obj.clip);
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
    const bool named = std::holds_alternative<SpriteDef>(*ch) || std::holds_alternative<ButtonDef>(*ch) ||
                       std::holds_alternative<EditText>(*ch);
    // Unnamed instances get the names the reference player gives them.
    if (named && obj.name.empty()) obj.name = "instance" + std::to_string(++instanceCount_);
    if (const auto* text = std::get_if<EditText>(ch)) {
        // A text field gets a clip of its own: scripts change its text through it.
        auto c = std::make_shared<Clip>();
        c->parent = &parent;
        c->nesting = parent.nesting + 1;
        c->textField = true;
        c->playing = false;
        c->characterId = obj.characterId;
        c->ownCharacter = std::make_unique<Character>(*text);
        obj.character = c->ownCharacter.get();
        obj.clip = c;
        if (!text->variableName.empty()) {
            ++boundFields_;
            bindFieldVariable(parent, std::get<EditText>(*c->ownCharacter));
        }
        return;
    }
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
    c->characterId = obj.characterId;
    c->clipActions = clipActions;
    if (sprite) {
        c->timeline = &sprite->timeline;
        if (c->clipActions) {
            queueEvent(*c, clipevent::Initialize);
            queueEvent(*c, clipevent::Construct);
        }
        gotoClip(*c, 0, true);
        queueEvent(*c, clipevent::Load);
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
        auto it = clip.list.find(cmd.depth);
        if (it == clip.list.end()) return;
        if (it->second.clip) unloadClip(*it->second.clip);
        clip.list.erase(it);
        return;
    }
    auto it = clip.list.find(cmd.depth);
    bool existing = it != clip.list.end();
    if (cmd.move && !existing) return; // modify or replace at an empty depth
    const Character* ch = cmd.hasCharacter ? movie_->character(cmd.characterId) : nullptr;
    if (!cmd.move) {
        if (!ch) return; // unknown character: nothing to place
        if (existing) {
            // A new instance never takes an occupied depth: the one there stays.
            if (options_.trace) options_.trace("Warning: Failed to place object at depth " + std::to_string(cmd.depth) + ".");
            return;
        }
        DisplayObject obj;
        obj.depth = cmd.depth;
        obj.characterId = cmd.characterId;
        obj.character = ch;
        obj.placedFrame = clip.frame;
        applyFields(obj, cmd);
        if (rewindPool_ && rewindOwner_ == &clip) {
            // Rewinding: the instance of the same character at this depth stays as it is.
            auto old = rewindPool_->find(cmd.depth);
            if (old != rewindPool_->end() && old->second.characterId == cmd.characterId &&
                old->second.placedFrame == clip.frame) {
                obj.clip = old->second.clip;
                obj.video = old->second.video;
                if (obj.clip && obj.clip->ownCharacter) obj.character = obj.clip->ownCharacter.get();
                if (obj.name.empty()) obj.name = old->second.name;
                if (obj.clip) obj.clip->kept = true;
                rewindPool_->erase(old);
                auto [pos, inserted] = clip.list.insert_or_assign(cmd.depth, std::move(obj));
                (void)pos;
                return;
            }
        }
        auto [pos, inserted] = clip.list.insert_or_assign(cmd.depth, std::move(obj));
        initInstance(clip, pos->second, cmd.clipActions);
        return;
    }
    DisplayObject& obj = it->second;
    // A clip a script has moved is no longer the timeline's to move.
    if (obj.clip && obj.clip->scripted) return;
    // A sprite or button instance is never swapped for a plain character or back:
    // the instance stays and only its other fields change.
    auto timeline = [](const Character* c) {
        return c && (std::holds_alternative<SpriteDef>(*c) || std::holds_alternative<ButtonDef>(*c));
    };
    if (cmd.hasCharacter && ch && cmd.characterId != obj.characterId && timeline(ch) == timeline(obj.character)) {
        obj.characterId = cmd.characterId;
        obj.character = ch;
        initInstance(clip, obj, cmd.clipActions);
    }
    applyFields(obj, cmd);
    if (obj.clip && obj.clip->textField && obj.clip->ownCharacter) obj.character = obj.clip->ownCharacter.get();
}

void Player::applyFrame(Clip& clip, int frame, std::vector<size_t>& marks) {
    const Frame& f = clip.timeline->frames[static_cast<size_t>(frame)];
    marks.clear();
    for (const DisplayCommand& c : f.commands) {
        marks.push_back(queue_.size());
        place(clip, c);
    }
    marks.push_back(queue_.size());
}

void Player::tickChildren(Clip& clip) {
    // Collect first: a child's actions may change this list.
    std::vector<std::weak_ptr<Clip>> kids;
    for (auto& [depth, obj] : clip.list)
        if (obj.clip && !obj.clip->kept) kids.push_back(obj.clip);
    // The top depth moves on first, as enterFrame goes.
    for (auto it = kids.rbegin(); it != kids.rend(); ++it)
        if (auto k = it->lock()) tickClip(*k);
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
        if (&clip != root_.get() && !clip.timeline->loops) {
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

void Player::gotoClip(Clip& clip, int target, bool runActions, bool advanceChildren) {
    if (!clip.timeline) return;
    int n = frameCountOf(clip);
    target = std::clamp(target, 0, n - 1);
    if (target == clip.frame) return;
    const bool isRoot = &clip == root_.get();
    if (target < clip.frame || target > clip.frame + 1) {
        if (isRoot) streamRestart_ = true;
    }
    std::map<int, DisplayObject> pool;
    std::map<int, DisplayObject>* outerPool = rewindPool_;
    Clip* outerPoolOwner = rewindOwner_;
    if (target < clip.frame) {
        resetClip(clip, pool);
        rewindPool_ = &pool;
        rewindOwner_ = &clip;
    }
    // Replay: children move on one tick per frame, as they do when the movie plays.
    // The frame's scripts take their places in the queue among those of the clips it
    // places, in the order of the frame's tags.
    const bool wasSeeking = seeking_;
    std::vector<size_t> marks;
    while (clip.frame < target) {
        if (clip.frame >= 0 && advanceChildren) {
            seeking_ = wasSeeking || clip.frame + 1 < target;
            tickChildren(clip);
        }
        ++clip.frame;
        applyFrame(clip, clip.frame, marks);
    }
    seeking_ = wasSeeking;
    if (rewindOwner_ == &clip) {
        rewindPool_ = outerPool;
        rewindOwner_ = outerPoolOwner;
        for (auto& [d, obj] : pool)
            if (obj.clip) unloadClip(*obj.clip);
    }
    if (runActions) queueActions(clip, target, marks);
    for (auto& [d, obj] : clip.list)
        if (obj.clip) obj.clip->kept = false;
}

void Player::queueActions(Clip& clip, int frame, const std::vector<size_t>& marks) {
    const Frame& f = clip.timeline->frames[static_cast<size_t>(frame)];
    // Where the queue stood before the frame's command k; init actions come first.
    auto markAt = [&](size_t k) {
        size_t at = marks.empty() ? queue_.size() : marks[std::min(k, marks.size() - 1)];
        return std::min(at, queue_.size());
    };
    size_t added = 0;
    auto insert = [&](size_t at, const std::vector<uint8_t>* code) {
        at = std::min(at + added, queue_.size());
        queue_.insert(queue_.begin() + static_cast<long>(at), PendingActions{clip.weak_from_this(), code, 0});
        ++added;
    };
    for (const auto& ia : f.initActions) {
        if (std::find(initDone_.begin(), initDone_.end(), ia.spriteId) != initDone_.end()) continue;
        initDone_.push_back(ia.spriteId);
        insert(markAt(0), &ia.actions);
    }
    for (size_t i = 0; i < f.actions.size(); ++i)
        insert(markAt(i < f.actionAt.size() ? f.actionAt[i] : 0), &f.actions[i]);
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

void Player::queueEvent(Clip& clip, uint32_t event) {
    if (!machine_ && !clip.clipActions) return; // no script has set a handler yet
    // Initialize handlers run ahead of everything already queued.
    auto& to = event == clipevent::Initialize ? first_ : queue_;
    to.push_back({clip.weak_from_this(), nullptr, event});
}

void Player::runQueue() {
    // Actions may queue more actions (a goto runs the target frame's script); the
    // bound keeps a script that jumps back and forth from hanging the player.
    size_t budget = 100000;
    size_t i = 0, firstAt = 0;
    for (; budget > 0; --budget) {
        PendingActions p;
        if (firstAt < first_.size()) p = first_[firstAt++];
        else if (i < queue_.size()) p = queue_[i++];
        else break;
        auto c = p.clip.lock();
        if (!c) continue;
        if (p.code) runActions(*p.code, *c);
        else runEvent(*c, p.event);
    }
    first_.clear();
    queue_.clear();
    if (machine_) machine_->maybeCollect();
}

void Player::runActions(const std::vector<uint8_t>& code, Clip& clip) {
    if (code.empty() || movie_->actionScript3) return;
    if (clip.removed && &clip != root_.get()) return;
    machine().runBlock(code, clip);
}

namespace {
const char* handlerName(uint32_t event) {
    switch (event) {
    case clipevent::Load: return "onLoad";
    case clipevent::EnterFrame: return "onEnterFrame";
    case clipevent::Unload: return "onUnload";
    case clipevent::MouseMove: return "onMouseMove";
    case clipevent::MouseDown: return "onMouseDown";
    case clipevent::MouseUp: return "onMouseUp";
    case clipevent::KeyDown: return "onKeyDown";
    case clipevent::KeyUp: return "onKeyUp";
    case clipevent::Data: return "onData";
    default: return nullptr;
    }
}
} // namespace

void Player::runEvent(Clip& clip, uint32_t event) {
    if (movie_->actionScript3) return;
    if (clip.removed && event != clipevent::Unload) return;
    if (clip.clipActions)
        for (const ClipAction& a : *clip.clipActions)
            if (a.events & event) machine().runBlock(a.actions, clip);
    if (const char* name = handlerName(event); name && machine_ && clip.object) {
        machine_->callHandler(clip, name);
    }
}

void Player::unloadClip(Clip& clip) {
    if (clip.removed) return;
    clip.removed = true;
    if (clip.textField && clip.ownCharacter)
        if (const auto* e = std::get_if<EditText>(clip.ownCharacter.get()); e && !e->variableName.empty())
            --boundFields_;
    for (auto& [d, obj] : clip.list)
        if (obj.clip) unloadClip(*obj.clip);
    if (clip.clipActions || (machine_ && clip.object)) {
        held_.push_back(clip.shared_from_this());
        queueEvent(clip, clipevent::Unload);
    }
}

void Player::enterFrame(Clip& clip) {
    std::vector<std::weak_ptr<Clip>> kids;
    for (auto& [depth, obj] : clip.list)
        if (obj.clip && !obj.clip->textField) kids.push_back(obj.clip);
    for (auto it = kids.rbegin(); it != kids.rend(); ++it)
        if (auto k = it->lock()) enterFrame(*k);
    if (clip.clipActions || clip.object) queueEvent(clip, clipevent::EnterFrame);
}

void Player::gotoFrame(int frame) {
    beginScripts();
    gotoClip(*root_, frame - 1, true);
    runQueue();
    held_.clear();
}

void Player::tick() {
    beginScripts();
    ++ticks_;
    clockMs_ = ticks_ * 1000.0 / movie_->frameRate;
    if (machine_) {
        machine_->nowMs = clockMs_;
        machine_->runTimers(clockMs_);
        runQueue();
    }
    tickClip(*root_);
    enterFrame(*root_);
    runQueue();
    held_.clear();
}

std::vector<Player::SoundEvent> Player::takeSoundEvents() { return std::exchange(sounds_, {}); }

std::vector<const std::vector<uint8_t>*> Player::takeStreamBlocks() { return std::exchange(stream_, {}); }

bool Player::takeStreamRestart() { return std::exchange(streamRestart_, false); }

} // namespace swf
