// default.swf: a calm, neutral idle animation for players with nothing else to show.
#include "catalog.h"

#include <cmath>

namespace samples {

MovieWriter defaultMovie() {
    constexpr int kFrames = 96;
    MovieWriter m = newMovie(8, 24, {58, 66, 80});
    m.place(1, defineShapeIn(m, stageRect(FillStyle::linear(
                                    gradientBox(0, 0, kWidth, kHeight, kPi / 2),
                                    gradient({{0, {84, 94, 112}}, {255, {40, 46, 58}}})))));
    uint16_t bokeh = defineShapeIn(
        m, filledCircle(1000, FillStyle::radial(gradientBox(-1000, -1000, 2000, 2000),
                                                gradient({{0, {255, 255, 255, 60}},
                                                          {180, {220, 230, 255, 30}},
                                                          {255, {220, 230, 255, 0}}}))));
    ShapeBuilder ring;
    LineStyle soft = LineStyle::solid(70, {230, 236, 248, 150});
    ring.line(ring.addLine(soft)).ellipse(0, 0, 1300, 1300);
    ring.line(0).fill1(ring.addFill(FillStyle::solid({230, 236, 248, 120})));
    ring.ellipse(0, 0, 160, 160);
    uint16_t ringId = defineShapeIn(m, ring);

    struct Drift {
        double x, y, ax, ay, scale;
        int fx, fy;
        double phase;
    };
    const Drift drifts[] = {
        {2000, 2000, 900, 500, 1.6, 1, 1, 0.0},   {8500, 1800, 700, 600, 1.1, 1, 2, 0.3},
        {3500, 6200, 1100, 400, 1.3, 2, 1, 0.6},  {9000, 6000, 600, 700, 2.0, 1, 1, 0.8},
        {5600, 3800, 1500, 900, 0.8, 1, 2, 0.15}, {1200, 4800, 500, 900, 0.9, 2, 1, 0.45},
        {6800, 700, 900, 300, 1.2, 1, 1, 0.7}};
    for (int f = 0; f < kFrames; ++f) {
        double t = double(f) / kFrames;
        for (int i = 0; i < 7; ++i) {
            const Drift& d = drifts[i];
            double a = 2 * kPi * (t + d.phase);
            Matrix at = transform(d.x + d.ax * std::sin(a * d.fx), d.y + d.ay * std::cos(a * d.fy),
                                  d.scale * (1 + 0.08 * std::sin(a * 2)));
            ColorTransform c = fade(0.6 + 0.4 * pulse(t * 2 + d.phase));
            m.put(uint16_t(2 + i), bokeh, at, c);
        }
        double breath = pulse(t * 2);
        Matrix at = transform(kWidth / 2, kHeight / 2, 1 + 0.06 * breath, kPi * t / 2);
        ColorTransform c = fade(0.55 + 0.35 * breath);
        m.put(10, ringId, at, c);
        m.showFrame();
    }
    return m;
}

} // namespace samples
