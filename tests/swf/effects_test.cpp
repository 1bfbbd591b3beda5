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

TEST(Effects, BlendModesCombineWithWhatLiesBelow) {
    EXPECT_TRUE(near(drawOver({255, 128, 0, 255}, 3, {}).pixel(50, 50), {128, 64, 0, 255}, 3));   // multiply
    EXPECT_TRUE(near(drawOver({100, 100, 100, 255}, 8, {}).pixel(50, 50), {228, 228, 228, 255}, 3)); // add
    EXPECT_TRUE(near(drawOver({255, 0, 0, 255}, 1, {}).pixel(50, 50), kRed));                       // normal
}

TEST(Effects, DropShadowFallsBesideTheObject) {
    // Black shadow 10 pixels to the right (angle 0), unblurred.
    QImage img = drawOver(kRed, {}, w::filterList({w::dropShadowFilter(kBlack, 0, 0, 0, 10, 1)}));
    EXPECT_TRUE(near(img.pixel(50, 50), kRed));   // the object itself stays on top
    EXPECT_TRUE(near(img.pixel(75, 50), kBlack)); // shadow shows right of it
    EXPECT_TRUE(near(img.pixel(25, 50), {128, 128, 128, 255}));
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

} // namespace
