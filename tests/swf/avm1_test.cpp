// The script machine: conversions, version rules, hostile action blocks, limits
// (time budget, recursion, memory) and what scripts may not do to the host.
#include "support/test_paths.h"

#include "swf/avm1/machine.h"
#include "swf/avm1/trace_run.h"
#include "swf/writer/actions.h"
#include "swf/writer/control.h"
#include "swf/writer/writer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

namespace {

namespace w = swf::writer;
namespace ac = swf::writer::actioncode;
using PV = w::PushValue;
using swf::avm1::numberToString;
using swf::avm1::stringToNumber;

swf::MoviePtr movieOf(const std::vector<std::vector<uint8_t>>& frames, uint8_t version = 8) {
    w::MovieWriter m(version, {0, 2000, 0, 2000}, 12);
    for (const auto& code : frames) {
        m.add(w::doAction(code));
        m.showFrame();
    }
    auto loaded = swf::loadMovie(m.bytes());
    return std::get<swf::MoviePtr>(loaded);
}

std::vector<std::string> trace(const w::ActionBuilder& a, uint8_t version = 8) {
    return swf::avm1::traceRun(movieOf({a.bytes()}, version), 1);
}

TEST(ScriptValues, NumbersPrintWithFifteenDigitsAndShortExponents) {
    EXPECT_EQ(numberToString(0.1), "0.1");
    EXPECT_EQ(numberToString(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(numberToString(1e21), "1e+21");
    EXPECT_EQ(numberToString(1e-7), "1e-7");
    EXPECT_EQ(numberToString(123456789012345680000.0), "1.23456789012346e+20");
    EXPECT_EQ(numberToString(123456789012345.0), "123456789012345");
    EXPECT_EQ(numberToString(-0.0), "0");
    EXPECT_EQ(numberToString(NAN), "NaN");
    EXPECT_EQ(numberToString(-INFINITY), "-Infinity");
    EXPECT_EQ(numberToString(4.94065645841247e-324), "4.94065645841247e-324");
}

TEST(ScriptValues, TextToNumberFollowsTheVersionRules) {
    EXPECT_EQ(stringToNumber("0x96", 6), 150);
    EXPECT_EQ(stringToNumber("010", 6), 8);
    EXPECT_TRUE(std::isnan(stringToNumber("0x96", 5)));
    EXPECT_EQ(stringToNumber("010", 5), 10);
    EXPECT_EQ(stringToNumber("  12", 7), 12);
    EXPECT_TRUE(std::isnan(stringToNumber("12a", 7)));
    EXPECT_TRUE(std::isnan(stringToNumber("", 7)));
    EXPECT_EQ(stringToNumber("", 4), 0);
    EXPECT_EQ(stringToNumber("1e3", 7), 1000);
}

TEST(ScriptValues, IntegerConversionsWrapAround) {
    EXPECT_EQ(swf::avm1::toInt32(4294967296.0 + 5), 5);
    EXPECT_EQ(swf::avm1::toInt32(2147483648.0), -2147483648);
    EXPECT_EQ(swf::avm1::toUint32(-1), 4294967295u);
    EXPECT_EQ(swf::avm1::toInt32(NAN), 0);
    EXPECT_EQ(swf::avm1::toInt32(-1.9), -1);
}

TEST(ScriptMachine, ArithmeticStringsAndVersionRules) {
    w::ActionBuilder a;
    a.push({PV::integer(1), PV::integer(2)}).op(ac::Add2).op(ac::Trace);
    a.push({PV::string("a"), PV::integer(1)}).op(ac::Add2).op(ac::Trace);
    a.push({PV::string(""), PV::undefined()}).op(ac::Add2).op(ac::Trace);
    a.push({PV::string("Foo"), PV::integer(5)}).op(ac::SetVariable);
    a.push({PV::string("foo")}).op(ac::GetVariable).op(ac::Trace);
    EXPECT_EQ(trace(a, 6), (std::vector<std::string>{"3", "a1", "", "5"}));
    // SWF 7: undefined reads "undefined" and names match with case.
    EXPECT_EQ(trace(a, 7), (std::vector<std::string>{"3", "a1", "undefined", "undefined"}));
}

TEST(ScriptMachine, FunctionsObjectsAndPrototypes) {
    w::ActionBuilder body;
    body.push({PV::string("x")}).op(ac::GetVariable).push({PV::integer(1)}).op(ac::Add2).op(ac::Return);
    w::ActionBuilder a;
    a.defineFunction("inc", {"x"}, body);
    a.push({PV::integer(41), PV::integer(1), PV::string("inc")}).op(ac::CallFunction).op(ac::Trace);
    // o = {}; o.__proto__ = {v: 7}; trace(o.v)
    a.push({PV::string("p"), PV::string("v"), PV::integer(7), PV::integer(1)}).op(0x43).op(ac::SetVariable);
    a.push({PV::string("o"), PV::integer(0)}).op(0x43).op(ac::SetVariable);
    a.push({PV::string("o")}).op(ac::GetVariable).push({PV::string("__proto__"), PV::string("p")}).op(ac::GetVariable).op(ac::SetMember);
    a.push({PV::string("o")}).op(ac::GetVariable).push({PV::string("v")}).op(ac::GetMember).op(ac::Trace);
    // A prototype chain that loops stops the scripts instead of hanging: nothing after
    // the look-up runs.
    a.push({PV::string("p")}).op(ac::GetVariable).push({PV::string("__proto__"), PV::string("o")}).op(ac::GetVariable).op(ac::SetMember);
    a.push({PV::string("o")}).op(ac::GetVariable).push({PV::string("missing")}).op(ac::GetMember).op(ac::Trace);
    a.push({PV::string("after")}).op(ac::Trace);
    EXPECT_EQ(trace(a), (std::vector<std::string>{"42", "7"}));
}

TEST(ScriptMachine, HostileBlocksEndWithoutHarm) {
    std::vector<std::vector<uint8_t>> blocks = {
        {0x99, 0x02, 0x00, 0xff, 0x7f},             // jump far past the end
        {0x99, 0x02, 0x00, 0x00, 0x80},             // jump far before the start
        {0x96, 0xff, 0xff, 0x00},                   // push longer than the block
        {0x96, 0x02, 0x00, 0x0b, 0x01},             // push of an unknown type
        {0x9b, 0x08, 0x00, 'f', 0, 0, 0, 0xff, 0xff}, // function body past the end
        {0x94, 0x02, 0x00, 0xff, 0xff},             // with body past the end, nothing on the stack
        {0x8f, 0x07, 0x00, 0x07, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}, // try sizes past the end
        {0x0a, 0x0b, 0x3d, 0x52, 0x40, 0x4e, 0x4f, 0x17, 0x26, 0x42, 0x43, 0x46, 0x55}, // stack underflow
        {0x88, 0xff, 0xff, 'a', 0},                 // constant pool claiming more entries
        {0x96, 0x02, 0x00, 0x08, 0x09, 0x26},       // constant beyond the pool
        {0x96, 0x03, 0x00, 0x00, '1', 0x00, 0x9e, 0x00, 0x00}, // frame 1 calls itself, without end
        {0x96, 0x0b, 0x00, 0x00, 0x00, 0x06, 0x44, 0xd8, 0xff, 0xf3, 0x13, 0x48, 0xf3, 0x6d, 0x22}, // property number -5.7e250
        {0x96, 0x10, 0x00, 0x00, 0x00, 0x06, 0x44, 0xd8, 0xff, 0xf3, 0x13, 0x48, 0xf3, 0x6d, 0x07, 1, 0, 0, 0, 0x23}, // set it
        {0x96, 0x0e, 0x00, 0x00, 0x00, 0x00, 'a', 0x00, 0x06, 0x44, 0xd8, 0xff, 0xf3, 0x13, 0x48, 0xf3, 0x6d, 0x24}, // clone to that depth
    };
    for (const auto& b : blocks) {
        auto movie = movieOf({b, b});
        swf::Player p(movie);
        p.tick();
        p.gotoFrame(1);
        SUCCEED();
    }
}

// Plays a first frame that never ends its scripts with a 0.05 s budget: how long the
// frame took and what the second frame traced.
std::pair<double, std::vector<std::string>> runawayThenFrameTwo(const w::ActionBuilder& frame1) {
    w::ActionBuilder after;
    after.push({PV::string("frame 2")}).op(ac::Trace);
    auto movie = movieOf({frame1.bytes(), after.bytes()});
    std::vector<std::string> lines;
    swf::ScriptOptions opts;
    opts.frameBudgetSeconds = 0.05;
    opts.trace = [&](const std::string& l) { lines.push_back(l); };
    auto start = std::chrono::steady_clock::now();
    swf::Player p(movie, opts);
    p.tick();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), lines};
}

TEST(ScriptMachine, RunawayScriptsSpendTheirBudgetAndTheMovieGoesOn) {
    w::ActionBuilder empty;
    empty.jumpBack(empty.size());

    // Each step builds a 64 MB string: the clock must be read before a thousand such steps.
    w::ActionBuilder strings;
    strings.push({PV::string("s"), PV::string("x")}).op(ac::SetVariable);
    auto doubleInto = [&](const char* to) {
        strings.push({PV::string(to), PV::string("s")}).op(ac::GetVariable).push("s").op(ac::GetVariable)
            .op(ac::Add2).op(ac::SetVariable);
    };
    for (int i = 0; i < 25; ++i) doubleInto("s");
    size_t top = strings.size();
    doubleInto("t");
    strings.jumpBack(top);

    // One join walks eight million elements: the clock is read inside it too.
    w::ActionBuilder joins;
    joins.push({PV::string("a"), PV::integer(0), PV::string("Array")}).op(ac::NewObject).op(ac::SetVariable);
    joins.push({PV::string("a")}).op(ac::GetVariable).push({PV::string("length"), PV::integer(8000000)})
        .op(ac::SetMember);
    top = joins.size();
    joins.push({PV::string("t"), PV::integer(0), PV::string("a")}).op(ac::GetVariable).push("join")
        .op(ac::CallMethod).op(ac::SetVariable);
    joins.jumpBack(top);

    for (const auto* frame1 : {&empty, &strings, &joins}) {
        auto [secs, lines] = runawayThenFrameTwo(*frame1);
        EXPECT_LT(secs, 3.0); // the budget is 0.05 s; reading the clock too seldom takes minutes here
        EXPECT_EQ(lines, std::vector<std::string>{"frame 2"});
    }
}

TEST(ScriptMachine, RecursionIsRefusedPastTheLimit) {
    // function r() { trace("r"); r(); } r(); trace("after");
    w::ActionBuilder body;
    body.push({PV::string("r")}).op(ac::Trace).push({PV::integer(0), PV::string("r")}).op(ac::CallFunction).op(ac::Pop);
    w::ActionBuilder a;
    a.defineFunction("r", {}, body);
    a.push({PV::integer(0), PV::string("r")}).op(ac::CallFunction).op(ac::Pop);
    auto lines = trace(a);
#if !defined(__SANITIZE_ADDRESS__) && !defined(REELVISTA_SANITIZED_ENGINE)
    // With the address sanitizer every call takes many times the stack, so the guard on
    // the thread's stack refuses calls well before the call limit there.
    EXPECT_GT(lines.size(), 100u);
#endif
    EXPECT_GT(lines.size(), 10u);
    EXPECT_LT(lines.size(), 257u);
    // The block that overflowed stops; the next frame's scripts run.
    w::ActionBuilder next;
    next.push({PV::string("next")}).op(ac::Trace);
    auto more = swf::avm1::traceRun(movieOf({a.bytes(), next.bytes()}), 2);
    EXPECT_EQ(more.back(), "next");
}

TEST(ScriptMachine, ObjectCyclesAreCollected) {
    // 300000 times: a = {}; b = {}; a.b = b; b.a = a (kept in registers only)
    w::ActionBuilder a;
    a.push({PV::integer(0)}).storeRegister(1).op(ac::Pop);
    size_t top = a.size();
    a.push({PV::integer(0)}).op(0x43).storeRegister(2).op(ac::Pop);
    a.push({PV::integer(0)}).op(0x43).storeRegister(3).op(ac::Pop);
    a.push({PV::reg(2), PV::string("b"), PV::reg(3)}).op(ac::SetMember);
    a.push({PV::reg(3), PV::string("a"), PV::reg(2)}).op(ac::SetMember);
    a.push({PV::reg(1)}).op(ac::Increment).storeRegister(1).op(ac::Pop);
    a.push({PV::reg(1), PV::integer(300000)}).op(ac::Less2).ifTrueBack(top);
    a.push({PV::string("done")}).op(ac::Trace);
    std::vector<std::string> lines;
    swf::ScriptOptions opts;
    opts.trace = [&](const std::string& l) { lines.push_back(l); };
    opts.frameBudgetSeconds = 600; // a slow (sanitized, busy) machine must not run out of time
    swf::Player p(movieOf({a.bytes()}), opts);
    EXPECT_EQ(lines, std::vector<std::string>{"done"});
    EXPECT_LT(p.machine().heap().count(), 400000u);
}

TEST(ScriptMachine, ScriptsStartNoProgramAndOpenAddressesOnlyThroughTheHost) {
    w::ActionBuilder a;
    a.getUrl("FSCommand:exec", "xterm");
    a.getUrl("FSCommand:quit", "");
    a.getUrl("http://example.com/", "_blank");
    a.push({PV::string("https://example.org/"), PV::string("_self")}).op(ac::GetURL2, std::vector<uint8_t>{0});
    std::vector<std::string> asked;
    swf::ScriptOptions opts;
    opts.openUrl = [&](const std::string& url, const std::string&) {
        asked.push_back(url);
        return false;
    };
    swf::Player p(movieOf({a.bytes()}), opts);
    EXPECT_EQ(asked, (std::vector<std::string>{"http://example.com/", "https://example.org/"}));
    swf::Player refused(movieOf({a.bytes()})); // no host callback: nothing is opened
    SUCCEED();
}

TEST(ScriptMachine, ClipsMadeAndDrawnByScripts) {
    // c = _root.createEmptyMovieClip("c", 1); c.beginFill(0xff0000); c.lineTo(...)...; trace(c._width)
    w::ActionBuilder a;
    a.push({PV::integer(1), PV::string("c"), PV::integer(2), PV::string("_root")}).op(ac::GetVariable);
    a.push({PV::string("createEmptyMovieClip")}).op(ac::CallMethod).storeRegister(1).op(ac::Pop);
    a.push({PV::integer(0xff0000), PV::integer(1), PV::reg(1), PV::string("beginFill")}).op(ac::CallMethod).op(ac::Pop);
    auto lineTo = [&](int x, int y) {
        a.push({PV::integer(y), PV::integer(x), PV::integer(2), PV::reg(1), PV::string("lineTo")}).op(ac::CallMethod).op(ac::Pop);
    };
    lineTo(40, 0);
    lineTo(40, 30);
    lineTo(0, 30);
    a.push({PV::integer(0), PV::reg(1), PV::string("endFill")}).op(ac::CallMethod).op(ac::Pop);
    a.push({PV::reg(1), PV::string("_width")}).op(ac::GetMember).op(ac::Trace);
    a.push({PV::reg(1)}).op(ac::Trace);
    a.push({PV::reg(1), PV::string("_x"), PV::integer(15)}).op(ac::SetMember);
    std::vector<std::string> lines;
    swf::ScriptOptions opts;
    opts.trace = [&](const std::string& l) { lines.push_back(l); };
    swf::Player p(movieOf({a.bytes()}), opts);
    EXPECT_EQ(lines, (std::vector<std::string>{"40", "_level0.c"}));
    ASSERT_EQ(p.root().list.count(swf::kScriptDepthBase + 1), 1u);
    const auto& obj = p.root().list.at(swf::kScriptDepthBase + 1);
    ASSERT_TRUE(obj.clip && obj.clip->drawing);
    EXPECT_FALSE(obj.clip->drawing->shape.paths.empty());
    EXPECT_EQ(obj.matrix.tx, 300);
}

TEST(ScriptMachine, AFunctionOutlivingItsClipWorksOnTheClipPlacedAtItsPath) {
    // Sprite 1 defines _global.f = function() { trace(getProperty("", _x)); } on its
    // frame; the root places it as "a", removes it, then places sprite 2 as "a".
    w::ActionBuilder body;
    body.push({PV::string(""), PV::integer(0)}).op(ac::GetProperty).op(ac::Trace);
    w::ActionBuilder define;
    define.push({PV::string("_global")}).op(ac::GetVariable).push({PV::string("f")});
    define.defineFunction("", {}, body).op(ac::SetMember);
    w::ActionBuilder call;
    call.push({PV::integer(0), PV::string("f")}).op(ac::CallFunction).op(ac::Pop);
    w::TimelineWriter sprite;
    sprite.actions(define).showFrame();
    w::MovieWriter m(8, {0, 2000, 0, 2000}, 12);
    m.add(w::defineSprite(1, sprite));
    m.add(w::defineSprite(2, w::TimelineWriter().showFrame()));
    auto placeA = [&](uint16_t character, double x) {
        w::Placement pl;
        pl.character = character;
        pl.matrix = swf::Matrix::translate(x * 20, 0);
        pl.name = "a";
        m.add(w::placeObject2(pl));
    };
    placeA(1, 10);
    m.showFrame();
    m.actions(call).showFrame();
    m.remove(1).showFrame();
    placeA(2, 30);
    m.actions(call).showFrame();
    auto lines = swf::avm1::traceRun(std::get<swf::MoviePtr>(swf::loadMovie(m.bytes())), 4);
    EXPECT_EQ(lines, (std::vector<std::string>{"10", "30"}));
}

TEST(ScriptMachine, AClipKeptThroughARewindIsTheClipPlacedAgainAtItsPath) {
    // Frame 1 places sprite "c" and traces kept === c, kept.getDepth(), c.getDepth().
    // Frame 2: c.swapDepths(0); _global.kept = c; gotoAndStop(1): the rewind keeps the
    // swapped clip at its script depth and frame 1 places a second "c".
    auto kept = [](w::ActionBuilder& a) {
        a.push({PV::string("_global")}).op(ac::GetVariable).push({PV::string("kept")}).op(ac::GetMember);
    };
    w::ActionBuilder first;
    kept(first);
    first.push({PV::string("c")}).op(ac::GetVariable).op(0x66).op(ac::Trace);
    first.push({PV::integer(0)});
    kept(first);
    first.push({PV::string("getDepth")}).op(ac::CallMethod).op(ac::Trace);
    first.push({PV::integer(0), PV::string("c")}).op(ac::GetVariable).push({PV::string("getDepth")});
    first.op(ac::CallMethod).op(ac::Trace);
    w::ActionBuilder second;
    second.push({PV::integer(0), PV::integer(1), PV::string("c")}).op(ac::GetVariable);
    second.push({PV::string("swapDepths")}).op(ac::CallMethod).op(ac::Pop);
    second.push({PV::string("_global")}).op(ac::GetVariable).push({PV::string("kept"), PV::string("c")});
    second.op(ac::GetVariable).op(ac::SetMember).gotoFrame(0).stop();
    w::MovieWriter m(8, {0, 2000, 0, 2000}, 12);
    m.add(w::defineSprite(1, w::TimelineWriter().showFrame()));
    w::Placement pl;
    pl.character = 1;
    pl.name = "c";
    m.add(w::placeObject2(pl)).actions(first).showFrame();
    m.actions(second).showFrame();
    auto lines = swf::avm1::traceRun(std::get<swf::MoviePtr>(swf::loadMovie(m.bytes())), 2);
    EXPECT_EQ(lines, (std::vector<std::string>{"false", "undefined", "-16383", "true", "0", "-16383"}));
}

TEST(ScriptMachine, BeforeSwf6AButtonIsTheClipItIsOn) {
    // A sprite shown by button "b" traces typeof _parent and _parent._name; _root.b
    // is traced too.
    auto run = [](uint8_t version) {
        w::ActionBuilder a;
        a.push({PV::string("_parent")}).op(ac::GetVariable).op(0x44).op(ac::Trace);
        a.push({PV::string("_parent")}).op(ac::GetVariable).push({PV::string("_name")}).op(ac::GetMember).op(ac::Trace);
        a.push({PV::string("_root")}).op(ac::GetVariable).push({PV::string("b")}).op(ac::GetMember).op(0x44).op(ac::Trace);
        w::MovieWriter m(version, {0, 2000, 0, 2000}, 12);
        m.add(w::defineSprite(1, w::TimelineWriter().actions(a).showFrame()));
        std::vector<w::ButtonRecord> recs(1);
        recs[0].states = w::buttonstate::Up | w::buttonstate::HitTest;
        recs[0].character = 1;
        m.add(w::defineButton2(2, recs, {}));
        w::Placement pl;
        pl.character = 2;
        pl.name = "b";
        m.add(w::placeObject2(pl)).showFrame();
        return swf::avm1::traceRun(std::get<swf::MoviePtr>(swf::loadMovie(m.bytes())), 1);
    };
    EXPECT_EQ(run(5), (std::vector<std::string>{"movieclip", "", "movieclip"}));
    EXPECT_EQ(run(6), (std::vector<std::string>{"object", "b", "object"}));
}

TEST(ScriptMachine, InitializeHandlersOfAFramesPlacementsRunBeforeAnythingElse) {
    // Sprite 1 traces "S" on its frame; "a" answers initialize and construct, "b"
    // initialize only.
    auto traced = [](const char* text) {
        w::ActionBuilder t;
        t.push(text).op(ac::Trace);
        return t.bytes();
    };
    w::MovieWriter m(8, {0, 2000, 0, 2000}, 12);
    w::ActionBuilder s;
    s.push("S").op(ac::Trace);
    m.add(w::defineSprite(1, w::TimelineWriter().actions(s).showFrame()));
    auto place = [&](uint16_t depth, const char* name, std::vector<w::ClipActionRecord> records) {
        w::Placement pl;
        pl.depth = depth;
        pl.character = 1;
        pl.name = name;
        pl.clipActions = w::ClipActions{std::move(records)};
        m.add(w::placeObject2(pl));
    };
    place(1, "a", {{w::clipevent::Initialize, 0, traced("a init")}, {w::clipevent::Construct, 0, traced("a construct")}});
    place(2, "b", {{w::clipevent::Initialize, 0, traced("b init")}});
    m.showFrame();
    auto lines = swf::avm1::traceRun(std::get<swf::MoviePtr>(swf::loadMovie(m.bytes())), 1);
    EXPECT_EQ(lines, (std::vector<std::string>{"a init", "b init", "a construct", "S", "S"}));
}

TEST(ScriptMachine, AClipAnswersLevelNamesThenChildrenThenItsProperties) {
    // _root.createEmptyMovieClip("_x", 1); h = _root.createEmptyMovieClip("h", 2);
    // h.createEmptyMovieClip("a", 1); h.createEmptyMovieClip("b", 2); h.foo = 1
    w::ActionBuilder a;
    auto make = [&](PV parent, const char* name, int depth) {
        a.push({PV::integer(depth), PV::string(name), PV::integer(2), parent});
        if (parent.type == 0) a.op(ac::GetVariable); // a variable's name, not a register
        a.push("createEmptyMovieClip").op(ac::CallMethod);
    };
    make(PV::string("_root"), "_x", 1);
    a.op(ac::Pop);
    make(PV::string("_root"), "h", 2);
    a.storeRegister(1).op(ac::Pop);
    make(PV::reg(1), "a", 1);
    a.op(ac::Pop);
    make(PV::reg(1), "b", 2);
    a.op(ac::Pop);
    a.push({PV::reg(1), PV::string("foo"), PV::integer(1)}).op(ac::SetMember);
    // trace(_root._x); _root._x = 42 (the property); trace(_flash0a); trace(_level4294967297)
    a.push({PV::string("_root")}).op(ac::GetVariable).push("_x").op(ac::GetMember).op(ac::Trace);
    a.push({PV::string("_root")}).op(ac::GetVariable).push({PV::string("_x"), PV::integer(42)}).op(ac::SetMember);
    a.push("_flash0a").op(ac::GetVariable).op(ac::Trace);
    a.push("_level4294967297").op(ac::GetVariable).op(ac::Trace);
    // for (k in h) trace(k): the names come off the stack down to null.
    a.push({PV::reg(1)}).op(0x55);
    for (int i = 0; i < 4; ++i) a.op(ac::Trace);
    std::vector<std::string> lines;
    swf::ScriptOptions opts;
    opts.trace = [&](const std::string& l) { lines.push_back(l); };
    swf::Player p(movieOf({a.bytes()}), opts);
    EXPECT_EQ(lines, (std::vector<std::string>{"_level0._x", "_level0", "undefined", "foo", "b", "a", "null"}));
    EXPECT_EQ(p.rootObject().matrix.tx, 840);
}

} // namespace

