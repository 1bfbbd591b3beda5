// The mouse over a movie: button states and the actions of button transitions.
#include "swf/display/player.h"

#include <functional>
#include <memory>

namespace swf {

std::shared_ptr<Clip> Player::buttonAt(double x, double y) {
    // Later (higher) depths draw on top, so the last button found is the topmost.
    std::shared_ptr<Clip> hit;
    std::function<void(Clip&, const Matrix&)> walk = [&](Clip& c, const Matrix& m) {
        for (auto& [depth, obj] : c.list) {
            if (!obj.visible || obj.clipDepth || !obj.clip) continue;
            Matrix w = m * obj.matrix;
            if (const ButtonDef* b = obj.clip->button) {
                for (const ButtonRecord& rec : b->records) {
                    if (!(rec.states & kButtonHit)) continue;
                    const Shape* s = movie_->get<Shape>(rec.characterId);
                    Matrix inv;
                    if (!s || !(w * rec.matrix).invert(inv)) continue;
                    double lx, ly;
                    inv.map(x, y, lx, ly);
                    if (lx >= s->bounds.xmin && lx <= s->bounds.xmax && ly >= s->bounds.ymin &&
                        ly <= s->bounds.ymax)
                        hit = obj.clip;
                }
            } else {
                walk(*obj.clip, w);
            }
        }
    };
    if (rootObject_.visible) walk(*root_, rootObject_.matrix);
    return hit;
}

void Player::runButtonActions(Clip& button, uint16_t condition) {
    Clip* target = button.parent; // button scripts act on the timeline holding the button
    if (!target) return;
    auto keep = target->shared_from_this(); // its scripts may remove it from its parent
    for (const ButtonAction& a : button.button->actions)
        if (a.conditions & condition) runActions(a.actions, *target);
    runQueue();
}

bool Player::mouseMove(double x, double y) {
    auto hit = buttonAt(x, y);
    auto old = hovered_.lock();
    if (old != hit) {
        if (old) {
            showButtonState(*old, kButtonUp);
            runButtonActions(*old, 0x0002); // rolled out
        }
        hovered_ = hit;
        if (hit) {
            const bool pressedHere = pressed_.lock() == hit;
            showButtonState(*hit, pressedHere ? kButtonDown : kButtonOver);
            runButtonActions(*hit, 0x0001); // rolled over
        }
    }
    return hit != nullptr;
}

bool Player::press(double x, double y) {
    mouseMove(x, y);
    auto hit = buttonAt(x, y);
    pressed_ = hit;
    if (!hit) return false;
    showButtonState(*hit, kButtonDown);
    runButtonActions(*hit, 0x0004);
    return true;
}

bool Player::release(double x, double y) {
    auto hit = buttonAt(x, y);
    auto pressed = pressed_.lock();
    pressed_.reset();
    // A release that was not preceded by a press on this button still counts as a
    // click on it (a press may have begun before the movie was shown).
    if (!hit || (pressed && pressed != hit)) return false;
    showButtonState(*hit, kButtonOver);
    hovered_ = hit;
    runButtonActions(*hit, 0x0008);
    return true;
}

} // namespace swf
