// Frame navigation and the timeline actions: where the playhead ends up, and that
// the picture of a frame does not depend on how it was reached.
#include "fixture.h"

#include "swf/writer/actions.h"

using namespace fixture;

namespace {

// A movie of ten root frames with a red square moving right, a sprite of four
// frames (its own square moving down) placed on frame 2, and labels.
std::vector<uint8_t> animated() {
    auto m = movie();
    m.add(rectShape(1, 0, 0, 10, 10, kRed));
    m.add(rectShape(2, 0, 0, 10, 10, kBlue));
    w::TimelineWriter sprite;
    sprite.place(1, 2, swf::Matrix::translate(1000, 0)).showFrame();
    for (int i = 1; i < 4; ++i) sprite.move(1, swf::Matrix::translate(1000, i * 200)).showFrame();
    m.add(w::defineSprite(3, sprite));
    m.place(1, 1).showFrame();
    m.place(2, 3).label("second").showFrame();
    for (int f = 3; f <= 10; ++f) {
        m.move(1, swf::Matrix::translate((f - 1) * 100, 0));
        if (f == 7) m.label("Seven");
        m.showFrame();
    }
    return m.bytes();
}

TEST(Timeline, FramesCountFromOneAndGotoClamps) {
    swf::Player p(load(animated()));
    EXPECT_EQ(p.totalFrames(), 10);
    EXPECT_EQ(p.currentFrame(), 1);
    p.gotoFrame(0);
    EXPECT_EQ(p.currentFrame(), 1);
    p.gotoFrame(99);
    EXPECT_EQ(p.currentFrame(), 10);
    p.gotoFrame(4);
    EXPECT_EQ(p.currentFrame(), 4);
}

TEST(Timeline, AFrameLooksTheSameWhetherPlayedOrJumpedTo) {
    auto bytes = animated();
    swf::Player played(load(bytes));
    for (int i = 1; i < 6; ++i) played.tick();
    ASSERT_EQ(played.currentFrame(), 6);

    swf::Player jumped(load(bytes));
    jumped.gotoFrame(6);
    QImage a = render(played), b = render(jumped);
    EXPECT_EQ(a, b);
}

TEST(Timeline, GoingBackKeepsInstancesPlacedOnTheSameFrame) {
    auto bytes = animated();
    swf::Player back(load(bytes));
    back.gotoFrame(9);
    const swf::Clip* sprite = back.root().list.at(2).clip.get();
    const int spriteFrame = sprite->frame;
    back.gotoFrame(6);
    // The sprite is the same instance and keeps its own frame; the shape moved by the
    // timeline stands where frame 6 puts it.
    EXPECT_EQ(back.root().list.at(2).clip.get(), sprite);
    EXPECT_EQ(sprite->frame, spriteFrame);
    EXPECT_EQ(back.root().list.at(1).matrix.tx, 500);
    back.gotoFrame(1);
    EXPECT_EQ(back.root().list.count(2), 0u);
}

TEST(Timeline, RootLoopsOrStopsAtTheEnd) {
    auto bytes = animated();
    swf::Player p(load(bytes));
    p.gotoFrame(10);
    p.tick();
    EXPECT_EQ(p.currentFrame(), 1);
    p.setLoop(false);
    p.gotoFrame(10);
    p.play();
    p.tick();
    EXPECT_EQ(p.currentFrame(), 10);
    EXPECT_FALSE(p.isPlaying());
}

TEST(Timeline, SpritesAdvanceOnTheirOwnAndWrap) {
    swf::Player p(load(animated()));
    p.gotoFrame(2);
    const swf::Clip* sprite = p.root().list.at(2).clip.get();
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->frame, 0);
    p.stop(); // a stopped root does not stop its sprites
    for (int i = 0; i < 5; ++i) p.tick();
    EXPECT_EQ(p.root().list.at(2).clip->frame, 5 % 4);
    EXPECT_EQ(p.currentFrame(), 2);
}

