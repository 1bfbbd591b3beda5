// Blend modes and filters, drawn through layers.
#include "fixture.h"

#include <limits>

using namespace fixture;

namespace {

// A grey background square with an object placed over it through PlaceObject3.
QImage drawOver(swf::Rgba top, std::optional<uint8_t> blend, std::optional<std::vector<uint8_t>> filters) {
    auto m = movie();
    m.add(rectShape(1, 0, 0, 100, 100, {128, 128, 128, 255}));
    m.add(rectShape(2, 30, 30, 40, 40, top));
    m.place(1, 1);
    w::Placement p;
    p.depth = 2;
    p.character = 2;
    p.blendMode = blend;
    p.filters = std::move(filters);
    m.add(w::placeObject3(p)).showFrame();
    swf::Player player(load(m.bytes()));
    return render(player);
}

const swf::Rgba kGrey{128, 128, 128, 255};

QImage filtered(swf::Rgba top, const std::vector<uint8_t>& filter) {
    return drawOver(top, {}, w::filterList({filter}));
}

TEST(Effects, BlendModesCombineWithWhatLiesBelow) {
    EXPECT_TRUE(near(drawOver({255, 128, 0, 255}, 3, {}).pixel(50, 50), {128, 64, 0, 255}, 3));   // multiply
    EXPECT_TRUE(near(drawOver({100, 100, 100, 255}, 8, {}).pixel(50, 50), {228, 228, 228, 255}, 3)); // add
    EXPECT_TRUE(near(drawOver({255, 0, 0, 255}, 1, {}).pixel(50, 50), kRed));                       // normal
    EXPECT_TRUE(near(drawOver({255, 0, 0, 255}, 2, {}).pixel(50, 50), kRed));                       // layer
    EXPECT_TRUE(near(drawOver({255, 0, 0, 255}, 4, {}).pixel(50, 50), {255, 128, 128, 255}, 3));   // screen
    EXPECT_TRUE(near(drawOver({200, 50, 50, 255}, 5, {}).pixel(50, 50), {200, 128, 128, 255}, 3)); // lighten
    EXPECT_TRUE(near(drawOver({200, 50, 50, 255}, 6, {}).pixel(50, 50), {128, 50, 50, 255}, 3));   // darken
    EXPECT_TRUE(near(drawOver({200, 50, 50, 255}, 7, {}).pixel(50, 50), {72, 78, 78, 255}, 3));    // difference
    EXPECT_TRUE(near(drawOver({100, 50, 0, 255}, 9, {}).pixel(50, 50), {28, 78, 128, 255}, 3));    // subtract
    EXPECT_TRUE(near(drawOver({10, 200, 30, 255}, 10, {}).pixel(50, 50), {127, 127, 127, 255}, 3)); // invert
    EXPECT_TRUE(near(drawOver({255, 0, 0, 255}, 14, {}).pixel(50, 50), {255, 0, 0, 255}, 4));      // hard light
    EXPECT_TRUE(near(drawOver({255, 0, 0, 255}, 13, {}).pixel(50, 50), {255, 2, 2, 255}, 6));      // overlay
    // Outside the object every mode leaves the backdrop alone.
    for (uint8_t mode = 2; mode <= 14; ++mode)
        EXPECT_TRUE(near(drawOver({10, 200, 30, 255}, mode, {}).pixel(10, 10), kGrey, 2)) << int(mode);
}

TEST(Effects, AlphaAndEraseWorkOnTheLayerBelowAndDrawNothingOnTheStage) {
    for (uint8_t mode : {uint8_t(11), uint8_t(12)}) {
        SCOPED_TRACE(int(mode));
        auto m = movie();
        m.add(rectShape(1, 0, 0, 100, 100, kGrey));
        m.add(rectShape(2, 0, 0, 100, 100, kRed));
        m.add(rectShape(3, 30, 30, 40, 40, {0, 0, 0, 255}));
        w::TimelineWriter inner;
        inner.place(1, 2);
        w::Placement hole;
        hole.depth = 2;
        hole.character = 3;
        hole.blendMode = mode;
        inner.add(w::placeObject3(hole)).showFrame();
        m.add(w::defineSprite(4, inner));
        m.place(1, 1);
        w::Placement group;
        group.depth = 2;
        group.character = 4;
        group.blendMode = 2; // layer
        m.add(w::placeObject3(group));
        w::Placement alone;
        alone.depth = 3;
        alone.character = 3;
        alone.blendMode = mode;
        alone.matrix = swf::Matrix::translate(0, 1000); // over the lower half
        m.add(w::placeObject3(alone)).showFrame();
        swf::Player p(load(m.bytes()));
        QImage img = render(p);
        EXPECT_TRUE(near(img.pixel(10, 10), kRed));
        // Alpha keeps the red where the object is opaque; erase cuts it out.
        EXPECT_TRUE(near(img.pixel(50, 40), mode == 11 ? kRed : kGrey));
        // On the stage itself there is no layer to work on.
        EXPECT_TRUE(near(img.pixel(50, 90), kRed));
    }
}

TEST(Effects, DropShadowFallsBesideTheObject) {
    // Black shadow 10 pixels to the right (angle 0), unblurred.
    QImage img = drawOver(kRed, {}, w::filterList({w::dropShadowFilter(kBlack, 0, 0, 0, 10, 1)}));
    EXPECT_TRUE(near(img.pixel(50, 50), kRed));   // the object itself stays on top
    EXPECT_TRUE(near(img.pixel(75, 50), kBlack)); // shadow shows right of it
    EXPECT_TRUE(near(img.pixel(25, 50), {128, 128, 128, 255}));
}

TEST(Effects, ShadowsInnerKnockedOutAndWithoutTheObject) {
    // Black, unblurred, 10 pixels to the right (angle 0) of a red square spanning 30..70.
    QImage inner = filtered(kRed, w::dropShadowFilter(kBlack, 0, 0, 0, 10, 1, 1, true));
    EXPECT_TRUE(near(inner.pixel(35, 50), kBlack)); // inside, along the edge the light misses
    EXPECT_TRUE(near(inner.pixel(50, 50), kRed));
    EXPECT_TRUE(near(inner.pixel(75, 50), kGrey)); // nothing outside
    QImage knockout = filtered(kRed, w::dropShadowFilter(kBlack, 0, 0, 0, 10, 1, 1, false, true));
    EXPECT_TRUE(near(knockout.pixel(50, 50), kGrey)); // the object is cut away
    EXPECT_TRUE(near(knockout.pixel(75, 50), kBlack));
    QImage innerKnockout = filtered(kRed, w::dropShadowFilter(kBlack, 0, 0, 0, 10, 1, 1, true, true));
    EXPECT_TRUE(near(innerKnockout.pixel(35, 50), kBlack));
    EXPECT_TRUE(near(innerKnockout.pixel(50, 50), kGrey));
    QImage hidden = filtered(kRed, w::dropShadowFilter(kBlack, 0, 0, 0, 10, 1, 1, false, false, true));
    EXPECT_TRUE(near(hidden.pixel(50, 50), kBlack)); // the whole shadow, under no object
    EXPECT_TRUE(near(hidden.pixel(35, 50), kGrey));
    EXPECT_TRUE(near(hidden.pixel(75, 50), kBlack));
    // A strong blurred glow colours the surroundings and fades with distance.
    QImage glow = filtered(kRed, w::glowFilter(kBlue, 10, 10, 2));
    EXPECT_TRUE(near(glow.pixel(50, 50), kRed));
    EXPECT_GT(qBlue(glow.pixel(71, 50)), 200);
    EXPECT_TRUE(near(glow.pixel(90, 50), kGrey));
    QImage innerGlow = filtered(kRed, w::glowFilter(kBlue, 10, 10, 2, 1, true));
    EXPECT_GT(qBlue(innerGlow.pixel(31, 50)), 150);
    EXPECT_TRUE(near(innerGlow.pixel(50, 50), kRed, 16));
    EXPECT_TRUE(near(innerGlow.pixel(75, 50), kGrey));
}

TEST(Effects, BevelsLightOneSideAndShadeTheOther) {
    w::BevelFilter b; // inner, light from the top left
    b.blurX = b.blurY = 2;
    b.strength = 2;
    QImage img = filtered(kRed, w::bevelFilter(b));
    EXPECT_TRUE(near(img.pixel(32, 32), kWhite, 40));
    EXPECT_TRUE(near(img.pixel(67, 67), kBlack, 40));
    EXPECT_TRUE(near(img.pixel(50, 50), kRed));
    EXPECT_TRUE(near(img.pixel(25, 25), kGrey)); // an inner bevel stays inside
    b.inner = false; // outer: outside only
    QImage outer = filtered(kRed, w::bevelFilter(b));
    EXPECT_TRUE(near(outer.pixel(32, 32), kRed));
    EXPECT_FALSE(near(outer.pixel(72, 72), kGrey, 40));
    b.inner = true;
    b.knockout = true;
    QImage knocked = filtered(kRed, w::bevelFilter(b));
    EXPECT_TRUE(near(knocked.pixel(50, 50), kGrey));
    EXPECT_TRUE(near(knocked.pixel(32, 32), kWhite, 40));
    // A gradient bevel picks its colours from the ramp: 0 shadow side, 255 lit side.
    b.knockout = false;
    const swf::Rgba clear{0, 0, 0, 0};
    QImage grad = filtered(kRed, w::gradientFilter({{0, kBlue}, {128, clear}, {255, kGreen}}, b, true));
    EXPECT_TRUE(near(grad.pixel(32, 32), kGreen, 60));
    EXPECT_TRUE(near(grad.pixel(67, 67), kBlue, 60));
    EXPECT_TRUE(near(grad.pixel(50, 50), kRed));
}

TEST(Effects, GradientGlowColoursByStrength) {
    w::BevelFilter g;
    g.inner = false;
    g.distance = 0;
    g.blurX = g.blurY = 12;
    const swf::Rgba clear{0, 0, 255, 0};
    QImage img = filtered(kRed, w::gradientFilter({{0, clear}, {255, kBlue}}, g, false));
    EXPECT_TRUE(near(img.pixel(50, 50), kRed));
    EXPECT_GT(qBlue(img.pixel(71, 50)), qRed(img.pixel(71, 50)));
    EXPECT_TRUE(near(img.pixel(95, 50), kGrey));
}

TEST(Effects, ConvolutionWeighsNeighboursAddsTheBiasAndBoundsItsCost) {
    std::vector<float> invert(9, 0.0f);
    invert[4] = -1;
    QImage img = filtered(kRed, w::convolutionFilter(3, 3, invert, 1, 255, {0, 0, 0, 0}, true, true));
    EXPECT_TRUE(near(img.pixel(50, 50), {0, 255, 255, 255}));
    EXPECT_TRUE(near(img.pixel(10, 10), kGrey)); // alpha kept: nothing appears outside
    std::vector<float> right(9, 0.0f);
    right[3] = 1; // each pixel takes its left neighbour's colour
    QImage shifted = filtered(kRed, w::convolutionFilter(3, 3, right, 1, 0, {0, 0, 0, 0}, true, false));
    EXPECT_TRUE(near(shifted.pixel(50, 50), kRed));
    // A zero divisor counts as one; an oversized kernel draws the object unchanged.
    EXPECT_TRUE(near(filtered(kRed, w::convolutionFilter(3, 3, right, 0, 0, {}, true, true)).pixel(50, 50), kRed));
    std::vector<float> big(40 * 40, 1.0f);
    EXPECT_TRUE(near(filtered(kRed, w::convolutionFilter(40, 40, big, 1, 0, {}, true, true)).pixel(50, 50), kRed));
}

TEST(Effects, ColourMatrixMapsChannelsAndSurvivesAbsurdValues) {
    const float swap[20] = {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 1, 0}; // red <-> blue
    EXPECT_TRUE(near(drawOver(kRed, {}, w::filterList({w::colorMatrixFilter(swap)})).pixel(50, 50), kBlue));
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const float absurd[20] = {inf, -inf, nan, 1e38f, -1e38f, nan, nan, nan, nan, nan,
                              1e38f, 1e38f, 1e38f, 1e38f, 1e38f, 0, 0, 0, 1, 0};
    drawOver(kRed, {}, w::filterList({w::colorMatrixFilter(absurd)})); // must not misbehave
}

TEST(Effects, BlurSpreadsTheEdge) {
    QImage sharp = drawOver(kRed, {}, {});
    QImage soft = drawOver(kRed, {}, w::filterList({w::blurFilter(16, 16, 2)}));
    EXPECT_TRUE(near(sharp.pixel(31, 50), kRed));
    EXPECT_FALSE(near(soft.pixel(31, 50), kRed, 8)); // the edge now blends into the grey
    EXPECT_TRUE(near(soft.pixel(50, 50), kRed, 8));  // the middle stays red
}

TEST(Effects, FilteredLayersKeptBetweenFramesFollowWhatChanges) {
    auto m = movie();
    m.add(rectShape(1, 0, 0, 100, 100, kGrey));
    m.add(rectShape(2, 10, 30, 30, 30, kRed));
    m.place(1, 1);
    w::Placement p;
    p.depth = 2;
    p.character = 2;
    p.filters = w::filterList({w::dropShadowFilter(kBlack, 0, 0, 0, 10, 1)});
    m.add(w::placeObject3(p)).showFrame();
    m.showFrame(); // unchanged
    m.move(2, swf::Matrix::translate(1000, 0)).showFrame(); // 50 pixels to the right
    swf::Player player(load(m.bytes()));
    player.stop();
    swf::ShapeCache cache; // kept from frame to frame, as players keep it
    auto frame = [&](int n) {
        player.gotoFrame(n);
        return swf::renderImage(player, QSize(100, 100), cache).convertToFormat(QImage::Format_ARGB32);
    };
    QImage first = frame(1), second = frame(2), third = frame(3);
    EXPECT_TRUE(near(first.pixel(45, 45), kBlack));
    EXPECT_EQ(first, second);
    EXPECT_TRUE(near(third.pixel(45, 45), kGrey)); // the old shadow is gone
    EXPECT_TRUE(near(third.pixel(75, 45), kRed));
    EXPECT_TRUE(near(third.pixel(95, 45), kBlack));
}

} // namespace
