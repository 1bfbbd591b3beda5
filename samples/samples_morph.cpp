// Samples with shape tweens (morph shapes) and stroke styles.
#include "catalog.h"

#include <cmath>

namespace samples {

namespace {

// Ten edges around the centre, alternating between an outer and an inner radius; each
// edge a curve bulging by `bulge` (1 = straight).
void petals(ShapeBuilder& s, double outer, double inner, double bulge) {
    auto point = [&](int j) {
        double a = -kPi / 2 + j * kPi / 5, r = j % 2 ? inner : outer;
        return std::pair{r * std::cos(a), r * std::sin(a)};
    };
    auto [x0, y0] = point(0);
    s.moveTo(x0, y0);
    for (int j = 0; j < 10; ++j) {
        auto [ax, ay] = point(j);
        auto [bx, by] = point(j + 1);
        double mx = (ax + bx) / 2, my = (ay + by) / 2;
        s.curveTo(mx * bulge, my * bulge, bx, by);
    }
}

} // namespace

MovieWriter morphingBloom() {
    constexpr int kFrames = 60;
    MovieWriter m = newMovie(6, 30, {250, 244, 236});
    ShapeBuilder bg;
    bg.fill1(
        bg.addFill(FillStyle::radial(gradientBox(-2000, -4000, kWidth + 4000, kHeight + 8000),
                                     gradient({{0, {255, 252, 246}}, {255, {236, 222, 214}}}))));
    bg.rect(0, 0, kWidth, kHeight);
    m.place(1, defineShapeIn(m, bg));

    MorphShapeBuilder bloom;
    Matrix box = gradientBox(-2600, -2600, 5200, 5200);
    bloom.addFill(
        {FillStyle::radial(
             box, gradient({{0, {255, 240, 250}}, {120, {240, 110, 170}}, {255, {150, 30, 110}}})),
         FillStyle::radial(
             box, gradient({{0, {255, 255, 210}}, {120, {255, 200, 60}}, {255, {230, 110, 20}}}))});
    bloom.addLine({LineStyle::solid(40, {255, 255, 255, 200}), LineStyle::solid(90, {120, 50, 0})});
    bloom.start().fill1(1).line(1);
    petals(bloom.start(), 2400, 700, 2.2);
    petals(bloom.end(), 2600, 1100, 1.0);
    uint16_t id = m.newId();
    m.add(defineMorphShape(id, bloom));

    struct Spot {
        double x, y, scale, phase;
    };
    const Spot spots[] = {
        {kWidth / 2, kHeight / 2, 1.0, 0}, {1700, 1500, 0.35, 0.33}, {9300, 6500, 0.45, 0.66}};
    for (int f = 0; f < kFrames; ++f) {
        double t = double(f) / kFrames;
        for (int k = 0; k < 3; ++k) {
            const Spot& s = spots[k];
            Matrix at = transform(s.x, s.y, s.scale, (k % 2 ? -1 : 1) * 2 * kPi * t / 5);
            auto ratio = uint16_t(std::lround(65535 * smooth(pulse(t + s.phase))));
            m.put(uint16_t(2 + k), id, at, {}, ratio);
        }
        m.showFrame();
    }
    return m;
}

namespace {

// A band whose top edge is a wave of `waves` wavelengths of `length`, amplitude `amp`.
void waveBand(ShapeBuilder& s, int waves, double length, double amp, double depth, bool foamOnTop) {
    s.moveTo(0, 0);
    for (int i = 0; i < waves; ++i) {
        double x = i * length;
        s.curveTo(x + length / 4, -2 * amp, x + length / 2, 0);
        s.curveTo(x + length * 3 / 4, amp, x + length, 0);
    }
    if (foamOnTop) s.line(0);
    s.lineTo(waves * length, depth).lineTo(0, depth).lineTo(0, 0);
}

} // namespace

MovieWriter oceanWaves() {
    constexpr int kFrames = 48;
    const double length = 2750;
    MovieWriter m = newMovie(13, 24, {150, 200, 240});
    uint16_t sky = defineShapeIn(
        m, stageRect(FillStyle::linear(gradientBox(0, 0, kWidth, kHeight * 0.6, kPi / 2),
                                       gradient({{0, {110, 170, 235}}, {255, {250, 225, 200}}}))));
    uint16_t sun = defineShapeIn(
        m, filledCircle(700, FillStyle::radial(gradientBox(-700, -700, 1400, 1400),
                                               gradient({{0, {255, 255, 230}},
                                                         {200, {255, 230, 150}},
                                                         {255, {255, 210, 140, 0}}}))));
    m.place(1, sky).place(2, sun, Matrix::translate(8200, 1700));

    // Three layers, calm at ratio 0 and choppy at 65535; the front one has a foam line.
    const Rgba colors[] = {{90, 150, 210}, {40, 110, 180}, {20, 70, 140}};
    uint16_t layers[3];
    for (int k = 0; k < 3; ++k) {
        MorphShapeBuilder w;
        Rgba c = colors[k], deep = mix(c, {0, 20, 60}, 0.5);
        Matrix g = gradientBox(0, -300, 100, 3000, kPi / 2);
        w.addFill(
            {FillStyle::linear(g, gradient({{0, c}, {255, deep}})),
             FillStyle::linear(g, gradient({{0, mix(c, {255, 255, 255}, 0.2)}, {255, deep}}))});
        bool foam = k == 2;
        if (foam) {
            LineStyle calm = LineStyle::solid(50, {255, 255, 255, 160});
            LineStyle rough = LineStyle::solid(110, {255, 255, 255, 230});
            calm.startCap = calm.endCap = rough.startCap = rough.endCap = Cap::Round;
            w.addLine({calm, rough});
            w.start().line(1);
        }
        w.start().fill1(1);
        waveBand(w.start(), 6, length, 80 + 40 * k, 3400, foam);
        waveBand(w.end(), 6, length, 260 + 120 * k, 3400, false);
        layers[k] = m.newId();
        m.add(defineMorphShape(layers[k], w, foam ? 2 : 1));
    }
    ShapeBuilder boat;
    int hull = boat.addFill(FillStyle::solid({120, 60, 40}));
    int sail = boat.addFill(FillStyle::solid({250, 246, 236}));
    int mast = boat.addLine(LineStyle::solid(40, {60, 40, 30}));
    boat.fill1(hull).polygon({{-700, -80}, {700, -80}, {450, 250}, {-450, 250}});
    boat.fill1(sail).polygon({{0, -1500}, {600, -200}, {0, -200}});
    boat.fill1(0).line(mast).moveTo(0, -1550).lineTo(0, -80);
    uint16_t boatId = defineShapeIn(m, boat);

    for (int f = 0; f < kFrames; ++f) {
        double t = double(f) / kFrames;
        for (int k = 0; k < 3; ++k) {
            double travel = std::fmod(t * (k + 1), 1.0) * length;
            Matrix at = Matrix::translate(-travel - length * 0.5 * k, 4600 + k * 900);
            auto ratio = uint16_t(std::lround(65535 * pulse(t + k * 0.2)));
            m.put(uint16_t(3 + k * 2), layers[k], at, {}, ratio);
        }
        double bob = std::sin(2 * kPi * t * 2);
        Matrix boatAt = transform(4200, 5750 + 120 * bob, 0.8, 0.08 * std::cos(2 * kPi * t * 2));
        m.put(6, boatId, boatAt);
        m.showFrame();
    }
    return m;
}

MovieWriter strokeStyles() {
    constexpr int kFrames = 48;
    MovieWriter m = newMovie(13, 24, {24, 26, 34});

    // Zigzags, one per cap/join pairing.
    struct Kind {
        Cap cap;
        Join join;
        Rgba color;
    };
    const Kind kinds[] = {{Cap::None, Join::Miter, {255, 120, 90}},
                          {Cap::Round, Join::Round, {110, 220, 140}},
                          {Cap::Square, Join::Bevel, {110, 170, 255}}};
    uint16_t zig[3];
    for (int k = 0; k < 3; ++k) {
        ShapeBuilder s;
        LineStyle l = LineStyle::solid(260, kinds[k].color);
        l.startCap = l.endCap = kinds[k].cap;
        l.join = kinds[k].join;
        l.miterLimit = 4;
        s.line(s.addLine(l)).moveTo(0, 0);
        for (int i = 1; i <= 6; ++i)
            s.lineTo(i * 700, i % 2 ? -600 : 0);
        zig[k] = defineShapeIn(m, s, 4);
    }

    // A spiral stroked with a rainbow gradient (a fill inside the line style).
    ShapeBuilder spiral;
    LineStyle rainbow = LineStyle::solid(150, {});
    rainbow.startCap = rainbow.endCap = Cap::Round;
    rainbow.fill =
        FillStyle::linear(gradientBox(-2200, -2200, 4400, 4400), gradient({{0, {255, 80, 80}},
                                                                           {60, {255, 200, 60}},
                                                                           {120, {90, 230, 120}},
                                                                           {180, {80, 160, 255}},
                                                                           {255, {200, 90, 255}}}));
    spiral.line(spiral.addLine(rainbow)).moveTo(0, 0);
    for (int i = 1; i <= 32; ++i) {
        double a0 = (i - 0.5) * kPi / 4, a1 = i * kPi / 4;
        double r0 = 60 * (i - 0.5) / std::cos(kPi / 8), r1 = 60.0 * i;
        spiral.curveTo(r0 * std::cos(a0), r0 * std::sin(a0), r1 * std::cos(a1), r1 * std::sin(a1));
    }
    uint16_t spiralId = defineShapeIn(m, spiral, 4);

    // A thin outline that keeps its width while the square scales.
    ShapeBuilder frame;
    LineStyle thin = LineStyle::solid(30, {240, 240, 250});
    thin.noHScale = thin.noVScale = true;
    thin.join = Join::Miter;
    frame.line(frame.addLine(thin)).rect(-500, -500, 1000, 1000);
    uint16_t frameId = defineShapeIn(m, frame, 4);

    // Spinner: twelve round-capped dashes fading one after another.
    ShapeBuilder dash;
    LineStyle round = LineStyle::solid(120, {255, 255, 255});
    dash.line(dash.addLine(round)).moveTo(0, -700).lineTo(0, -420);
    uint16_t dashId = defineShapeIn(m, dash, 4);

    for (int f = 0; f < kFrames; ++f) {
        double t = double(f) / kFrames;
        for (int k = 0; k < 3; ++k) {
            Matrix at =
                Matrix::translate(700 + 400 * std::sin(2 * kPi * (t + k * 0.15)), 2200 + k * 2000);
            m.put(uint16_t(1 + k), zig[k], at);
        }
        Matrix spin = transform(8300, 2700, 1, -2 * kPi * t);
        m.put(4, spiralId, spin);
        Matrix grow = transform(6400, 6300, 0.6 + 0.8 * pulse(t), kPi / 4 * t);
        m.put(5, frameId, grow);
        for (int i = 0; i < 12; ++i) {
            double age = std::fmod(i / 12.0 - t * 2 + 2, 1.0);
            Matrix at = transform(9300, 6300, 1, 2 * kPi * i / 12);
            ColorTransform c = fade(0.15 + 0.85 * age);
            m.put(uint16_t(6 + i), dashId, at, c);
        }
        m.showFrame();
    }
    return m;
}

} // namespace samples