namespace {

// new flash.geom.CLASS(args...), left on the stack.
void newGeom(w::ActionBuilder& a, std::string_view cls, std::initializer_list<double> args) {
    for (auto it = std::rbegin(args); it != std::rend(args); ++it) a.push(*it);
    a.push({PV::integer(static_cast<int32_t>(args.size())), PV::string("flash")}).op(ac::GetVariable);
    a.push("geom").op(ac::GetMember).push(cls).op(0x53);
}

// obj.method() with the object on the stack, the result traced.
void callTraced(w::ActionBuilder& a, std::string_view method) {
    a.storeRegister(1).op(ac::Pop);
    a.push({PV::integer(0), PV::reg(1), PV::string(method)}).op(ac::CallMethod).op(ac::Trace);
}

} // namespace

TEST(ScriptLibrary, GeometryPointsMeasureMoveAndCompare) {
    w::ActionBuilder a;
    newGeom(a, "Point", {3, 4});
    a.push("length").op(ac::GetMember).op(ac::Trace);
    // Point.distance(new Point(1, 1), new Point(4, 5))
    newGeom(a, "Point", {4, 5});
    newGeom(a, "Point", {1, 1});
    a.push({PV::integer(2), PV::string("flash")}).op(ac::GetVariable).push("geom").op(ac::GetMember);
    a.push("Point").op(ac::GetMember).push("distance").op(ac::CallMethod).op(ac::Trace);
    // Point.interpolate(new Point(10, 0), new Point(0, 10), 0.25)
    a.push(0.25);
    newGeom(a, "Point", {0, 10});
    newGeom(a, "Point", {10, 0});
    a.push({PV::integer(3), PV::string("flash")}).op(ac::GetVariable).push("geom").op(ac::GetMember);
    a.push("Point").op(ac::GetMember).push("interpolate").op(ac::CallMethod).op(ac::Trace);
    // new Point(3, 4).normalize(10), then the point
    newGeom(a, "Point", {3, 4});
    a.storeRegister(2).op(ac::Pop);
    a.push({PV::integer(10), PV::integer(1), PV::reg(2), PV::string("normalize")}).op(ac::CallMethod).op(ac::Pop);
    a.push({PV::reg(2)}).op(ac::Trace);
    newGeom(a, "Point", {});
    callTraced(a, "clone");
    EXPECT_EQ(trace(a), (std::vector<std::string>{"5", "5", "(x=2.5, y=7.5)", "(x=6, y=8)", "(x=0, y=0)"}));
}

