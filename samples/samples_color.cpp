// Samples built from gradients and colour transforms.
#include "catalog.h"

#include <algorithm>
#include <cmath>

namespace samples {

MovieWriter auroraGradients() {
    constexpr int kFrames = 96;
    MovieWriter m = newMovie(8, 24, {8, 12, 34});
    uint16_t sky = defineShapeIn(
        m, stageRect(FillStyle::linear(
               gradientBox(0, 0, kWidth, kHeight, kPi / 2),
               gradient({{0, {4, 6, 24}}, {170, {14, 30, 64}}, {255, {30, 60, 80}}}))));
    ShapeBuilder stars;
    int starFill = stars.addFill(FillStyle::solid({255, 255, 240, 200}));
    Random rnd(7);
    stars.fill1(starFill);
    for (int i = 0; i < 70; ++i) {
        double r = rnd.range(8, 22);
        stars.ellipse(rnd.range(0, kWidth), rnd.range(0, kHeight * 0.7), r, r);
    }
    uint16_t starId = defineShapeIn(m, stars);

    // A ribbon: a band between two wavy edges, glowing in the middle, clear at the rims.
    const Rgba hues[] = {{60, 255, 160}, {80, 200, 255}, {190, 110, 255}};
    uint16_t ribbons[3];
    for (int k = 0; k < 3; ++k) {
        ShapeBuilder s;
        Rgba c = hues[k];
        Rgba clear = {c.r, c.g, c.b, 0};
        s.fill1(s.addFill(FillStyle::linear(gradientBox(0, -700, 100, 2800, kPi / 2),
                                            gradient({{0, clear},
                                                      {110, {c.r, c.g, c.b, 150}},
                                                      {150, {255, 255, 255, 120}},
                                                      {255, clear}}))));
        const int waves = 4;
        const double w = 16000, seg = w / (waves * 2);
        s.moveTo(-w / 2, 0);
        for (int i = 0; i < waves * 2; ++i) {
            double x = -w / 2 + seg * i;
            s.curveTo(x + seg / 2, (i % 2 ? 500 : -500) * (1 + 0.3 * k), x + seg, 0);
        }
        s.lineTo(w / 2, 1800);
        for (int i = waves * 2 - 1; i >= 0; --i) {
            double x = -w / 2 + seg * i;
            s.curveTo(x + seg / 2, 1800 + (i % 2 ? 300 : -300), x, 1800);
        }
        s.lineTo(-w / 2, 0);
        ribbons[k] = defineShapeIn(m, s);
    }

    m.place(1, sky).place(2, starId);
    for (int f = 0; f < kFrames; ++f) {
        double t = double(f) / kFrames;
        for (int k = 0; k < 3; ++k) {
            double phase = 2 * kPi * (t + k / 3.0);
            Matrix mx = transform(kWidth / 2 + 1800 * std::sin(phase), 1600 + 900 * k,
                                  1.0 + 0.08 * std::sin(phase * 2), 1.0 + 0.35 * std::cos(phase),
                                  0.06 * std::sin(phase));
            double shimmer = 0.55 + 0.45 * std::sin(phase + k);
            ColorTransform cx = fade(0.35 + 0.6 * shimmer);
            m.put(uint16_t(3 + k), ribbons[k], mx, cx);
        }
        ColorTransform twinkle = fade(0.6 + 0.4 * pulse(t * 4));
        m.move(2, {}, twinkle);
        m.showFrame();
    }
    return m;
}

MovieWriter kaleidoscope() {
    constexpr int kFrames = 96;
    MovieWriter m = newMovie(7, 24, {12, 6, 20});
    // One wedge of 30 degrees, with a petal and two dots; the rosette mirrors every other.
    ShapeBuilder w;
    double r = 3600, half = kPi / 12;
    int petal = w.addFill(
        FillStyle::radial(gradientBox(-r, -r, 2 * r, 2 * r), gradient({{0, {255, 240, 200}},
                                                                       {90, {255, 120, 80}},
                                                                       {200, {120, 40, 160}},
                                                                       {255, {20, 10, 60}}})));
    int dot = w.addFill(FillStyle::solid({255, 230, 120, 230}));
    w.fill1(petal).moveTo(0, 0);
    w.lineTo(r * std::cos(-half), r * std::sin(-half));
    w.curveTo(r * 1.1, 0, r * std::cos(half), r * std::sin(half));
    w.lineTo(0, 0);
    w.fill1(dot).ellipse(r * 0.55, 0, 160, 160).ellipse(r * 0.82, r * 0.1, 90, 90);
    uint16_t wedge = defineShapeIn(m, w);

    TimelineWriter rosette;
    for (int i = 0; i < 12; ++i) {
        Matrix mx = transform(0, 0, 1, i % 2 ? -1 : 1, 2 * half * i);
        rosette.place(uint16_t(i + 1), wedge, mx);
    }
    rosette.showFrame();
    uint16_t rose = defineSpriteIn(m, rosette);

    for (int f = 0; f < kFrames; ++f) {
        double t = double(f) / kFrames, a = 2 * kPi * t;
        for (int k = 0; k < 3; ++k) {
            double scale = 1.0 - 0.3 * k;
            double turn = (k % 2 ? -1 : 1) * a / 6 + k * half; // a twelfth turn per loop
            ColorTransform cx;
            cx.rMul = int32_t(256 * (0.7 + 0.3 * std::sin(a + k)));
            cx.gMul = int32_t(256 * (0.7 + 0.3 * std::sin(a + 2.1 + k)));
            cx.bMul = int32_t(256 * (0.7 + 0.3 * std::sin(a + 4.2 + k)));
            cx.aMul = k == 0 ? 256 : 200;
            Matrix mx =
                transform(kWidth / 2, kHeight / 2, scale * (1 + 0.04 * std::sin(a * 2)), turn);
            m.put(uint16_t(k + 1), rose, mx, cx);
        }
        m.showFrame();
    }
    return m;
}

MovieWriter sunsetSkyline() {
    constexpr int kFrames = 100;
    MovieWriter m = newMovie(10, 20, {20, 10, 40});
    // Sky with a focal gradient centred low, where the sun sets.
    ShapeBuilder sky;
    Gradient g = gradient(
        {{0, {255, 220, 140}}, {60, {250, 140, 80}}, {150, {170, 70, 120}}, {255, {40, 24, 80}}});
    g.focalPoint = 0.55;
    sky.fill1(
           sky.addFill(FillStyle::focal(transform(kWidth / 2, kHeight * 0.8, kWidth * 1.3 / 32768,
                                                  kHeight * 1.4 / 32768, kPi / 2),
                                        g)))
        .rect(0, 0, kWidth, kHeight);
    uint16_t skyId = defineShapeIn(m, sky, 4);
    uint16_t sun = defineShapeIn(
        m, filledCircle(900, FillStyle::radial(gradientBox(-900, -900, 1800, 1800),
                                               gradient({{0, {255, 250, 210}},
                                                         {160, {255, 200, 90}},
                                                         {255, {255, 140, 60, 0}}}))));
    ShapeBuilder stars;
    stars.fill1(stars.addFill(FillStyle::solid({255, 255, 255})));
    Random rnd(11);
    for (int i = 0; i < 50; ++i)
        stars.ellipse(rnd.range(0, kWidth), rnd.range(0, 4200), 14, 14);
    uint16_t starId = defineShapeIn(m, stars);

    // Skyline and its windows.
    ShapeBuilder city, windows;
    city.fill1(city.addFill(FillStyle::solid({18, 14, 30})));
    windows.fill1(windows.addFill(FillStyle::solid({255, 214, 120})));
    Points outline{{0, kHeight}};
    double x = 0;
    while (x < kWidth) {
        double w = rnd.range(700, 1400), h = rnd.range(1600, 4400);
        outline.push_back({x, kHeight - h});
        outline.push_back({x + w, kHeight - h});
        for (double wy = kHeight - h + 300; wy < kHeight - 300; wy += 420)
            for (double wx = x + 180; wx < x + w - 260; wx += 300)
                if (rnd.next() < 0.45) windows.rect(wx, wy, 140, 200);
        x += w;
    }
    outline.push_back({x, kHeight});
    city.polygon(outline);
    uint16_t cityId = defineShapeIn(m, city);
    uint16_t windowsId = defineShapeIn(m, windows);

    m.place(1, skyId).place(2, starId, {}, fade(0)).place(3, sun).place(4, cityId);
    m.place(5, windowsId, {}, fade(0));
    for (int f = 0; f < kFrames; ++f) {
        double t = smooth(f / 70.0);
        m.move(1, {}, tint(1 - 0.6 * t, {0, 0, uint8_t(20 * t)}));
        m.move(3, transform(kWidth * 0.55, 3600 + 4200 * t, 1 + 0.2 * t));
        m.move(2, {}, fade(smooth((f - 40) / 40.0)));
        m.move(5, {}, fade(smooth((f - 30) / 30.0) * (0.85 + 0.15 * pulse(f / 25.0))));
        m.showFrame();
    }
    return m;
}

MovieWriter equalizerBars() {
    constexpr int kFrames = 48, kBars = 16;
    MovieWriter m = newMovie(7, 24, {16, 16, 22});
    const double barW = 500, gap = 120, full = 4200;
    const double left = (kWidth - kBars * barW - (kBars - 1) * gap) / 2;
    // A bar grows up from its origin; scaling y by the level sets its height.
    ShapeBuilder bar;
    bar.fill1(bar.addFill(FillStyle::linear(
        gradientBox(0, -full, barW, full, -kPi / 2),
        gradient({{0, {40, 220, 120}}, {150, {250, 220, 60}}, {255, {255, 70, 70}}}))));
    bar.roundRect(0, -full, barW, full, 60);
    uint16_t barId = defineShapeIn(m, bar);
    ShapeBuilder cap;
    cap.fill1(cap.addFill(FillStyle::solid({240, 240, 255}))).rect(0, -120, barW, 100);
    uint16_t capId = defineShapeIn(m, cap);
    ShapeBuilder floor;
    floor.fill1(floor.addFill(FillStyle::solid({60, 60, 80}))).rect(0, 5600, kWidth, 20);
    uint16_t floorId = defineShapeIn(m, floor);
    m.place(1, floorId);

    auto level = [](int bar, double t) {
        double a = 2 * kPi * t;
        double v = 0.5 + 0.25 * std::sin(a * 2 + bar * 0.7) + 0.15 * std::sin(a * 5 + bar * 1.9) +
                   0.1 * std::sin(a * 3 - bar * 0.4);
        return std::clamp(v, 0.05, 1.0);
    };
    for (int f = 0; f < kFrames; ++f) {
        double t = double(f) / kFrames;
        for (int b = 0; b < kBars; ++b) {
            double x = left + b * (barW + gap), v = level(b, t);
            auto depth = uint16_t(2 + b * 3);
            Matrix up = transform(x, 5600, 1, v, 0);
            Matrix mirror = transform(x, 5640, 1, -v * 0.5, 0);
            Matrix capAt = Matrix::translate(x, 5600 - full * v - 60);
            m.put(depth, barId, up).put(depth + 1, barId, mirror, fade(0.2));
            m.put(depth + 2, capId, capAt);
        }
        m.showFrame();
    }
    return m;
}

} // namespace samples
