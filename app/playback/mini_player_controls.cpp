#include "app/playback/mini_player_controls.h"

#include "app/playback/flash_player.h"
#include "app/playback/playback_rules.h"

#include <limits>

namespace playback {

void MiniPlayerControls::miniPlaying() {
    FlashPlayer& player = host_.miniPlayer();
    player.setMovie(host_.currentFile());
    player.Play();
    // The position bar counts in 16 bits: a longer movie leaves its maximum as it was.
    const int total = player.TotalFrames();
    if (total <= std::numeric_limits<int16_t>::max()) host_.setPositionMaximum(total);
}

void MiniPlayerControls::toolbt9() {
    host_.miniPlayer().Play();
}

void MiniPlayerControls::toolbt10() {
    host_.miniPlayer().Stop();
}

void MiniPlayerControls::toolbt11() {
    FlashPlayer& player = host_.miniPlayer();
    player.Stop();
    player.setFrameNum(1);
}

void MiniPlayerControls::toolbt12() {
    FlashPlayer& player = host_.miniPlayer();
    player.setFrameNum(jumpBackFrame(player.FrameNum(), player.TotalFrames()));
}

void MiniPlayerControls::toolbt13() {
    FlashPlayer& player = host_.miniPlayer();
    player.setFrameNum(jumpForwardFrame(player.FrameNum(), player.TotalFrames()));
}

void MiniPlayerControls::myLastFrame() {
    FlashPlayer& player = host_.miniPlayer();
    player.setFrameNum(player.CurrentFrame() - 1);
}

void MiniPlayerControls::myNextFrame() {
    FlashPlayer& player = host_.miniPlayer();
    player.setFrameNum(player.CurrentFrame() + 1);
}

// A blanked player holds "0", which is not empty: zoom is passed on then too.
void MiniPlayerControls::toolbt3() {
    if (!host_.miniPlayer().Movie().isEmpty()) host_.miniPlayer().Zoom(50);
}

void MiniPlayerControls::toolbt4() {
    if (!host_.miniPlayer().Movie().isEmpty()) host_.miniPlayer().Zoom(200);
}

void MiniPlayerControls::Check1_Click() {
    if (host_.loopChecked()) {
        loopPlay_ = true;
        host_.setLoopMenuChecked(true);
        if (endsWithSwfLetters(host_.currentFile())) host_.miniPlayer().Play();
    } else {
        host_.setLoopMenuChecked(false);
        loopPlay_ = false;
    }
}

// Setting Check1 runs its click handler, as a change of the box's value does, so the
// two controls always agree.
void MiniPlayerControls::mLoop_Click() {
    const bool wasChecked = host_.loopMenuChecked();
    host_.setLoopMenuChecked(!wasChecked);
    const bool boxChanged = host_.loopChecked() == wasChecked;
    host_.setLoopChecked(!wasChecked);
    if (boxChanged) Check1_Click();
    loopPlay_ = !wasChecked;
    if (!wasChecked) host_.miniPlayer().Play();
}

void MiniPlayerControls::HScroll1_Scroll(int value) {
    host_.miniPlayer().setFrameNum(value);
}

void MiniPlayerControls::openFullScreen(const QString& startFrame) {
    host_.setBeginat(startFrame);
    host_.showForm2();
    host_.showForm3();
}

void MiniPlayerControls::playthis() {
    if (!host_.miniPlayer().Movie().isEmpty())
        openFullScreen(QString::number(host_.miniPlayer().CurrentFrame()));
}

void MiniPlayerControls::playingmini() {
    if (!host_.miniPlayer().Movie().isEmpty()) openFullScreen(QStringLiteral("0"));
}

void MiniPlayerControls::toolbt7() {
    if (endsWithSwfLetters(host_.currentFile()))
        openFullScreen(QString::number(host_.miniPlayer().CurrentFrame()));
}

void MiniPlayerControls::FlatBttn19() {
    if (!endsWithSwfLetters(host_.currentFile())) return;
    if (host_.fromCurrentFrameChecked())
        playthis();
    else
        FlatBttn20();
}

void MiniPlayerControls::FlatBttn20() {
    if (endsWithSwfLetters(host_.currentFile())) playingmini();
}

void MiniPlayerControls::Timer1_Timer() {
    FlashPlayer& player = host_.miniPlayer();
    const int frame = player.FrameNum();
    if (frame >= 0 && frame <= host_.positionMaximum()) host_.setPositionValue(frame);
    host_.setFrameLabel(frame == -1 ? QStringLiteral("0") : QString::number(frame));
    host_.setCounterText(counterText(frame, player.TotalFrames()));
    if (loopPlay_) {
        if (player.FrameNum() == player.TotalFrames()) {
            player.setFrameNum(0);
            player.Play();
        }
        // The last-seen frame number is not carried from tick to tick: a movie slower
        // than two frames a second would otherwise be pushed on at every tick. What is
        // left is that frame 0 moves on to frame 1.
        if (player.FrameNum() == 0) player.setFrameNum(1);
    }
    if (host_.loopChecked()) player.Play();
}

} // namespace playback