TEST(Timeline, OnlySpritesEndingInAShowFrameAndEndLoopAndTheTopDepthMovesFirst) {
    // Three two-frame sprites tracing their name on frame 2: "a" ends properly, "b"
    // has no End tag, "c" has actions after its last ShowFrame.
    auto traced = [](const char* text) {
        w::ActionBuilder t;
        t.push(text).op(0x26);
        return t;
    };
    auto m = movie(6);
    m.add(w::defineSprite(1, w::TimelineWriter().showFrame().actions(traced("a")).showFrame()));
    m.add(w::defineSprite(2, w::TimelineWriter().showFrame().actions(traced("b")).showFrame(), {}, false));
    m.add(w::defineSprite(3, w::TimelineWriter().showFrame().actions(traced("c"))));
    m.place(1, 1).place(2, 2).place(3, 3).showFrame();
    std::vector<std::string> lines;
    swf::ScriptOptions opts;
    opts.trace = [&](const std::string& l) { lines.push_back(l); };
    swf::Player p(load(m.bytes()), opts);
    for (int i = 0; i < 4; ++i) p.tick();
    // Ticks 1 and 3 show frame 2 of "a"; "b" and "c" stay on their last frame.
    EXPECT_EQ(lines, (std::vector<std::string>{"c", "b", "a", "a"}));
}

TEST(Timeline, ActionsStopAndJumpWhereTheAuthorSaid) {
    auto m = movie();
    m.add(rectShape(1, 0, 0, 10, 10, kRed)).place(1, 1).showFrame();       // 1
    m.actions(w::ActionBuilder().gotoLabel("end")).showFrame();              // 2: jump
    m.showFrame();                                                          // 3
    m.label("end").actions(w::ActionBuilder().stop()).showFrame();           // 4: stop
    m.actions(w::ActionBuilder().gotoFrame(0)).showFrame();                  // 5
    swf::Player p(load(m.bytes()));
    p.tick();
    EXPECT_EQ(p.currentFrame(), 4); // GotoLabel stops on the label's frame
    EXPECT_FALSE(p.isPlaying());
    p.play();
    p.tick();
    p.tick();
    EXPECT_EQ(p.currentFrame(), 1); // frame 5 went back to the first and stopped there
    EXPECT_FALSE(p.isPlaying());
}

TEST(Timeline, GotoFrame2WithConstantOperandsAndTargets) {
    auto m = movie();
    w::TimelineWriter sprite;
    sprite.showFrame(3);
    m.add(rectShape(1, 0, 0, 10, 10, kRed));
    m.add(w::defineSprite(2, sprite));
    w::Placement pl;
    pl.depth = 1;
    pl.character = 2;
    pl.name = "clip";
    m.add(w::placeObject2(pl));
    // Root: stop the sprite on its frame 3, then gotoAndPlay a label given as a string.
    m.actions(w::ActionBuilder().setTarget("clip").push(3.0).gotoFrame2(false).setTarget("")
                  .push("Last").gotoFrame2(true));
    m.showFrame().showFrame().label("last").actions(w::ActionBuilder().stop()).showFrame();
    swf::Player p(load(m.bytes()));
    EXPECT_EQ(p.currentFrame(), 3);
    EXPECT_FALSE(p.isPlaying());
    EXPECT_EQ(p.root().list.at(1).clip->frame, 2);
    EXPECT_FALSE(p.root().list.at(1).clip->playing);
}

TEST(Timeline, GotoFrame2ReadsItsFrameAsTextAndPastTheEndRunsNoScripts) {
    using PV = w::PushValue;
    namespace ac = w::actioncode;
    // Frame 1 jumps (stopping) to 2.5, undefined, false and 99, tracing _currentframe
    // after each; frames 2 and 3 carry the labels "undefined" and "false".
    w::ActionBuilder a;
    auto jump = [&](PV v) {
        a.push({v}).gotoFrame2(false);
        a.push({PV::string(""), PV::integer(4)}).op(ac::GetProperty).op(ac::Trace);
    };
    jump(PV::number(2.5)); // not all digits and no such label: nothing happens
    jump(PV::undefined());
    jump(PV::boolean(false));
    jump(PV::integer(99));
    auto say = [](const char* s) { return w::ActionBuilder().push(s).op(ac::Trace); };
    auto m = movie();
    m.actions(a).showFrame();
    m.label("undefined").actions(say("two")).showFrame();
    m.label("false").actions(say("three")).showFrame();
    m.actions(say("four")).showFrame();
    std::vector<std::string> lines;
    swf::ScriptOptions opts;
    opts.trace = [&](const std::string& l) { lines.push_back(l); };
    swf::Player p(load(m.bytes()), opts);
    EXPECT_EQ(p.currentFrame(), 4);
    EXPECT_EQ(lines, (std::vector<std::string>{"1", "2", "3", "4", "two", "three"}));
}

