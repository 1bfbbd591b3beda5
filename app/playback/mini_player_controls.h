// The mini player's handlers, without the window: loading the current file, the playback
// commands, the half-second timer's duty and the commands that hand the movie to the
// full-screen player. The main window owns one, forwards its commands and its Timer1 to
// it, and keeps the loop flag loopPlay here.
#pragma once

#include "app/playback/mini_player_host.h"

namespace playback {

class MiniPlayerControls {
  public:
    explicit MiniPlayerControls(MiniPlayerHost& host) : host_(host) {}

    // Loads the current file into the mini player and plays it.
    void miniPlaying();

    // Playback commands.
    void toolbt9();  // Play
    void toolbt10(); // Pause
    void toolbt11(); // Stop, back to frame 1
    void toolbt12(); // jump back by an eighth
    void toolbt13(); // jump forward by an eighth
    void myLastFrame();
    void myNextFrame();
    void toolbt3(); // zoom out
    void toolbt4(); // zoom in
    void go_on() { toolbt9(); }
    void pause() { toolbt10(); }
    void Check1_Click();
    void mLoop_Click();
    void HScroll1_Scroll(int value);

    // Full-screen commands: write the start frame into beginat, then open full screen.
    void playthis();    // from the mini player's frame
    void playingmini(); // from frame 0
    void toolbt7();     // menu "Full Screen": from the mini player's frame
    void FlatBttn19();  // toolbar "Full Screen": as Check2 chooses
    void FlatBttn20();

    // Timer1, every 500 ms: position bar, counter and looping.
    void Timer1_Timer();

    bool loopPlay() const { return loopPlay_; }

  private:
    void openFullScreen(const QString& startFrame);

    MiniPlayerHost& host_;
    bool loopPlay_ = false;
};

} // namespace playback