TEST(ScriptLibrary, ATransformWritesItsClipsPlaceOnTheDisplayList) {
    // c = _root.createEmptyMovieClip("c", 1); c.transform.matrix = new Matrix(2, 0, 0, 3, 5, 6);
    // c.transform.colorTransform = new ColorTransform(0.5, 1, 1, 1, 10, 0, 0, 0)
    w::ActionBuilder a;
    a.push({PV::integer(1), PV::string("c"), PV::integer(2), PV::string("_root")}).op(ac::GetVariable);
    a.push({PV::string("createEmptyMovieClip")}).op(ac::CallMethod).storeRegister(1).op(ac::Pop);
    a.push({PV::reg(1), PV::string("transform")}).op(ac::GetMember).push("matrix");
    newGeom(a, "Matrix", {2, 0, 0, 3, 5, 6});
    a.op(ac::SetMember);
    a.push({PV::reg(1), PV::string("transform")}).op(ac::GetMember).push("colorTransform");
    newGeom(a, "ColorTransform", {0.5, 1, 1, 1, 10, 0, 0, 0});
    a.op(ac::SetMember);
    for (const char* p : {"_x", "_xscale", "_yscale"}) a.push({PV::reg(1), PV::string(p)}).op(ac::GetMember).op(ac::Trace);
    a.push({PV::reg(1), PV::string("transform")}).op(ac::GetMember).push("concatenatedColorTransform").op(ac::GetMember).op(ac::Trace);
    std::vector<std::string> lines;
    swf::ScriptOptions opts;
    opts.trace = [&](const std::string& l) { lines.push_back(l); };
    swf::Player p(movieOf({a.bytes()}), opts);
    EXPECT_EQ(lines, (std::vector<std::string>{"5", "200", "300",
                                               "(redMultiplier=0.5, greenMultiplier=1, blueMultiplier=1, alphaMultiplier=1, "
                                               "redOffset=10, greenOffset=0, blueOffset=0, alphaOffset=0)"}));
    const auto& obj = p.root().list.at(swf::kScriptDepthBase + 1);
    EXPECT_EQ(obj.matrix.ty, 120);
    EXPECT_EQ(obj.colorTransform.rMul, 128);
}

