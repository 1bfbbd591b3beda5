#include "kit.h"

#include <algorithm>
#include <cmath>

namespace samples {

MovieWriter newMovie(uint8_t version, double fps, Rgba background) {
    return MovieWriter(version, {0, int32_t(kWidth), 0, int32_t(kHeight)}, fps, background);
}

uint16_t defineShapeIn(MovieWriter& m, const ShapeBuilder& s, int version) {
    uint16_t id = m.newId();
    m.add(defineShape(id, s, version));
    return id;
}

uint16_t defineSpriteIn(MovieWriter& m, const TimelineWriter& t) {
    uint16_t id = m.newId();
    m.add(defineSprite(id, t));
    return id;
}

Rgba hsv(double hue, double sat, double val, uint8_t alpha) {
    hue = hue - std::floor(hue);
    double h = hue * 6;
    int i = int(h) % 6;
    double f = h - std::floor(h);
    double p = val * (1 - sat), q = val * (1 - sat * f), t = val * (1 - sat * (1 - f));
    double r, g, b;
    switch (i) {
    case 0:
        r = val, g = t, b = p;
        break;
    case 1:
        r = q, g = val, b = p;
        break;
    case 2:
        r = p, g = val, b = t;
        break;
    case 3:
        r = p, g = q, b = val;
        break;
    case 4:
        r = t, g = p, b = val;
        break;
    default:
        r = val, g = p, b = q;
        break;
    }
    auto c = [](double v) { return uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return {c(r), c(g), c(b), alpha};
}

Rgba mix(Rgba a, Rgba b, double t) {
    auto m = [t](uint8_t x, uint8_t y) { return uint8_t(std::lround(x + (y - x) * t)); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b), m(a.a, b.a)};
}

Gradient gradient(std::initializer_list<std::pair<uint8_t, Rgba>> stops, Spread spread) {
    Gradient g;
    for (const auto& [ratio, color] : stops)
        g.stops.push_back({ratio, color});
    g.spread = spread;
    return g;
}

Matrix transform(double x, double y, double scale, double angle) {
    return transform(x, y, scale, scale, angle);
}

Matrix transform(double x, double y, double sx, double sy, double angle) {
    double c = std::cos(angle), s = std::sin(angle);
    return {sx * c, sx * s, -sy * s, sy * c, x, y};
}

ColorTransform fade(double alpha) {
    ColorTransform c;
    c.aMul = int32_t(std::lround(std::clamp(alpha, 0.0, 1.0) * 256));
    return c;
}

ColorTransform tint(double gain, Rgba add, double alpha) {
    ColorTransform c = fade(alpha);
    c.rMul = c.gMul = c.bMul = int32_t(std::lround(gain * 256));
    c.rAdd = add.r;
    c.gAdd = add.g;
    c.bAdd = add.b;
    return c;
}

ShapeBuilder filledCircle(double r, const FillStyle& fill) {
    ShapeBuilder s;
    s.fill1(s.addFill(fill)).ellipse(0, 0, r, r);
    return s;
}

ShapeBuilder filledPolygon(const Points& points, const FillStyle& fill) {
    ShapeBuilder s;
    s.fill1(s.addFill(fill)).polygon(points);
    return s;
}

ShapeBuilder stageRect(const FillStyle& fill) {
    ShapeBuilder s;
    s.fill1(s.addFill(fill)).rect(0, 0, kWidth, kHeight);
    return s;
}

Points starPoints(double outer, double inner, int tips, double turn) {
    Points p;
    for (int i = 0; i < tips * 2; ++i) {
        double a = turn - kPi / 2 + kPi * i / tips;
        double r = i % 2 ? inner : outer;
        p.push_back({r * std::cos(a), r * std::sin(a)});
    }
    return p;
}

Points regularPolygon(double r, int sides, double turn) {
    Points p;
    for (int i = 0; i < sides; ++i) {
        double a = turn - kPi / 2 + 2 * kPi * i / sides;
        p.push_back({r * std::cos(a), r * std::sin(a)});
    }
    return p;
}

double pulse(double t) {
    return 0.5 - 0.5 * std::cos(2 * kPi * t);
}

double smooth(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

double Random::next() {
    state_ = state_ * 1664525u + 1013904223u;
    return (state_ >> 8) / double(1u << 24);
}

} // namespace samples
