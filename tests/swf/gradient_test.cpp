// Gradient colour ramps and gradient fills.
#include "fixture.h"

#include "swf/render/gradient_ramp.h"

using namespace fixture;

namespace {

using Stops = std::vector<std::pair<uint8_t, swf::Rgba>>;

TEST(GradientRamp, BlendsBetweenStopsAndHoldsTheEndColours) {
    auto ramp = swf::gradientRamp({{64, kRed}, {192, kBlue}}, false);
    EXPECT_EQ(ramp[0].r, 255); // before the first stop: its colour
    EXPECT_EQ(ramp[64].r, 255);
    EXPECT_EQ(ramp[128].r, 128); // halfway
    EXPECT_EQ(ramp[128].b, 128);
    EXPECT_EQ(ramp[255].b, 255); // past the last stop: its colour
    EXPECT_EQ(ramp[255].r, 0);
    auto none = swf::gradientRamp({}, false);
    EXPECT_EQ(none[100].a, 255); // no stops: opaque black
    EXPECT_EQ(none[100].r, 0);
}

TEST(GradientRamp, RatiosThatGoBackKeepTheSegmentsInFileOrder) {
    // 0 red, 100 green, 50 blue, 200 white: past 100 the segment is blue (50) to white.
    const swf::Rgba white{255, 255, 255, 255};
    auto ramp = swf::gradientRamp({{0, kRed}, {100, kGreen}, {50, kBlue}, {200, white}}, false);
    EXPECT_EQ(ramp[50].r, 128); // red to green
    EXPECT_EQ(ramp[50].g, 128);
    EXPECT_EQ(ramp[125].r, 128); // blue (at 50) to white (at 200): halfway at 125
    EXPECT_EQ(ramp[125].b, 255);
    EXPECT_EQ(ramp[250].g, 255);
    // Two stops at one ratio: a hard step.
    auto step = swf::gradientRamp({{0, kRed}, {128, kRed}, {128, kBlue}, {255, kBlue}}, false);
    EXPECT_EQ(step[127].r, 255);
    EXPECT_EQ(step[129].b, 255);
    EXPECT_EQ(step[129].r, 0);
}

TEST(GradientRamp, LinearLightBlendsBrighterInTheMiddle) {
    auto srgb = swf::gradientRamp({{0, kBlack}, {255, kWhite}}, false);
    auto lin = swf::gradientRamp({{0, kBlack}, {255, kWhite}}, true);
    EXPECT_NEAR(srgb[128].g, 128, 1);
    EXPECT_NEAR(lin[128].g, 188, 2); // half the light is sRGB 188
    EXPECT_EQ(lin[0].g, 0);
    EXPECT_EQ(lin[255].g, 255);
}

QImage gradientSquare(w::FillStyle fill) {
    auto m = movie();
    w::ShapeBuilder s;
    s.fill1(static_cast<uint32_t>(s.addFill(fill))).rect(0, 0, 2000, 2000);
    m.add(w::defineShape(1, s, 3)).place(1, 1).showFrame();
    swf::Player p(load(m.bytes()));
    return render(p);
}

TEST(GradientFill, BackwardRatiosAndSpreadModesAsDrawn) {
    w::Gradient g;
    g.stops = {{0, kRed}, {128, kGreen}, {64, kBlue}};
    QImage img = gradientSquare(w::FillStyle::linear(w::gradientBox(0, 0, 2000, 2000), g));
    EXPECT_TRUE(near(img.pixel(2, 50), kRed, 16));
    EXPECT_TRUE(near(img.pixel(97, 50), kBlue, 16)); // past the last stop: blue
    EXPECT_TRUE(near(img.pixel(25, 50), {128, 128, 0, 255}, 20));
    // Reflect: a gradient over the left half comes back on the right half.
    w::Gradient r;
    r.spread = w::Spread::Reflect;
    r.stops = {{0, kRed}, {255, kBlue}};
    QImage refl = gradientSquare(w::FillStyle::linear(w::gradientBox(0, 0, 1000, 2000), r));
    EXPECT_TRUE(near(refl.pixel(2, 50), kRed, 20));
    EXPECT_TRUE(near(refl.pixel(49, 50), kBlue, 20));
    EXPECT_TRUE(near(refl.pixel(97, 50), kRed, 20));
    r.spread = w::Spread::Repeat;
    QImage rep = gradientSquare(w::FillStyle::linear(w::gradientBox(0, 0, 1000, 2000), r));
    EXPECT_TRUE(near(rep.pixel(52, 50), kRed, 20));
    EXPECT_TRUE(near(rep.pixel(97, 50), kBlue, 20));
}

TEST(GradientFill, RadialEdgeMeetsThePadColourWithoutADarkRing) {
    w::Gradient g;
    g.stops = {{0, kWhite}, {255, {255, 255, 0, 255}}};
    QImage img = gradientSquare(w::FillStyle::radial(w::gradientBox(10, 10, 1600, 1600), g));
    // Along a line through the centre, no pixel is darker than its two ends.
    for (int x = 40; x < 100; ++x) {
        QRgb px = img.pixel(x, 50);
        EXPECT_GE(qRed(px), 240) << "x " << x;
        EXPECT_GE(qGreen(px), 240) << "x " << x;
    }
    EXPECT_TRUE(near(img.pixel(95, 95), {255, 255, 0, 255}, 8)); // padded beyond the circle
}

} // namespace