TEST(ScriptLibrary, TheRootIsPlacedLikeAnyClip) {
    // _root._x = 10; c = _root.createEmptyMovieClip("c", 1); c._x = 5;
    // trace(_root._x); trace(c.transform.concatenatedMatrix.tx)
    w::ActionBuilder a;
    a.push({PV::string("_root")}).op(ac::GetVariable).push({PV::string("_x"), PV::integer(10)}).op(ac::SetMember);
    a.push({PV::integer(1), PV::string("c"), PV::integer(2), PV::string("_root")}).op(ac::GetVariable);
    a.push({PV::string("createEmptyMovieClip")}).op(ac::CallMethod).storeRegister(1).op(ac::Pop);
    a.push({PV::reg(1), PV::string("_x"), PV::integer(5)}).op(ac::SetMember);
    a.push({PV::string("_root")}).op(ac::GetVariable).push("_x").op(ac::GetMember).op(ac::Trace);
    a.push({PV::reg(1), PV::string("transform")}).op(ac::GetMember).push("concatenatedMatrix").op(ac::GetMember);
    a.push("tx").op(ac::GetMember).op(ac::Trace);
    std::vector<std::string> lines;
    swf::ScriptOptions opts;
    opts.trace = [&](const std::string& l) { lines.push_back(l); };
    swf::Player p(movieOf({a.bytes()}), opts);
    EXPECT_EQ(lines, (std::vector<std::string>{"10", "15"}));
    EXPECT_EQ(p.rootObject().matrix.tx, 200); // the whole movie is drawn moved
}

