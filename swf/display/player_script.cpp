// What scripts do to the display list: frame jumps, clips attached, duplicated and
// removed, depths swapped, text fields made and variables shown in fields.
#include "swf/display/player.h"

#include "swf/avm1/machine.h"
#include "swf/format/limits.h"

#include <algorithm>
#include <cmath>

namespace swf {

namespace {
// Display list depths scripts may place at (AS depths are kScriptDepthBase lower):
// 2130706429 and above are refused.
constexpr long long kMinScriptDepth = -2130690045, kMaxScriptDepth = 2130706428;

DisplayObject* displayOf(Clip& c) {
    if (!c.parent) return nullptr;
    for (auto& [d, obj] : c.parent->list)
        if (obj.clip.get() == &c) return &obj;
    return nullptr;
}
} // namespace

void Player::scriptGoto(Clip& clip, int frame0, bool play) {
    if (!clip.timeline || clip.removed) return;
    int n = static_cast<int>(clip.timeline->frames.size());
    if (n == 0) return;
    // Past the end the last frame shows, but its scripts do not run.
    gotoClip(clip, std::clamp(frame0, 0, n - 1), frame0 < n, false);
    clip.playing = play;
}

bool Player::scriptGotoLabel(Clip& clip, const std::string& label, bool play, int offset) {
    if (!clip.timeline || clip.removed) return false;
    auto it = clip.timeline->labels.find(asciiLower(label));
    if (it == clip.timeline->labels.end()) return false;
    scriptGoto(clip, it->second + offset, play);
    return true;
}

void Player::scriptCallFrame(Clip& clip, const std::string& frame) {
    if (!clip.timeline) return;
    int f = -1;
    auto it = clip.timeline->labels.find(asciiLower(frame));
    if (it != clip.timeline->labels.end()) {
        f = it->second;
    } else {
        double d = avm1::stringToNumber(frame, 5);
        // Frame numbers wrap as 32-bit integers: 4294967299 is frame 3.
        if (std::isfinite(d)) f = static_cast<int>(std::clamp<int64_t>(avm1::toInt32(d), -1, 10000000)) - 1;
    }
    if (f < 0 || f >= static_cast<int>(clip.timeline->frames.size())) return;
    for (const auto& a : clip.timeline->frames[static_cast<size_t>(f)].actions) machine().runBlock(a, clip);
}

void Player::scriptGetUrl(const std::string& url, const std::string& target) {
    // FSCommands go to the host; none of them (exec above all) is acted on here.
    if (asciiLower(url.substr(0, 10)) == "fscommand:") return;
    std::string lower = asciiLower(url);
    bool web = lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0 || lower.rfind("mailto:", 0) == 0;
    if (web && options_.openUrl) options_.openUrl(url, target);
}

std::optional<int> Player::clearScriptDepth(Clip& parent, int depth) {
    long long d = static_cast<long long>(depth) + kScriptDepthBase;
    if (d < kMinScriptDepth || d > kMaxScriptDepth) return std::nullopt;
    auto old = parent.list.find(static_cast<int>(d));
    if (old != parent.list.end()) {
        if (old->second.clip) unloadClip(*old->second.clip);
        parent.list.erase(old);
    }
    return static_cast<int>(d);
}

Clip* Player::scriptAttach(Clip& parent, uint16_t characterId, const std::string& name, int depth,
                           std::shared_ptr<const std::vector<ClipAction>> clipActions) {
    if (parent.textField || parent.button) return nullptr;
    long long d = static_cast<long long>(depth) + kScriptDepthBase;
    if (d < kMinScriptDepth || d > kMaxScriptDepth) return nullptr;
    const Character* ch = characterId ? movie_->character(characterId) : nullptr;
    if (characterId && (!ch || !std::get_if<SpriteDef>(ch))) return nullptr;
    if (parent.nesting + 1 >= limits::kMaxNesting) return nullptr;
    DisplayObject obj;
    obj.depth = *clearScriptDepth(parent, depth);
    obj.characterId = characterId;
    obj.character = ch;
    obj.name = name;
    auto [pos, inserted] = parent.list.insert_or_assign(obj.depth, std::move(obj));
    if (ch) {
        initInstance(parent, pos->second, std::move(clipActions));
    } else {
        auto c = std::make_shared<Clip>();
        c->parent = &parent;
        c->nesting = parent.nesting + 1;
        c->ancestry = parent.ancestry;
        c->playing = false;
        c->frame = 0;
        c->clipActions = std::move(clipActions);
        pos->second.clip = c;
        if (c->clipActions) {
            queueEvent(*c, clipevent::Initialize);
            queueEvent(*c, clipevent::Construct);
            queueEvent(*c, clipevent::Load);
        }
    }
    if (!pos->second.clip) {
        parent.list.erase(pos);
        return nullptr;
    }
    pos->second.clip->scripted = true;
    return pos->second.clip.get();
}

bool Player::scriptAttachPicture(Clip& parent, std::shared_ptr<const PictureSource> picture, int depth,
                                 bool smoothing) {
    if (parent.textField || parent.button || !picture) return false;
    std::optional<int> d = clearScriptDepth(parent, depth);
    if (!d) return false;
    DisplayObject obj;
    obj.depth = *d;
    obj.picture = std::move(picture);
    obj.smoothing = smoothing;
    parent.list.insert_or_assign(obj.depth, std::move(obj));
    return true;
}

Clip* Player::scriptCreateTextField(Clip& parent, const std::string& name, int depth, double x, double y, double w,
                                    double h) {
    if (parent.textField || parent.button) return nullptr;
    long long d = static_cast<long long>(depth) + kScriptDepthBase;
    if (d < kMinScriptDepth || d > kMaxScriptDepth) return nullptr;
    auto old = parent.list.find(static_cast<int>(d));
    if (old != parent.list.end()) {
        if (old->second.clip) unloadClip(*old->second.clip);
        parent.list.erase(old);
    }
    auto clamp = [](double v) { return std::isfinite(v) ? std::clamp(v, -1e6, 1e6) : 0.0; };
    EditText e;
    e.bounds = Rect{0, static_cast<int32_t>(clamp(w) * 20), 0, static_cast<int32_t>(clamp(h) * 20)};
    e.readOnly = true;
    auto c = std::make_shared<Clip>();
    c->parent = &parent;
    c->nesting = parent.nesting + 1;
    c->textField = true;
    c->playing = false;
    c->scripted = true;
    c->ownCharacter = std::make_unique<Character>(std::move(e));
    DisplayObject obj;
    obj.depth = static_cast<int>(d);
    obj.name = name;
    obj.character = c->ownCharacter.get();
    obj.matrix = Matrix::translate(std::trunc(clamp(x) * 20), std::trunc(clamp(y) * 20));
    obj.clip = c;
    parent.list.insert_or_assign(obj.depth, std::move(obj));
    return c.get();
}

Clip* Player::scriptDuplicate(Clip& clip, const std::string& name, int depth) {
    Clip* parent = clip.parent;
    DisplayObject* src = displayOf(clip);
    if (!parent || !src || clip.textField) return nullptr;
    DisplayObject copy = *src;
    // The copy has the original's clip events and gets them as a placed instance does.
    Clip* made = scriptAttach(*parent, clip.characterId && copy.character ? clip.characterId : 0, name, depth,
                              clip.clipActions);
    if (!made) return nullptr;
    DisplayObject* dst = displayOf(*made);
    if (!dst) return nullptr;
    dst->matrix = copy.matrix;
    dst->colorTransform = copy.colorTransform;
    dst->visible = copy.visible;
    dst->blendMode = copy.blendMode;
    dst->filters = copy.filters;
    if (clip.drawing) made->drawing = std::make_shared<Drawing>(*clip.drawing);
    return made;
}

void Player::scriptRemove(Clip& clip) {
    Clip* parent = clip.parent;
    if (!parent) return;
    for (auto it = parent->list.begin(); it != parent->list.end(); ++it) {
        if (it->second.clip.get() != &clip) continue;
        // Only clips at script depths can be removed by scripts.
        if (it->first < 0) return;
        auto keep = it->second.clip;
        unloadClip(clip);
        parent->list.erase(it);
        return;
    }
}

bool Player::scriptSwapDepths(Clip& clip, int depth) {
    Clip* parent = clip.parent;
    if (!parent) return false;
    long long d = static_cast<long long>(depth) + kScriptDepthBase;
    if (d < kMinScriptDepth || d > kMaxScriptDepth) return false;
    auto it = std::find_if(parent->list.begin(), parent->list.end(),
                           [&](auto& e) { return e.second.clip.get() == &clip; });
    if (it == parent->list.end() || it->first == d) return false;
    int from = it->first;
    DisplayObject mine = std::move(it->second);
    parent->list.erase(it);
    auto other = parent->list.find(static_cast<int>(d));
    if (other != parent->list.end()) {
        DisplayObject theirs = std::move(other->second);
        parent->list.erase(other);
        theirs.depth = from;
        if (theirs.clip) theirs.clip->scripted = true;
        parent->list.emplace(from, std::move(theirs));
    }
    mine.depth = static_cast<int>(d);
    clip.scripted = true;
    parent->list.emplace(static_cast<int>(d), std::move(mine));
    return true;
}

Clip* Player::fieldVariableOwner(Clip& holder, const std::string& path, std::string& var) {
    // "a.b.v", "a/b:v" and "v": the last part names the variable, the rest its clip
    // as seen from the clip holding the field.
    size_t cut = path.find_last_of(":.");
    var = cut == std::string::npos ? path : path.substr(cut + 1);
    if (var.empty() || !machine_) return nullptr;
    return cut == std::string::npos ? &holder : machine_->resolvePath(&holder, path.substr(0, cut));
}

void Player::bindFieldVariable(Clip& holder, EditText& e) {
    if (movie_->actionScript3 || e.variableName.empty()) return;
    avm1::Machine& m = machine();
    std::string var;
    Clip* owner = fieldVariableOwner(holder, e.variableName, var);
    if (!owner) return;
    avm1::Value target(m.clipObject(*owner));
    avm1::Value val = m.get(target, var);
    // A variable not there yet takes the field's text; one there shows in the field.
    if (val.isUndefined()) m.set(target, var, avm1::Value(avm1::fieldVariableText(m, e)));
    else avm1::setFieldText(e, m.toString(val), e.html, m.version());
}

void Player::scriptVariableChanged(Clip& clip, const std::string& name) {
    if (boundFields_ <= 0 || !machine_) return;
    std::string want = asciiLower(name);
    std::function<void(Clip&)> walk = [&](Clip& c) {
        for (auto& [d, obj] : c.list) {
            if (!obj.clip) continue;
            if (obj.clip->textField && obj.clip->ownCharacter) {
                auto* e = std::get_if<EditText>(obj.clip->ownCharacter.get());
                if (!e || e->variableName.empty()) continue;
                std::string var;
                Clip* owner = fieldVariableOwner(c, e->variableName, var);
                if (owner != &clip || asciiLower(var) != want) continue;
                avm1::Value val = machine_->get(avm1::Value(machine_->clipObject(clip)), var);
                if (val.isUndefined()) continue;
                avm1::setFieldText(*e, machine_->toString(val), e->html, machine_->version());
            } else {
                walk(*obj.clip);
            }
        }
    };
    walk(*root_);
}

} // namespace swf
