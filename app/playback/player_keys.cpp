#include "app/playback/player_keys.h"

#include "app/playback/flash_player.h"

#include <QShortcut>

#include <algorithm>
#include <functional>

namespace playback {

void playOrPause(FlashPlayer& player) {
    if (player.IsPlaying())
        player.Stop();
    else
        player.Play();
}

void stepFrame(FlashPlayer& player, int frames) {
    if (player.TotalFrames() <= 0) return;
    player.setFrameNum(std::clamp(player.CurrentFrame() + frames, 1, player.TotalFrames()));
}

void toFirstFrame(FlashPlayer& player) {
    if (player.TotalFrames() > 0) player.setFrameNum(1);
}

void toLastFrame(FlashPlayer& player) {
    if (player.TotalFrames() > 0) player.setFrameNum(player.TotalFrames());
}

void addPlayerKeys(QWidget& window, FlashPlayer& player) {
    FlashPlayer* p = &player;
    const std::pair<QKeySequence, std::function<void()>> keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_P), [p] { playOrPause(*p); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Left), [p] { stepFrame(*p, -1); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Right), [p] { stepFrame(*p, 1); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Home), [p] { toFirstFrame(*p); }},
        {QKeySequence(Qt::CTRL | Qt::Key_End), [p] { toLastFrame(*p); }},
    };
    for (const auto& [sequence, action] : keys) {
        auto* shortcut = new QShortcut(sequence, &window);
        QObject::connect(shortcut, &QShortcut::activated, p, action);
    }
}

} // namespace playback