TEST(ScriptLibrary, NativeTableEntriesFollowTheMoviesVersion) {
    // o = {}; ASSetNative(o, 200, "sqrt2,8round2", 9); trace(o.sqrt2(16)); trace(typeof o.round2)
    w::ActionBuilder a;
    a.push({PV::integer(0)}).op(0x43).storeRegister(1).op(ac::Pop);
    a.push({PV::integer(9), PV::string("sqrt2,8round2"), PV::integer(200), PV::reg(1), PV::integer(4),
            PV::string("ASSetNative")}).op(ac::CallFunction).op(ac::Pop);
    a.push({PV::integer(16), PV::integer(1), PV::reg(1), PV::string("sqrt2")}).op(ac::CallMethod).op(ac::Trace);
    a.push({PV::reg(1), PV::string("round2")}).op(ac::GetMember).op(0x44).op(ac::Trace);
    EXPECT_EQ(trace(a, 7), (std::vector<std::string>{"4", "undefined"}));
    EXPECT_EQ(trace(a, 8), (std::vector<std::string>{"4", "function"}));
}

// The global object and every class reachable from it, as names in order.
std::string libraryDump(swf::avm1::Machine& m) {
    std::string out;
    auto names = [](swf::avm1::Object* o) {
        std::string s;
        for (const auto& p : o->props) s += p.name + "/" + std::to_string(p.flags) + " ";
        return s;
    };
    swf::avm1::Object* g = m.exposedGlobal();
    out += names(g) + "\n";
    for (const auto& p : g->props) {
        if (!p.value.isObject()) continue;
        swf::avm1::Object* o = p.value.o;
        out += p.name + ": " + names(o) + "\n";
        for (const auto& q : o->props)
            if (q.value.isObject()) out += p.name + "." + q.name + ": " + names(q.value.o) + "\n";
    }
    return out;
}

