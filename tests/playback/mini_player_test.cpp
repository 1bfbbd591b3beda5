// The mini player's handlers against a real player widget and a stand-in main window.
#include "app/playback/mini_player_controls.h"
#include "app/playback/playback_rules.h"
#include "playback_fixtures.h"

#include <gtest/gtest.h>

namespace {

using playback::MiniPlayerControls;
using playtest::FakeMiniHost;

class MiniPlayer : public ::testing::Test {
  protected:
    // Loads a movie of `frames` frames as the current file and shows `frame`, stopped.
    void load(int frames, int frame = 1) {
        host.current = movies.make(QString("m%1.swf").arg(frames), frames);
        controls.miniPlaying();
        host.player.Stop();
        host.player.setFrameNum(frame);
    }
    int frame() const { return host.player.FrameNum(); }

    playtest::Movies movies;
    FakeMiniHost host;
    MiniPlayerControls controls{host};
};

TEST(JumpRules, StepIsTheWholePartOfAnEighth) {
    EXPECT_EQ(playback::jumpStep(7), 0);
    EXPECT_EQ(playback::jumpStep(8), 1);
    EXPECT_EQ(playback::jumpStep(240), 30);
    // Back: never below 1 unless the step lands exactly on 0.
    EXPECT_EQ(playback::jumpBackFrame(3, 40), 1);
    EXPECT_EQ(playback::jumpBackFrame(5, 40), 0);
    EXPECT_EQ(playback::jumpBackFrame(20, 40), 15);
    // Forward: never past the last frame.
    EXPECT_EQ(playback::jumpForwardFrame(38, 40), 40);
    EXPECT_EQ(playback::jumpForwardFrame(35, 40), 40);
    EXPECT_EQ(playback::jumpForwardFrame(30, 40), 35);
}

TEST_F(MiniPlayer, ShortMoviesDoNotJump) {
    load(7, 4);
    controls.toolbt12();
    EXPECT_EQ(frame(), 4);
    controls.toolbt13();
    EXPECT_EQ(frame(), 4);
}

TEST_F(MiniPlayer, BackBelowTheStepGoesToFrameOne) {
    load(40, 3);
    controls.toolbt12();
    EXPECT_EQ(frame(), 1);
    host.player.setFrameNum(20);
    controls.toolbt12();
    EXPECT_EQ(frame(), 15);
}

TEST_F(MiniPlayer, ForwardStopsAtTheLastFrame) {
    load(40, 38);
    controls.toolbt13();
    EXPECT_EQ(frame(), 40);
    controls.toolbt13();
    EXPECT_EQ(frame(), 40);
}

TEST_F(MiniPlayer, PlaybackCommands) {
    load(40, 10);
    controls.toolbt9();
    EXPECT_TRUE(host.player.IsPlaying());
    controls.toolbt10();
    EXPECT_FALSE(host.player.IsPlaying());
    EXPECT_EQ(frame(), 10);
    controls.go_on();
    EXPECT_TRUE(host.player.IsPlaying());
    controls.pause();
    EXPECT_FALSE(host.player.IsPlaying());

    controls.myNextFrame();
    EXPECT_EQ(frame(), 11);
    controls.myLastFrame();
    controls.myLastFrame();
    EXPECT_EQ(frame(), 9);
    controls.HScroll1_Scroll(25);
    EXPECT_EQ(frame(), 25);

    controls.toolbt9();
    controls.toolbt11();
    EXPECT_FALSE(host.player.IsPlaying());
    EXPECT_EQ(frame(), 1);
}

TEST_F(MiniPlayer, MiniPlayingLoadsPlaysAndSizesThePositionBar) {
    host.current = movies.make("a.swf", 24);
    controls.miniPlaying();
    EXPECT_EQ(host.player.Movie(), host.current);
    EXPECT_TRUE(host.player.IsPlaying());
    EXPECT_EQ(host.positionMax, 24);

    // The bar counts in 16 bits: a longer movie leaves its maximum as it was.
    host.current = movies.make("long.swf", 40000);
    controls.miniPlaying();
    EXPECT_EQ(host.player.TotalFrames(), 40000);
    EXPECT_EQ(host.positionMax, 24);
}

TEST_F(MiniPlayer, CounterWithAndWithoutAMovie) {
    host.positionMax = 0;
    controls.Timer1_Timer();
    EXPECT_EQ(host.frameLabel, "0");
    EXPECT_EQ(host.counter, "0");
    EXPECT_EQ(host.positionValue, -100) << "-1 lies outside the bar's range";

    load(240, 37);
    controls.Timer1_Timer();
    EXPECT_EQ(host.frameLabel, "37");
    EXPECT_EQ(host.counter, "37/240");
    EXPECT_EQ(host.positionValue, 37);

    // A frame beyond the bar's maximum leaves the bar where it was.
    host.positionMax = 30;
    host.player.setFrameNum(31);
    controls.Timer1_Timer();
    EXPECT_EQ(host.positionValue, 37);
    EXPECT_EQ(host.counter, "31/240");
}

TEST_F(MiniPlayer, LoopCheckStartsOnlyAMovieNamedSwf) {
    load(40, 5);
    host.current = movies.folder(); // after a folder change: no movie name
    host.check1 = true;
    controls.Check1_Click();
    EXPECT_TRUE(controls.loopPlay());
    EXPECT_TRUE(host.mLoop);
    EXPECT_FALSE(host.player.IsPlaying());

    host.current = host.player.Movie();
    controls.Check1_Click();
    EXPECT_TRUE(host.player.IsPlaying());

    host.check1 = false;
    controls.Check1_Click();
    EXPECT_FALSE(controls.loopPlay());
    EXPECT_FALSE(host.mLoop);
}

TEST_F(MiniPlayer, LoopMenuTogglesBothSwitches) {
    load(40, 5);
    controls.mLoop_Click();
    EXPECT_TRUE(host.mLoop);
    EXPECT_TRUE(host.check1);
    EXPECT_TRUE(controls.loopPlay());
    EXPECT_TRUE(host.player.IsPlaying());

    controls.mLoop_Click();
    EXPECT_FALSE(host.mLoop);
    EXPECT_FALSE(host.check1);
    EXPECT_FALSE(controls.loopPlay());
}

TEST_F(MiniPlayer, TimerRestartsALoopingMovieAtItsEnd) {
    load(40, 40);
    host.check1 = true;
    controls.Check1_Click();
    host.player.Stop();
    controls.Timer1_Timer();
    EXPECT_EQ(frame(), 1);
    EXPECT_TRUE(host.player.IsPlaying());

    // Without the loop flag the end is left alone, but a checked box still plays on.
    MiniPlayerControls plain(host);
    host.player.setFrameNum(40);
    host.player.Stop();
    plain.Timer1_Timer();
    EXPECT_EQ(frame(), 40);
    EXPECT_TRUE(host.player.IsPlaying());

    host.check1 = false;
    host.player.Stop();
    plain.Timer1_Timer();
    EXPECT_FALSE(host.player.IsPlaying());
}

TEST_F(MiniPlayer, ZoomNeedsOnlyAMovieText) {
    controls.toolbt3();
    EXPECT_EQ(host.player.zoomFactor(), 1.0) << "nothing ever loaded";

    // A blanked player holds "0" and passes the test.
    host.player.setMovie("0");
    controls.toolbt3();
    EXPECT_EQ(host.player.zoomFactor(), 2.0);
    controls.toolbt4();
    controls.toolbt4();
    EXPECT_EQ(host.player.zoomFactor(), 0.5);
}

struct EntryCase {
    const char* name;
    void (MiniPlayerControls::*command)();
    enum { Movie, Blank, Nothing } player;
    const char* current; // "*" = the loaded movie
    bool check2;
    const char* beginat; // nullptr: full screen does not open
};

class FullScreenEntry : public MiniPlayer, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(FullScreenEntry, WritesTheStartFrameAndOpens) {
    const EntryCase& c = GetParam();
    if (c.player == EntryCase::Movie) load(40, 12);
    if (c.player == EntryCase::Blank) host.player.setMovie("0");
    host.current = QString(c.current) == "*" ? host.player.Movie() : QString(c.current);
    host.check2 = c.check2;
    (controls.*c.command)();
    if (!c.beginat) {
        EXPECT_TRUE(host.log.lines.empty());
        return;
    }
    EXPECT_EQ(host.log.lines,
              (std::vector<QString>{QString("beginat=") + c.beginat, "showForm2", "showForm3"}));
}

using C = MiniPlayerControls;
INSTANTIATE_TEST_SUITE_P(
    Commands, FullScreenEntry,
    ::testing::Values(
        EntryCase{"playthis", &C::playthis, EntryCase::Movie, "*", false, "12"},
        EntryCase{"playthisBlank", &C::playthis, EntryCase::Blank, "/f", false, "-1"},
        EntryCase{"playthisEmpty", &C::playthis, EntryCase::Nothing, "/f/a.swf", false, nullptr},
        EntryCase{"playingmini", &C::playingmini, EntryCase::Movie, "/f", false, "0"},
        EntryCase{"playingminiBlank", &C::playingmini, EntryCase::Blank, "/f", false, "0"},
        EntryCase{"playingminiEmpty", &C::playingmini, EntryCase::Nothing, "*", false, nullptr},
        EntryCase{"toolbt7", &C::toolbt7, EntryCase::Movie, "*", false, "12"},
        EntryCase{"toolbt7NoMovieName", &C::toolbt7, EntryCase::Movie, "/f", false, nullptr},
        EntryCase{"toolbt7Capitals", &C::toolbt7, EntryCase::Movie, "/f/A.SWF", false, nullptr},
        EntryCase{"toolbt7EmptyPlayer", &C::toolbt7, EntryCase::Nothing, "/f/a.swf", false, "-1"},
        EntryCase{"FlatBttn19Current", &C::FlatBttn19, EntryCase::Movie, "*", true, "12"},
        EntryCase{"FlatBttn19First", &C::FlatBttn19, EntryCase::Movie, "*", false, "0"},
        EntryCase{"FlatBttn19NoMovieName", &C::FlatBttn19, EntryCase::Movie, "/f", true, nullptr},
        EntryCase{"FlatBttn20", &C::FlatBttn20, EntryCase::Movie, "*", false, "0"},
        EntryCase{"FlatBttn20NoMovieName", &C::FlatBttn20, EntryCase::Movie, "/f", false, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
