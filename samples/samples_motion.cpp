// Samples about movement: nested sprite timelines, orbits, particles and gears.
#include "catalog.h"
#include "pixel_font.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace samples {

namespace {

FillStyle marbleFill(Rgba c, double r) {
    // The highlight sits up and left of the centre.
    return FillStyle::radial(transform(-r * 0.35, -r * 0.35, 2.6 * r / 32768),
                             gradient({{0, {255, 255, 255}},
                                       {40, mix(c, {255, 255, 255}, 0.4)},
                                       {150, c},
                                       {255, mix(c, {0, 0, 0}, 0.6)}}));
}

} // namespace

MovieWriter bouncingMarbles() {
    constexpr int kPeriod = 24, kFrames = 48;
    MovieWriter m = newMovie(7, 24, {236, 232, 222});
    const double r = 520;
    uint16_t ball = defineShapeIn(m, filledCircle(r, marbleFill({90, 90, 96}, r)));
    uint16_t glint = defineShapeIn(
        m, filledPolygon(starPoints(200, 40, 4), FillStyle::solid({255, 255, 255, 230})));
    ShapeBuilder sh;
    sh.fill1(sh.addFill(FillStyle::radial(gradientBox(-r, -180, 2 * r, 360),
                                          gradient({{0, {0, 0, 0, 90}}, {255, {0, 0, 0, 0}}}))))
        .ellipse(0, 0, r, 180);
    uint16_t shadow = defineShapeIn(m, sh);
    ShapeBuilder floor;
    floor.fill1(
        floor.addFill(FillStyle::linear(gradientBox(0, 6200, kWidth, 1800, kPi / 2),
                                        gradient({{0, {200, 194, 180}}, {255, {236, 232, 222}}}))));
    floor.rect(0, 6200, kWidth, 1800);
    uint16_t floorId = defineShapeIn(m, floor);

    // Marble: the ball and a twinkling glint, an 8-frame loop of its own.
    TimelineWriter marble;
    marble.place(1, ball);
    for (int f = 0; f < 8; ++f) {
        double s = 0.3 + 0.7 * pulse(f / 8.0);
        Matrix g = transform(-r * 0.35, -r * 0.4, s, f * kPi / 16);
        marble.put(2, glint, g);
        marble.showFrame();
    }
    uint16_t marbleId = defineSpriteIn(m, marble);

    // One bounce per sprite loop; every marble gets its own phase.
    const Rgba colors[] = {
        {220, 60, 70}, {60, 140, 230}, {250, 180, 40}, {70, 190, 110}, {160, 80, 200}};
    m.place(1, floorId);
    for (int k = 0; k < 5; ++k) {
        TimelineWriter bounce;
        for (int f = 0; f < kPeriod; ++f) {
            double t = double((f + k * 5) % kPeriod) / kPeriod;
            double height = 4 * t * (1 - t);                       // 0 on the floor, 1 at the top
            double squash = std::max(0.0, 1 - height * 12) * 0.18; // only near the floor
            Matrix ballAt =
                transform(0, -r * (1 - squash) - height * 4200, 1 + squash, 1 - squash, 0);
            Matrix shadowAt = transform(0, 0, 1 - 0.5 * height);
            bounce.put(1, shadow, shadowAt, fade(1 - 0.6 * height)).put(2, marbleId, ballAt);
            bounce.showFrame();
        }
        uint16_t bounceId = defineSpriteIn(m, bounce);
        ColorTransform c = tint(0.45, {uint8_t(colors[k].r * 0.6), uint8_t(colors[k].g * 0.6),
                                       uint8_t(colors[k].b * 0.6)});
        m.place(uint16_t(2 + k), bounceId, Matrix::translate(1500 + k * 2000, 6900), c);
    }
    m.showFrame(kFrames);
    return m;
}