TEST(ScriptLibrary, BuiltInsMadeOnFirstUseMatchEveryOrderOfUse) {
    for (uint8_t version : {5, 6, 8, 10}) {
        auto movie = movieOf({}, version);
        swf::Player all(movie);
        const std::string expected = libraryDump(all.machine());
        // The classes asked for one by one, in an order unlike the library's.
        swf::Player some(movie);
        auto& m = some.machine();
        swf::avm1::Object* g = m.global();
        for (const char* name : {"Sound", "flash", "XML", "TextField", "Date", "Key", "ASnative", "Array"})
            m.getOf(g, name, swf::avm1::Value(g));
        m.proto("MovieClip");
        EXPECT_EQ(libraryDump(m), expected) << "version " << int(version);
        // A class whose members other groups add has them when it is the only one used.
        swf::Player one(movie);
        auto* clipProto = one.machine().proto("MovieClip");
        EXPECT_EQ(one.machine().hasOwn(clipProto, "transform"), version >= 8) << "version " << int(version);
        EXPECT_TRUE(one.machine().hasOwn(clipProto, "createTextField")) << "version " << int(version);
    }
}

TEST(ScriptLibrary, ArrayMethodsSortLikeThePlayerAndSeeTheStoredElements) {
    using swf::avm1::Value;
    swf::Player p(movieOf({}, 8));
    auto& m = p.machine();
    // Equal keys (Latin-1 letters fold too) come out in the order the player's
    // quicksort leaves them, which is not the order they came in.
    Value list(m.newArray({Value("\u00fe"), Value("\u00e9"), Value("\u00c9"), Value("\u00de")}));
    Value flags(1); // Array.CASEINSENSITIVE
    m.callMethod(list, "sort", std::span<Value>(&flags, 1));
    EXPECT_EQ(m.toString(list), "\u00c9,\u00e9,\u00fe,\u00de");
    // A getter put over the length or an element is what scripts read; the methods
    // keep to the array's own count and the value stored under the getter.
    Value numbers(m.newArray({Value(1), Value(2), Value(3)}));
    Value ten(m.newNative([](swf::avm1::Machine&, Value, std::span<Value>) { return Value(10); }));
    for (const char* name : {"length", "0"}) {
        Value args[3] = {Value(name), ten, Value::null()};
        EXPECT_TRUE(m.toBoolean(m.callMethod(numbers, "addProperty", args)));
    }
    EXPECT_EQ(m.toNumber(m.get(numbers, "length")), 10);
    EXPECT_EQ(m.toNumber(m.get(numbers, "0")), 10);
    Value four(4);
    EXPECT_EQ(m.toNumber(m.callMethod(numbers, "push", std::span<Value>(&four, 1))), 4);
    EXPECT_EQ(m.toNumber(m.callMethod(numbers, "shift", {})), 1);
}