TEST(Timeline, ButtonShowsItsUpStateAndReleaseRunsItsActions) {
    auto m = movie();
    m.add(rectShape(1, 0, 0, 50, 50, kRed));
    m.add(rectShape(2, 0, 0, 50, 50, kBlue));
    std::vector<w::ButtonRecord> recs(2);
    recs[0].states = w::buttonstate::Up | w::buttonstate::HitTest;
    recs[0].character = 1;
    recs[1].states = w::buttonstate::Over | w::buttonstate::Down;
    recs[1].character = 2;
    recs[1].depth = 2;
    w::ButtonCondAction release;
    release.actions = w::ActionBuilder().play().bytes();
    m.add(w::defineButton2(3, recs, {release}));
    m.place(1, 3).actions(w::ActionBuilder().stop()).showFrame();
    m.showFrame();
    swf::Player p(load(m.bytes()));
    QImage img = render(p);
    EXPECT_TRUE(near(img.pixel(25, 25), kRed)); // up state, not over or down
    EXPECT_FALSE(p.isPlaying());
    EXPECT_FALSE(p.release(1500, 1500)); // outside the hit area
    EXPECT_FALSE(p.isPlaying());

    EXPECT_TRUE(p.mouseMove(500, 500)); // over: the over state shows
    EXPECT_TRUE(near(render(p).pixel(25, 25), kBlue));
    EXPECT_FALSE(p.mouseMove(1500, 1500)); // out again: up
    EXPECT_TRUE(near(render(p).pixel(25, 25), kRed));

    EXPECT_TRUE(p.press(500, 500));
    EXPECT_FALSE(p.release(1500, 1500)); // released elsewhere: no click
    EXPECT_FALSE(p.isPlaying());
    EXPECT_TRUE(p.press(500, 500));
    EXPECT_TRUE(p.release(500, 500));
    EXPECT_TRUE(p.isPlaying());
}

TEST(Timeline, ReplacingSwapsPlainCharactersButNeverAButtonForAShape) {
    auto m = movie();
    m.add(rectShape(1, 0, 0, 50, 50, kRed));
    m.add(rectShape(2, 0, 0, 50, 50, kBlue));
    std::vector<w::ButtonRecord> recs(1);
    recs[0].states = w::buttonstate::Up | w::buttonstate::HitTest;
    recs[0].character = 1;
    m.add(w::defineButton2(3, recs, {}));
    m.put(1, 3, {}).put(2, 1, swf::Matrix::translate(1000, 1000)).showFrame(); // button; red shape
    m.put(1, 2, {}).put(2, 2, swf::Matrix::translate(1000, 1000)).showFrame(); // both replaced by blue
    swf::Player p(load(m.bytes()));
    p.stop();
    p.gotoFrame(2);
    QImage img = render(p);
    EXPECT_TRUE(near(img.pixel(25, 25), kRed)); // the button stays
    EXPECT_TRUE(near(img.pixel(75, 75), kBlue)); // a shape becomes the other shape
}

TEST(Timeline, PlacingAtAnOccupiedDepthKeepsTheInstanceThere) {
    auto m = movie();
    m.add(rectShape(1, 0, 0, 50, 50, kRed));
    m.add(rectShape(2, 0, 0, 50, 50, kBlue));
    m.place(1, 1).place(1, 2).showFrame(); // the second placement is refused
    std::vector<std::string> lines;
    swf::ScriptOptions opts;
    opts.trace = [&](const std::string& l) { lines.push_back(l); };
    swf::Player p(load(m.bytes()), opts);
    EXPECT_EQ(p.root().list.at(1).characterId, 1);
    EXPECT_TRUE(near(render(p).pixel(25, 25), kRed));
    EXPECT_EQ(lines, std::vector<std::string>{"Warning: Failed to place object at depth 1."});
}

} // namespace