MovieWriter orbitingPlanets() {
    MovieWriter m = newMovie(6, 24, {6, 8, 20});
    const double cx = kWidth / 2, cy = kHeight / 2;
    uint16_t sun =
        defineShapeIn(m, filledCircle(900, FillStyle::radial(gradientBox(-900, -900, 1800, 1800),
                                                             gradient({{0, {255, 255, 220}},
                                                                       {120, {255, 210, 80}},
                                                                       {255, {255, 120, 30}}}))));
    uint16_t halo = defineShapeIn(
        m, filledCircle(1800, FillStyle::radial(
                                  gradientBox(-1800, -1800, 3600, 3600),
                                  gradient({{0, {255, 200, 80, 120}}, {255, {255, 160, 40, 0}}}))));
    auto planet = [&](Rgba c, double r) {
        return defineShapeIn(m, filledCircle(r, marbleFill(c, r)));
    };
    uint16_t blue = planet({60, 130, 230}, 380), red = planet({220, 100, 60}, 260);
    uint16_t moon = planet({200, 200, 210}, 120);
    ShapeBuilder orbits;
    int faint = orbits.addLine(LineStyle::solid(20, {120, 130, 170, 110}));
    orbits.line(faint).ellipse(0, 0, 3000, 1300).ellipse(0, 0, 4800, 2100);
    uint16_t orbitId = defineShapeIn(m, orbits);

    // Moon orbit (24 frames) inside a planet system inside a planet orbit (96 or 48 frames).
    auto orbitSprite = [&](uint16_t body, int frames, double rx, double ry, int phase) {
        TimelineWriter t;
        for (int f = 0; f < frames; ++f) {
            double a = 2 * kPi * (f + phase) / frames;
            Matrix at = Matrix::translate(rx * std::cos(a), ry * std::sin(a));
            t.put(1, body, at);
            t.showFrame();
        }
        return defineSpriteIn(m, t);
    };
    uint16_t moonOrbit = orbitSprite(moon, 24, 700, 300, 0);
    TimelineWriter system;
    system.place(1, blue).place(2, moonOrbit).showFrame();
    uint16_t blueSystem = defineSpriteIn(m, system);
    uint16_t outer = orbitSprite(blueSystem, 96, 4800, 2100, 10);
    uint16_t inner = orbitSprite(red, 48, 3000, 1300, 30);

    Matrix centre = Matrix::translate(cx, cy);
    m.place(1, orbitId, centre).place(2, halo, centre).place(3, sun, centre);
    m.place(4, inner, centre).place(5, outer, centre);
    for (int f = 0; f < 96; ++f) {
        m.move(2, transform(cx, cy, 1 + 0.06 * std::sin(2 * kPi * f / 24)));
        m.showFrame();
    }
    return m;
}

MovieWriter starfieldWarp() {
    constexpr int kFrames = 60, kStars = 60;
    MovieWriter m = newMovie(13, 30, {0, 0, 8});
    uint16_t glow =
        defineShapeIn(m, filledCircle(2400, FillStyle::radial(gradientBox(-2400, -2400, 4800, 4800),
                                                              gradient({{0, {90, 110, 255, 110}},
                                                                        {255, {20, 0, 60, 0}}}))));
    // A streak pointing along +x; scaling x stretches it as it speeds up.
    ShapeBuilder streak;
    streak.fill1(streak.addFill(FillStyle::linear(
        gradientBox(-60, -20, 120, 40),
        gradient({{0, {255, 255, 255, 0}}, {200, {220, 230, 255}}, {255, {255, 255, 255}}}))));
    streak.ellipse(0, 0, 60, 22);
    uint16_t star = defineShapeIn(m, streak);
    m.place(1, glow, Matrix::translate(kWidth / 2, kHeight / 2));

    Random rnd(3);
    struct Star {
        double angle, phase, speed;
    };
    std::vector<Star> stars;
    for (int i = 0; i < kStars; ++i)
        stars.push_back({rnd.range(0, 2 * kPi), rnd.range(0, 1), rnd.next() < 0.5 ? 1.0 : 2.0});
    for (int f = 0; f < kFrames; ++f) {
        for (int i = 0; i < kStars; ++i) {
            const Star& s = stars[i];
            double t = std::fmod(s.phase + s.speed * f / kFrames, 1.0);
            double dist = 150 * std::exp(t * 4.2);
            double stretch = 1 + t * t * 14;
            Matrix at =
                transform(kWidth / 2 + dist * std::cos(s.angle),
                          kHeight / 2 + dist * std::sin(s.angle), stretch, 0.5 + 1.5 * t, s.angle);
            ColorTransform c = fade(std::min(1.0, t * 3));
            m.put(uint16_t(2 + i), star, at, c);
        }
        m.move(1, transform(kWidth / 2, kHeight / 2, 1 + 0.1 * pulse(double(f) / kFrames)));
        m.showFrame();
    }
    return m;
}

MovieWriter confettiParty() {
    constexpr int kFrames = 72, kPieces = 44;
    MovieWriter m = newMovie(13, 24, {30, 26, 60});
    std::vector<uint16_t> shapes;
    for (int k = 0; k < 6; ++k) {
        Rgba c = hsv(k / 6.0 + 0.05, 0.75, 1.0);
        FillStyle f = FillStyle::solid(c);
        if (k % 3 == 0)
            shapes.push_back(
                defineShapeIn(m, filledPolygon({{-90, -50}, {90, -50}, {90, 50}, {-90, 50}}, f)));
        else if (k % 3 == 1)
            shapes.push_back(defineShapeIn(m, filledCircle(70, f)));
        else
            shapes.push_back(defineShapeIn(m, filledPolygon(regularPolygon(90, 3), f)));
    }

    // Banner in the block font (DefineFont2, EM 1024).
    FontDesc font = pixelFont("Blocks", 1024);
    uint16_t fontId = m.newId();
    m.add(defineFont2(fontId, font));
    TextRecord line = layoutText(font, fontId, 1000, {255, 240, 200}, 0, 0, "HOORAY!");
    int32_t width = textWidth(line);
    uint16_t banner = m.newId();
    m.add(defineText(banner, {0, width, -900, 150}, {}, {line}));
    m.place(1, banner, Matrix::translate((kWidth - width) / 2, kHeight / 2 + 400));

    Random rnd(21);
    struct Piece {
        double x, phase, sway, spin;
        uint16_t shape;
    };
    std::vector<Piece> pieces;
    for (int i = 0; i < kPieces; ++i)
        pieces.push_back({rnd.range(0, kWidth), rnd.next(), rnd.range(200, 600),
                          std::floor(rnd.range(1, 4)), shapes[i % shapes.size()]});
    for (int f = 0; f < kFrames; ++f) {
        double t = double(f) / kFrames;
        for (int i = 0; i < kPieces; ++i) {
            const Piece& p = pieces[i];
            double u = std::fmod(p.phase + t, 1.0);
            double a = 2 * kPi * (u * p.spin);
            Matrix at = transform(p.x + p.sway * std::sin(2 * kPi * (u * 2 + p.phase)),
                                  -300 + (kHeight + 600) * u, std::cos(a), 1, a * 0.5);
            m.put(uint16_t(2 + i), p.shape, at);
        }
        m.move(1, transform((kWidth - width) / 2, kHeight / 2 + 400 - 200 * pulse(t * 2), 1));
        m.showFrame();
    }
    return m;
}

