// What the engine draws: pixels at known points of writer-built movies.
#include "fixture.h"

#include "swf/writer/actions.h"
#include "swf/writer/control.h"

using namespace fixture;

namespace {

TEST(Render, SolidShapesOfEveryVersionInEveryCompression) {
    for (int version = 1; version <= 4; ++version) {
        for (auto comp : {w::Compression::None, w::Compression::Zlib, w::Compression::Lzma}) {
            SCOPED_TRACE("shape version " + std::to_string(version) + ", compression " +
                         std::to_string(static_cast<int>(comp)));
            auto m = movie();
            m.add(rectShape(1, 10, 10, 40, 40, kRed, version)).place(1, 1).showFrame();
            auto mp = load(m.bytes(comp));
            ASSERT_TRUE(mp);
            swf::Player p(mp);
            QImage img = render(p);
            EXPECT_TRUE(near(img.pixel(30, 30), kRed));
            EXPECT_TRUE(near(img.pixel(80, 80), kWhite));
        }
    }
}

TEST(Render, ShowAllKeepsTheAspectAndCentresTheStage) {
    auto m = movie();
    m.add(rectShape(1, 0, 0, 100, 100, kBlue)).place(1, 1).showFrame();
    auto mp = load(m.bytes());
    swf::Player p(mp);
    swf::ShapeCache cache;
    QImage img = swf::renderImage(p, QSize(200, 100), cache).convertToFormat(QImage::Format_ARGB32);
    EXPECT_TRUE(near(img.pixel(100, 50), kBlue));
    EXPECT_TRUE(near(img.pixel(10, 50), kWhite)); // letterbox shows the background
    EXPECT_TRUE(near(img.pixel(190, 50), kWhite));
}

TEST(Render, LinearGradientRunsFromItsFirstToItsLastStop) {
    auto m = movie();
    w::ShapeBuilder s;
    w::Gradient g;
    g.stops = {{0, kRed}, {255, kBlue}};
    s.fill1(static_cast<uint32_t>(s.addFill(w::FillStyle::linear(w::gradientBox(0, 0, 2000, 2000), g))))
        .rect(0, 0, 2000, 2000);
    m.add(w::defineShape(1, s, 3)).place(1, 1).showFrame();
    swf::Player p(load(m.bytes()));
    QImage img = render(p);
    EXPECT_TRUE(near(img.pixel(1, 50), kRed, 16));
    EXPECT_TRUE(near(img.pixel(98, 50), kBlue, 16));
    EXPECT_TRUE(near(img.pixel(50, 50), {128, 0, 128, 255}, 24));
}

TEST(Render, ClipLayerMasksTheDepthsItCovers) {
    auto m = movie();
    m.add(rectShape(1, 0, 0, 50, 100, kBlack));  // mask: left half
    m.add(rectShape(2, 0, 0, 100, 100, kBlue));  // masked
    m.add(rectShape(3, 0, 60, 100, 40, kGreen)); // above the mask's range
    w::Placement mask;
    mask.depth = 1;
    mask.character = 1;
    mask.clipDepth = 2;
    m.add(w::placeObject2(mask)).place(2, 2).place(3, 3).showFrame();
    swf::Player p(load(m.bytes()));
    QImage img = render(p);
    EXPECT_TRUE(near(img.pixel(25, 30), kBlue));
    EXPECT_TRUE(near(img.pixel(75, 30), kWhite)); // clipped away; the mask itself is not drawn
    EXPECT_TRUE(near(img.pixel(75, 80), kGreen)); // depth 3 is not masked
}

TEST(Render, NestedColourTransformsCompose) {
    auto m = movie();
    m.add(rectShape(1, 0, 0, 100, 100, {200, 100, 40, 255}));
    w::TimelineWriter inner;
    swf::ColorTransform add; // child: add 50 to red
    add.rAdd = 50;
    inner.place(1, 1, {}, add).showFrame();
    m.add(w::defineSprite(2, inner));
    swf::ColorTransform half; // parent: halve every colour
    half.rMul = half.gMul = half.bMul = 128;
    m.place(1, 2, {}, half).showFrame();
    swf::Player p(load(m.bytes()));
    QImage img = render(p);
    // child first: 200 + 50 = 250, then parent: 250 / 2 = 125; green 50, blue 20
    EXPECT_TRUE(near(img.pixel(50, 50), {125, 50, 20, 255}, 3));
}

TEST(Render, MorphShapeFollowsTheRatio) {
    auto m = movie();
    w::MorphShapeBuilder mb;
    int f = mb.addFill({w::FillStyle::solid(kRed), w::FillStyle::solid(kBlue)});
    mb.start().fill1(static_cast<uint32_t>(f)).rect(0, 0, 400, 400);     // 20 px square
    mb.end().rect(0, 0, 2000, 2000);                                     // whole stage
    m.add(w::defineMorphShape(1, mb, 1));
    for (uint16_t ratio : {uint16_t(0), uint16_t(65535)}) {
        w::Placement pl;
        pl.depth = 1;
        pl.character = ratio == 0 ? std::optional<uint16_t>(1) : std::nullopt;
        pl.move = ratio != 0;
        pl.ratio = ratio;
        m.add(w::placeObject2(pl)).showFrame();
    }
    swf::Player p(load(m.bytes()));
    p.stop();
    QImage start = render(p);
    EXPECT_TRUE(near(start.pixel(10, 10), kRed));
    EXPECT_TRUE(near(start.pixel(60, 60), kWhite));
    p.gotoFrame(2);
    QImage end = render(p);
    EXPECT_TRUE(near(end.pixel(60, 60), kBlue));
}

TEST(Render, LosslessBitmapFillShowsItsPixels) {
    auto m = movie();
    // 2 x 1 bitmap: red, green; stretched over the stage without smoothing.
    std::vector<uint32_t> px = {0xffff0000, 0xff00ff00};
    m.add(w::defineBitsLossless(1, 2, 1, px, true));
    w::ShapeBuilder s;
    s.fill1(static_cast<uint32_t>(s.addFill(w::FillStyle::bitmap(1, swf::Matrix::scale(1000, 2000), false, false))))
        .rect(0, 0, 2000, 2000);
    m.add(w::defineShape(2, s, 3)).place(1, 2).showFrame();
    swf::Player p(load(m.bytes()));
    QImage img = render(p);
    EXPECT_TRUE(near(img.pixel(20, 50), kRed));
    EXPECT_TRUE(near(img.pixel(80, 50), kGreen));
}

TEST(Render, AnAttachedBitmapShowsItsPixelsAsTheyChange) {
    // b = new flash.display.BitmapData(20, 20, false, 0xff0000); c = createEmptyMovieClip("c", 1);
    // c._x = 50; c.attachBitmap(b, 1); b.fillRect(new flash.geom.Rectangle(0, 0, 10, 20), 0x0000ff);
    // trace(c._width)
    namespace ac = swf::writer::actioncode;
    using PV = w::PushValue;
    w::ActionBuilder a;
    auto newFlash = [&](const char* pkg, const char* cls, std::initializer_list<PV> args) {
        a.push(args).push({PV::integer(static_cast<int32_t>(args.size())), PV::string("flash")}).op(ac::GetVariable);
        a.push(pkg).op(ac::GetMember).push(cls).op(0x53);
    };
    newFlash("display", "BitmapData", {PV::integer(0xff0000), PV::boolean(false), PV::integer(20), PV::integer(20)});
    a.storeRegister(1).op(ac::Pop);
    a.push({PV::integer(1), PV::string("c"), PV::integer(2), PV::string("_root")}).op(ac::GetVariable);
    a.push("createEmptyMovieClip").op(ac::CallMethod).storeRegister(2).op(ac::Pop);
    a.push({PV::reg(2), PV::string("_x"), PV::integer(50)}).op(ac::SetMember);
    a.push({PV::integer(1), PV::reg(1), PV::integer(2), PV::reg(2), PV::string("attachBitmap")}).op(ac::CallMethod).op(ac::Pop);
    a.push({PV::integer(0x0000ff)});
    newFlash("geom", "Rectangle", {PV::integer(20), PV::integer(10), PV::integer(0), PV::integer(0)});
    a.push({PV::integer(2), PV::reg(1), PV::string("fillRect")}).op(ac::CallMethod).op(ac::Pop);
    a.push({PV::reg(2), PV::string("_width")}).op(ac::GetMember).op(ac::Trace);
    auto m = movie(8);
    m.add(w::doAction(a.bytes()));
    m.showFrame();
    std::vector<std::string> lines;
    swf::ScriptOptions opts;
    opts.trace = [&](const std::string& l) { lines.push_back(l); };
    swf::Player p(load(m.bytes()), opts);
    EXPECT_EQ(lines, std::vector<std::string>{"20"});
    QImage img = render(p);
    EXPECT_TRUE(near(img.pixel(40, 10), kWhite));
    EXPECT_TRUE(near(img.pixel(55, 10), kBlue));
    EXPECT_TRUE(near(img.pixel(65, 10), kRed));
    EXPECT_TRUE(near(img.pixel(55, 30), kWhite));
}

TEST(Render, AlphaAddedByAColourTransformLeavesClearBitmapPixelsClear) {
    auto m = movie();
    // Half-covered red, then a clear pixel; the transform adds 128 to alpha.
    std::vector<uint32_t> px = {0x80800000, 0x00000000};
    m.add(w::defineBitsLossless(1, 2, 1, px, true));
    w::ShapeBuilder s;
    s.fill1(static_cast<uint32_t>(s.addFill(w::FillStyle::bitmap(1, swf::Matrix::scale(1000, 2000), false, false))))
        .rect(0, 0, 2000, 2000);
    m.add(w::defineShape(2, s, 3));
    swf::ColorTransform add;
    add.aAdd = 128;
    m.place(1, 2, {}, add).showFrame();
    swf::Player p(load(m.bytes()));
    QImage img = render(p);
    EXPECT_TRUE(near(img.pixel(20, 50), kRed, 3)); // the covered pixel becomes opaque
    EXPECT_TRUE(near(img.pixel(80, 50), kWhite, 0)); // the clear one stays clear
}

TEST(Render, ClippedSmoothedBitmapKeepsItsEdgeColours) {
    auto m = movie();
    std::vector<uint32_t> px = {0xffff0000, 0xff00ff00}; // red, green
    m.add(w::defineBitsLossless(1, 2, 1, px, true));
    w::ShapeBuilder s;
    s.fill1(static_cast<uint32_t>(s.addFill(w::FillStyle::bitmap(1, swf::Matrix::scale(1000, 2000), false, true))))
        .rect(0, 0, 2000, 2000);
    m.add(w::defineShape(2, s, 3)).place(1, 2).showFrame();
    swf::Player p(load(m.bytes()));
    QImage img = render(p);
    // The outer edges do not blend with the opposite side of the image.
    EXPECT_TRUE(near(img.pixel(1, 50), kRed, 12));
    EXPECT_TRUE(near(img.pixel(98, 50), kGreen, 12));
}

TEST(Render, StaticTextDrawsItsGlyphsInTheirColour) {
    auto m = movie();
    w::FontDesc font;
    font.name = "Blocks";
    w::FontGlyph g;
    g.code = 'A';
    g.advance = 1024;
    g.shape.fill1(1).rect(0, -1024, 1024, 1024); // a full square above the baseline
    font.glyphs.push_back(std::move(g));
    font.layout = w::FontLayout{900, 124, 0, {}};
    m.add(w::defineFont2(1, font));
    auto rec = w::layoutText(font, 1, 800, kGreen, 200, 1200, "AA");
    m.add(w::defineText(2, {0, 2000, 0, 2000}, {}, {rec})).place(1, 2).showFrame();
    swf::Player p(load(m.bytes()));
    QImage img = render(p);
    EXPECT_TRUE(near(img.pixel(20, 40), kGreen));  // inside the first glyph (x 10..50 px)
    EXPECT_TRUE(near(img.pixel(60, 40), kGreen));  // inside the second
    EXPECT_TRUE(near(img.pixel(20, 80), kWhite));  // below the baseline
}

TEST(Render, StaticTextKeepsItsSizeWithEveryFontVersion) {
    // DefineFont3 glyphs lie on an em square twenty times finer than the others'.
    for (int version = 1; version <= 3; ++version) {
        SCOPED_TRACE("DefineFont" + std::to_string(version));
        const int em = version == 3 ? 20480 : 1024;
        auto m = movie();
        w::FontDesc font;
        font.name = "Blocks";
        w::FontGlyph g;
        g.code = 'A';
        g.advance = static_cast<int16_t>(std::min(em, 32767));
        g.shape.fill1(1).rect(0, -em, em, em); // a full em square above the baseline
        font.glyphs.push_back(std::move(g));
        if (version > 1) font.layout = w::FontLayout{900, 124, 0, {}};
        if (version == 1) m.add(w::defineFont(1, font)).add(w::defineFontInfo(1, font));
        if (version == 2) m.add(w::defineFont2(1, font));
        if (version == 3) m.add(w::defineFont3(1, font));
        auto rec = w::layoutText(font, 1, 800, kGreen, 200, 1200, "A"); // 40 px at (10, 60)
        m.add(w::defineText(2, {0, 2000, 0, 2000}, {}, {rec})).place(1, 2).showFrame();
        swf::Player p(load(m.bytes()));
        QImage img = render(p);
        EXPECT_TRUE(near(img.pixel(12, 25), kGreen));
        EXPECT_TRUE(near(img.pixel(47, 57), kGreen));
        EXPECT_TRUE(near(img.pixel(54, 40), kWhite)); // no wider than 40 px
        EXPECT_TRUE(near(img.pixel(30, 16), kWhite)); // no taller
    }
}

TEST(Render, ZoomMagnifiesAboutTheCentre) {
    auto m = movie();
    m.add(rectShape(1, 40, 40, 20, 20, kRed)).place(1, 1).showFrame();
    swf::Player p(load(m.bytes()));
    swf::ShapeCache cache;
    swf::FrameOptions o;
    o.zoom = 2.0;
    QImage img = swf::renderImage(p, QSize(100, 100), cache, o).convertToFormat(QImage::Format_ARGB32);
    EXPECT_TRUE(near(img.pixel(32, 50), kRed)); // the square now spans 30..70
    EXPECT_TRUE(near(img.pixel(25, 50), kWhite));
}

TEST(Render, LowQualityDrawsHardEdgesAndUnsmoothedBitmaps) {
    // A square whose edges fall on half pixels: high quality blends them, low quality
    // gives every pixel either the fill or the background.
    auto m = movie();
    m.add(rectShape(1, 20.5, 20.5, 40, 40, kBlack)).place(1, 1).showFrame();
    swf::Player p(load(m.bytes()));
    swf::ShapeCache cache;
    QImage high = swf::renderImage(p, QSize(100, 100), cache).convertToFormat(QImage::Format_ARGB32);
    swf::FrameOptions o;
    o.quality = swf::Quality::Low;
    QImage low = swf::renderImage(p, QSize(100, 100), cache, o).convertToFormat(QImage::Format_ARGB32);
    EXPECT_FALSE(near(high.pixel(20, 40), kBlack, 60));
    EXPECT_FALSE(near(high.pixel(20, 40), kWhite, 60));
    for (int x = 18; x <= 23; ++x)
        EXPECT_TRUE(near(low.pixel(x, 40), kBlack, 0) || near(low.pixel(x, 40), kWhite, 0)) << "x " << x;
    EXPECT_TRUE(near(low.pixel(40, 40), kBlack, 0));
}

// Shapes shown alike frame after frame are drawn from their finished pixels: the
// picture stays as drawn, and follows the shape when it moves or a script redraws it.
TEST(Render, ShapesShownAgainFollowMovesAndRedrawing) {
    namespace ac = swf::writer::actioncode;
    using PV = w::PushValue;
    w::ShapeBuilder s;
    for (int i = 0; i < 3; ++i) // three fills: a shape worth keeping
        s.fill1(static_cast<uint32_t>(s.addFill(w::FillStyle::solid(i == 1 ? kGreen : kRed))))
            .rect(200 + 400 * i, 200, 400, 400);
    // A script-drawn clip of three squares, redrawn in blue in the fourth frame.
    auto squares = [](w::ActionBuilder& a, uint32_t colour) {
        auto call = [&](const char* name, std::vector<PV> args) {
            for (auto it = args.rbegin(); it != args.rend(); ++it) a.push({*it});
            a.push({PV::integer(static_cast<int>(args.size())), PV::reg(1), PV::string(name)});
            a.op(ac::CallMethod).op(ac::Pop);
        };
        for (int i = 0; i < 3; ++i) {
            const int x = 10 + 20 * i, y = 60;
            call("beginFill", {PV::integer(static_cast<int>(colour))});
            call("moveTo", {PV::integer(x), PV::integer(y)});
            call("lineTo", {PV::integer(x + 20), PV::integer(y)});
            call("lineTo", {PV::integer(x + 20), PV::integer(y + 20)});
            call("lineTo", {PV::integer(x), PV::integer(y + 20)});
            call("endFill", {});
        }
    };
    w::ActionBuilder first, redraw;
    first.push({PV::integer(1), PV::string("c"), PV::integer(2), PV::string("_root")}).op(ac::GetVariable);
    first.push({PV::string("createEmptyMovieClip")}).op(ac::CallMethod).storeRegister(1).op(ac::Pop);
    squares(first, 0xff0000);
    redraw.push({PV::string("c")}).op(ac::GetVariable).storeRegister(1).op(ac::Pop);
    redraw.push({PV::integer(0), PV::reg(1), PV::string("clear")}).op(ac::CallMethod).op(ac::Pop);
    squares(redraw, 0x0000ff);
    w::ActionBuilder stop;
    stop.op(ac::Stop);

    auto m = movie(8);
    m.add(w::defineShape(1, s, 3)).place(1, 1).add(w::doAction(first)).showFrame();
    m.showFrame().showFrame();
    m.move(1, swf::Matrix::translate(0, 600)).add(w::doAction(redraw)).add(w::doAction(stop)).showFrame();
    swf::Player player(load(m.bytes()));
    swf::ShapeCache cache; // kept from frame to frame, as players keep it
    std::vector<QImage> frames;
    for (int i = 0; i < 4; ++i) {
        if (i) player.tick();
        frames.push_back(swf::renderImage(player, QSize(100, 100), cache).convertToFormat(QImage::Format_ARGB32));
    }
    for (int i = 1; i < 3; ++i) {
        SCOPED_TRACE("frame " + std::to_string(i + 1));
        for (int y = 0; y < 100; y += 3)
            for (int x = 0; x < 100; x += 3) {
                const QRgb c = frames[0].pixel(x, y);
                const swf::Rgba want{static_cast<uint8_t>(qRed(c)), static_cast<uint8_t>(qGreen(c)),
                                     static_cast<uint8_t>(qBlue(c)), 255};
                ASSERT_TRUE(near(frames[i].pixel(x, y), want, 2)) << x << "," << y;
            }
    }
    EXPECT_TRUE(near(frames[2].pixel(30, 20), kGreen));
    EXPECT_TRUE(near(frames[2].pixel(40, 70), kRed)); // drawn by the script
    EXPECT_TRUE(near(frames[3].pixel(30, 20), kWhite)); // moved down
    EXPECT_TRUE(near(frames[3].pixel(30, 50), kGreen));
    EXPECT_TRUE(near(frames[3].pixel(40, 70), kBlue)); // redrawn
}

// Fills drawn by scripts: a fill's last run closes back to where that run began,
// and a gradient's matrix maps its square in pixels as the drawing API gives it.
TEST(Render, ScriptFillsCloseTheirRunAndPlaceTheirGradient) {
    namespace ac = swf::writer::actioncode;
    using PV = w::PushValue;
    w::ActionBuilder a;
    a.push({PV::integer(1), PV::string("c"), PV::integer(2), PV::string("_root")}).op(ac::GetVariable);
    a.push({PV::string("createEmptyMovieClip")}).op(ac::CallMethod).storeRegister(1).op(ac::Pop);
    auto call = [&](const char* name, int count) {
        a.push({PV::integer(count), PV::reg(1), PV::string(name)}).op(ac::CallMethod).op(ac::Pop);
    };
    auto point = [&](const char* name, int x, int y) {
        a.push({PV::integer(y), PV::integer(x)});
        call(name, 2);
    };
    // Begun at the pen (0, 0), moved to a square at the bottom left and left open.
    a.push({PV::integer(0xff0000)});
    call("beginFill", 1);
    point("moveTo", 0, 50);
    point("lineTo", 50, 50);
    point("lineTo", 50, 100);
    point("lineTo", 0, 100);
    call("endFill", 0);
    // Red to blue across the right half: the square is 1638.4 pixels at scale 1.
    a.push({PV::string("tx"), PV::integer(75), PV::string("ty"), PV::integer(50), PV::string("a"),
            PV::number(50 / 1638.4), PV::string("b"), PV::integer(0), PV::string("c"), PV::integer(0),
            PV::string("d"), PV::number(50 / 1638.4), PV::integer(6)})
        .op(0x43); // InitObject
    a.push({PV::integer(255), PV::integer(0), PV::integer(2)}).op(ac::InitArray);
    a.push({PV::integer(100), PV::integer(100), PV::integer(2)}).op(ac::InitArray);
    a.push({PV::integer(0x0000ff), PV::integer(0xff0000), PV::integer(2)}).op(ac::InitArray);
    a.push({PV::string("linear")});
    call("beginGradientFill", 5);
    point("moveTo", 50, 0);
    point("lineTo", 100, 0);
    point("lineTo", 100, 100);
    point("lineTo", 50, 100);
    call("endFill", 0);
    auto m = movie(8);
    m.add(w::doAction(a)).showFrame();
    swf::Player player(load(m.bytes()));
    swf::ShapeCache cache;
    QImage img = swf::renderImage(player, QSize(100, 100), cache).convertToFormat(QImage::Format_ARGB32);
    EXPECT_TRUE(near(img.pixel(25, 75), kRed));
    EXPECT_TRUE(near(img.pixel(10, 30), kWhite)); // not joined to where the fill began
    EXPECT_TRUE(near(img.pixel(52, 50), kRed, 24));
    EXPECT_TRUE(near(img.pixel(97, 50), kBlue, 24));
}

} // namespace
