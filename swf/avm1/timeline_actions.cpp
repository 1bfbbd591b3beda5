// The timeline actions a player needs to stop and jump where movies' authors
// told it to: frame navigation with constant operands, targets, and a small
// value stack for Push/GotoFrame2/SetTarget2.
#include "swf/display/player.h"

#include "swf/format/reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <functional>
#include <variant>

namespace swf {
namespace {

using Value = std::variant<std::monostate, double, std::string>;


bool truthy(const Value& v) {
    if (auto* d = std::get_if<double>(&v)) return *d != 0 && !std::isnan(*d);
    if (auto* s = std::get_if<std::string>(&v)) return !s->empty();
    return false;
}

std::string asString(const Value& v) {
    if (auto* s = std::get_if<std::string>(&v)) return *s;
    if (auto* d = std::get_if<double>(&v)) {
        if (std::floor(*d) == *d && std::abs(*d) < 1e15) return std::to_string(static_cast<long long>(*d));
        return std::to_string(*d);
    }
    return {};
}

Clip* childNamed(Clip& c, const std::string& name) {
    std::string want = asciiLower(name);
    for (auto& [depth, obj] : c.list)
        if (obj.clip && asciiLower(obj.name) == want) return obj.clip.get();
    return nullptr;
}

} // namespace

Clip* Player::resolveTarget(Clip& base, const std::string& path) {
    if (path.empty()) return &base;
    Clip* c = &base;
    size_t i = 0;
    if (path[0] == '/') {
        c = root_.get();
        i = 1;
    }
    while (i < path.size() && c) {
        size_t j = path.find_first_of("/.:", i);
        if (j == std::string::npos) j = path.size();
        std::string part = path.substr(i, j - i);
        // ".." is the parent in slash syntax; a lone "." separates dot syntax.
        if (j < path.size() && path[j] == '.' && j + 1 < path.size() && path[j + 1] == '.') {
            if (!part.empty()) c = childNamed(*c, part);
            if (c) c = c->parent;
            i = j + 2;
            if (i < path.size() && path[i] == '/') ++i;
            continue;
        }
        std::string lp = asciiLower(part);
        if (part.empty() || lp == "this") {
        } else if (lp == "_root" || lp == "_level0") {
            c = root_.get();
        } else if (lp == "_parent") {
            c = c->parent;
        } else {
            c = childNamed(*c, part);
        }
        i = j + 1;
    }
    return c;
}

bool Player::gotoLabel(Clip& clip, const std::string& label, bool play) {
    if (!clip.timeline) return false;
    auto it = clip.timeline->labels.find(asciiLower(label));
    if (it == clip.timeline->labels.end()) return false;
    gotoClip(clip, it->second, true);
    clip.playing = play;
    return true;
}

void Player::runActions(const std::vector<uint8_t>& code, Clip& self) {
    if (actionDepth_ > 8) return;
    ++actionDepth_;
    Reader r(code);
    std::weak_ptr<Clip> targetRef = self.weak_from_this();
    std::vector<Value> stack;
    std::vector<std::string> pool;
    auto pop = [&]() -> Value {
        if (stack.empty()) return {};
        Value v = std::move(stack.back());
        stack.pop_back();
        return v;
    };
    auto target = [&]() -> Clip* { return targetRef.lock().get(); };
    auto setTarget = [&](const std::string& path) {
        Clip* t = path.empty() ? &self : resolveTarget(self, path);
        targetRef = t ? t->weak_from_this() : std::weak_ptr<Clip>();
    };
    size_t steps = 0;
    while (!r.atEnd() && !r.overrun() && ++steps < 100000) {
        uint8_t op = r.u8();
        if (op == 0) break;
        size_t len = op >= 0x80 ? r.u16() : 0;
        Reader a(r.bytes(len));
        const size_t next = r.pos();
        Clip* t = target();
        switch (op) {
        case 0x04: // NextFrame
            if (t && t->timeline) {
                gotoClip(*t, t->frame + 1, true);
                t->playing = false;
            }
            break;
        case 0x05: // PreviousFrame
            if (t && t->timeline) {
                gotoClip(*t, std::max(0, t->frame - 1), true);
                t->playing = false;
            }
            break;
        case 0x06:
            if (t) t->playing = true;
            break;
        case 0x07:
            if (t) t->playing = false;
            break;
        case 0x81: // GotoFrame (0-based operand)
            if (t && t->timeline) {
                gotoClip(*t, a.u16(), true);
                t->playing = false;
            }
            break;
        case 0x8C: // GotoLabel
            if (t) gotoLabel(*t, a.string(), false);
            break;
        case 0x8B: // SetTarget
            setTarget(a.string());
            break;
        case 0x20: // SetTarget2
            setTarget(asString(pop()));
            break;
        case 0x88: { // ConstantPool
            pool.clear();
            uint16_t n = a.u16();
            for (uint16_t i = 0; i < n && !a.atEnd(); ++i) pool.push_back(a.string());
            break;
        }
        case 0x96: // Push
            while (!a.atEnd() && !a.overrun()) {
                uint8_t type = a.u8();
                switch (type) {
                case 0: stack.emplace_back(a.string()); break;
                case 1: stack.emplace_back(static_cast<double>(a.f32())); break;
                case 2:
                case 3: stack.emplace_back(std::monostate{}); break;
                case 4: a.u8(); stack.emplace_back(std::monostate{}); break;
                case 5: stack.emplace_back(a.u8() ? 1.0 : 0.0); break;
                case 6: {
                    // Doubles keep their two 32-bit halves swapped.
                    uint64_t hi = a.u32();
                    uint64_t lo = a.u32();
                    uint64_t bits = (hi << 32) | lo;
                    double d;
                    std::memcpy(&d, &bits, 8);
                    stack.emplace_back(d);
                    break;
                }
                case 7: stack.emplace_back(static_cast<double>(a.s32())); break;
                case 8:
                case 9: {
                    size_t idx = type == 8 ? a.u8() : a.u16();
                    stack.emplace_back(idx < pool.size() ? Value(pool[idx]) : Value());
                    break;
                }
                default: a.fail(); break;
                }
            }
            break;
        case 0x17: // Pop
            pop();
            break;
        case 0x12: // Not
            stack.emplace_back(truthy(pop()) ? 0.0 : 1.0);
            break;
        case 0x99: { // Jump
            int16_t off = a.s16();
            r.seek(static_cast<size_t>(std::max<int64_t>(0, static_cast<int64_t>(next) + off)));
            continue;
        }
        case 0x9D: { // If
            int16_t off = a.s16();
            if (truthy(pop())) {
                r.seek(static_cast<size_t>(std::max<int64_t>(0, static_cast<int64_t>(next) + off)));
                continue;
            }
            break;
        }
        case 0x9F: { // GotoFrame2
            uint8_t flags = a.u8();
            uint16_t bias = (flags & 0x02) ? a.u16() : 0;
            bool play = flags & 0x01;
            Value v = pop();
            if (!t) break;
            if (auto* d = std::get_if<double>(&v)) {
                if (t->timeline && std::isfinite(*d)) {
                    gotoClip(*t, static_cast<int>(std::clamp(*d, -1e6, 1e6)) - 1 + bias, true);
                    t->playing = play;
                }
            } else if (auto* s = std::get_if<std::string>(&v)) {
                // "path:frame" or a label; a number in text is a frame number.
                std::string frameText = *s;
                Clip* tc = t;
                size_t colon = s->rfind(':');
                if (colon != std::string::npos) {
                    tc = resolveTarget(*t, s->substr(0, colon));
                    frameText = s->substr(colon + 1);
                }
                if (!tc || !tc->timeline) break;
                char* end = nullptr;
                long n = std::strtol(frameText.c_str(), &end, 10);
                if (!frameText.empty() && end && *end == '\0') {
                    gotoClip(*tc, static_cast<int>(std::clamp<long>(n, -1000000, 1000000)) - 1 + bias, true);
                    tc->playing = play;
                } else {
                    gotoLabel(*tc, frameText, play);
                }
            }
            break;
        }
        default:
            // Anything beyond the timeline subset is skipped; its stack effect is unknown,
            // so values pushed for it are dropped.
            if (op < 0x80 && op != 0x0b) stack.clear();
            break;
        }
        r.seek(next);
    }
    --actionDepth_;
}

} // namespace swf