namespace {

// Gear outline of `teeth` teeth around a pitch circle of teeth * module, with a hole.
ShapeBuilder gear(int teeth, double module, Rgba color) {
    double pitch = teeth * module, outer = pitch + module, root = pitch - 1.2 * module;
    Points p;
    for (int i = 0; i < teeth; ++i) {
        double a = 2 * kPi * i / teeth, step = 2 * kPi / teeth;
        auto at = [&](double r, double ang) {
            p.push_back({r * std::cos(ang), r * std::sin(ang)});
        };
        at(root, a - step * 0.5);
        at(root, a - step * 0.3);
        at(outer, a - step * 0.15);
        at(outer, a + step * 0.15);
        at(root, a + step * 0.3);
    }
    ShapeBuilder s;
    int body = s.addFill(FillStyle::radial(gradientBox(-outer, -outer, 2 * outer, 2 * outer),
                                           gradient({{0, mix(color, {255, 255, 255}, 0.5)},
                                                     {200, color},
                                                     {255, mix(color, {0, 0, 0}, 0.5)}})));
    int edge = s.addLine(LineStyle::solid(30, mix(color, {0, 0, 0}, 0.6)));
    s.fill1(body).line(edge).polygon(p);
    s.ellipse(0, 0, pitch * 0.25, pitch * 0.25); // same fill: even-odd makes the hole
    for (int k = 0; k < 5; ++k) {
        double a = 2 * kPi * k / 5;
        s.ellipse(pitch * 0.6 * std::cos(a), pitch * 0.6 * std::sin(a), pitch * 0.12, pitch * 0.12);
    }
    return s;
}

} // namespace

MovieWriter clockwork() {
    constexpr int kFrames = 96;
    MovieWriter m = newMovie(9, 24, {40, 36, 44});
    const double module = 80;
    struct Gear {
        int teeth;
        Rgba color;
        double x, y, base, speed;
        uint16_t id;
    };
    // The first gear turns two teeth per loop; every gear meshes with the one before it.
    std::vector<Gear> gears = {{24, {200, 160, 70}, 3000, 4000, 0, 0, 0},
                               {14, {180, 180, 190}, 0, 0, 0, 0, 0},
                               {20, {190, 110, 60}, 0, 0, 0, 0, 0},
                               {10, {200, 160, 70}, 0, 0, 0, 0, 0}};
    const double directions[] = {0, 0.2 * kPi, -0.3 * kPi, 0.35 * kPi};
    gears[0].speed = 2 * kPi * 2 / (gears[0].teeth * kFrames);
    for (size_t i = 1; i < gears.size(); ++i) {
        Gear& p = gears[i - 1];
        Gear& g = gears[i];
        double dist = (p.teeth + g.teeth) * module, dir = directions[i];
        g.x = p.x + dist * std::cos(dir);
        g.y = p.y + dist * std::sin(dir);
        // A tooth of the parent at `dir` meets a gap of this gear on the opposite side.
        g.base = dir + kPi + kPi / g.teeth - (p.base - dir) * p.teeth / g.teeth;
        g.speed = -p.speed * p.teeth / g.teeth;
    }
    for (Gear& g : gears)
        g.id = defineShapeIn(m, gear(g.teeth, module, g.color));
    ShapeBuilder plate;
    plate.fill1(
        plate.addFill(FillStyle::radial(gradientBox(-2000, -2000, kWidth + 4000, kHeight + 4000),
                                        gradient({{0, {70, 64, 72}}, {255, {24, 22, 28}}}))));
    plate.rect(0, 0, kWidth, kHeight);
    m.place(1, defineShapeIn(m, plate));
    for (int f = 0; f < kFrames; ++f) {
        for (size_t i = 0; i < gears.size(); ++i) {
            const Gear& g = gears[i];
            Matrix at = transform(g.x, g.y, 1, g.base + g.speed * f);
            m.put(uint16_t(2 + i), g.id, at);
        }
        m.showFrame();
    }
    return m;
}

} // namespace samples