TEST(ScriptLibrary, NumbersInOtherRadixesAreWrittenAs32BitIntegers) {
    using swf::avm1::Value;
    swf::Player p(movieOf({}, 8));
    auto& m = p.machine();
    auto inRadix = [&](double d, int radix) {
        Value r(radix);
        return m.toString(m.callMethod(Value(d), "toString", std::span<Value>(&r, 1)));
    };
    EXPECT_EQ(inRadix(-2147483647.9, 16), "-7fffffff");
    EXPECT_EQ(inRadix(255.9, 2), "11111111");
    // What does not fit is -2147483648, whose digits are taken from negative
    // remainders and land below '0'.
    for (double d : {double(NAN), double(INFINITY), 4294967296.0, -2147483648.0}) {
        EXPECT_EQ(inRadix(d, 16), "-(0000000") << d;
        EXPECT_EQ(inRadix(d, 2), "-/" + std::string(31, '0')) << d;
    }
    EXPECT_EQ(inRadix(NAN, 10), "NaN");
}

TEST(ScriptLibrary, AccessorsOfOnePropertyNestSixtyFiveDeepAndThenUseTheStoredValue) {
    using swf::avm1::Machine;
    using swf::avm1::Value;
    static int calls = 0;
    swf::Player p(movieOf({}, 7));
    auto& m = p.machine();
    Value o(m.newObject());
    // A getter that reads its own property: the read past the limit gives what is
    // stored underneath, first nothing, then what the last write left there.
    Value get(m.newNative([](Machine& m, Value self, std::span<Value>) {
        ++calls;
        return m.get(self, "p");
    }));
    Value set(m.newNative(swf::avm1::nothing));
    Value args[3] = {Value("p"), get, set};
    ASSERT_TRUE(m.toBoolean(m.callMethod(o, "addProperty", args)));
    EXPECT_TRUE(m.get(o, "p").isUndefined());
    EXPECT_EQ(calls, 65);
    m.set(o, "p", Value(7));
    calls = 0;
    EXPECT_EQ(m.toNumber(m.get(o, "p")), 7);
    EXPECT_EQ(calls, 65);
    // A watcher that writes its property again is skipped past the limit too.
    Value watcher(m.newNative([](Machine& m, Value self, std::span<Value> a) {
        ++calls;
        m.set(self, "q", Value(m.toNumber(arg(a, 2)) + 1));
        return arg(a, 2);
    }));
    Value watchArgs[2] = {Value("q"), watcher};
    ASSERT_TRUE(m.toBoolean(m.callMethod(o, "watch", watchArgs)));
    calls = 0;
    m.set(o, "q", Value(0));
    EXPECT_EQ(calls, 65);
    EXPECT_EQ(m.toNumber(m.get(o, "q")), 0);
}
