// What the players' shortcuts do to a player: the main window's mini player and the
// full-screen player share these.
#pragma once

class FlashPlayer;
class QWidget;

namespace playback {

void playOrPause(FlashPlayer& player);
// One frame back (-1) or forward (+1), within the movie.
void stepFrame(FlashPlayer& player, int frames);
void toFirstFrame(FlashPlayer& player);
void toLastFrame(FlashPlayer& player);

// Ctrl+P, Ctrl+Left, Ctrl+Right, Ctrl+Home and Ctrl+End on `window` drive `player`.
void addPlayerKeys(QWidget& window, FlashPlayer& player);

} // namespace playback
