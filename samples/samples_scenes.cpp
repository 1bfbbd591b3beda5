// Samples with text, a button, frame actions, a mask and a sound.
#include "catalog.h"
#include "pixel_font.h"

#include <algorithm>
#include <cmath>

namespace samples {

MovieWriter blockLetters() {
    constexpr int kFrames = 72, kEm = 20480;
    MovieWriter m = newMovie(8, 24, {30, 20, 50});
    m.place(1, defineShapeIn(m, stageRect(FillStyle::linear(
                                    gradientBox(0, 0, kWidth, kHeight, kPi / 2),
                                    gradient({{0, {40, 24, 70}}, {255, {16, 10, 30}}})))));
    FontDesc font = pixelFont("Blocks", kEm);
    uint16_t fontId = m.newId();
    m.add(defineFont3(fontId, font));

    // Every letter is its own text so it can hop on its own.
    const std::string word = "REELVISTA";
    const uint16_t height = 1400;
    std::vector<uint16_t> letters;
    int32_t advance = 0;
    for (size_t i = 0; i < word.size(); ++i) {
        TextRecord r =
            layoutText(font, fontId, height, hsv(i / 9.0, 0.65, 1.0), 0, 0, word.substr(i, 1), kEm);
        advance = textWidth(r);
        uint16_t id = m.newId();
        m.add(defineText(id, {0, advance, -height, 0}, {}, {r}));
        letters.push_back(id);
    }
    TextRecord tag =
        layoutText(font, fontId, 500, {200, 190, 230}, 0, 0, "VECTOR MOVIES, BROWSED.", kEm);
    uint16_t tagId = m.newId();
    int32_t tagWidth = textWidth(tag);
    m.add(defineText(tagId, {0, tagWidth, -500, 0}, {}, {tag}));
    m.place(2, tagId, Matrix::translate((kWidth - tagWidth) / 2, 5800));

    const double left = (kWidth - advance * double(word.size())) / 2;
    for (int f = 0; f < kFrames; ++f) {
        double t = double(f) / kFrames;
        for (size_t i = 0; i < letters.size(); ++i) {
            double wave = std::max(0.0, std::sin(2 * kPi * t * 2 - i * 0.55));
            Matrix at = transform(left + advance * double(i), 4300 - 900 * wave, 1 - 0.05 * wave,
                                  1 + 0.08 * wave, 0.05 * wave);
            ColorTransform glow =
                tint(1, {uint8_t(60 * wave), uint8_t(60 * wave), uint8_t(60 * wave)});
            m.put(uint16_t(3 + i), letters[i], at, glow);
        }
        m.move(2, Matrix::translate((kWidth - tagWidth) / 2, 5800), fade(0.6 + 0.4 * pulse(t)));
        m.showFrame();
    }
    return m;
}

MovieWriter pressMeButton() {
    constexpr int kBurst = 34;
    MovieWriter m = newMovie(6, 24, {232, 238, 246});
    const double bw = 3800, bh = 1300;
    auto face = [&](Rgba top, Rgba bottom, double dy) {
        ShapeBuilder s;
        s.fill1(s.addFill(FillStyle::linear(gradientBox(-bw / 2, -bh / 2 + dy, bw, bh, kPi / 2),
                                            gradient({{0, top}, {255, bottom}}))));
        s.line(s.addLine(LineStyle::solid(40, mix(bottom, {0, 0, 0}, 0.3))));
        s.roundRect(-bw / 2, -bh / 2 + dy, bw, bh, bh / 2);
        return defineShapeIn(m, s);
    };
    uint16_t up = face({110, 170, 255}, {40, 90, 200}, 0);
    uint16_t over = face({150, 200, 255}, {60, 120, 230}, 0);
    uint16_t down = face({40, 90, 200}, {30, 60, 150}, 40);
    ShapeBuilder hit;
    hit.fill1(hit.addFill(FillStyle::solid({0, 0, 0}))).rect(-bw / 2, -bh / 2, bw, bh);
    uint16_t hitId = defineShapeIn(m, hit);

    FontDesc sans;
    sans.name = "_sans"; // no glyphs: a device font
    uint16_t fontId = m.newId();
    m.add(defineFont2(fontId, sans));
    auto label = [&](const char* text, uint16_t height, Rgba color, double width) {
        EditTextDesc d;
        d.bounds = {0, int32_t(width), 0, int32_t(height * 1.4)};
        d.fontId = fontId;
        d.fontHeight = height;
        d.color = color;
        d.text = text;
        d.readOnly = d.noSelect = true;
        d.layout = EditTextLayout{2, 0, 0, 0, 0};
        uint16_t id = m.newId();
        m.add(defineEditText(id, d));
        return id;
    };
    uint16_t caption = label("Press me", 520, {255, 255, 255}, bw);
    uint16_t hint = label("click the button or press Enter", 300, {110, 120, 140}, 8000);

    Matrix textAt = Matrix::translate(-bw / 2, -380);
    std::vector<ButtonRecord> records = {
        {buttonstate::Up, up, 1, {}, {}, {}, {}},
        {buttonstate::Over, over, 1, {}, {}, {}, {}},
        {buttonstate::Down, down, 1, {}, {}, {}, {}},
        {buttonstate::HitTest, hitId, 1, {}, {}, {}, {}},
        {buttonstate::Up | buttonstate::Over, caption, 2, textAt, {}, {}, {}},
        {buttonstate::Down, caption, 2, Matrix::translate(-bw / 2, -340), {}, {}, {}},
    };
    std::vector<ButtonCondAction> actions = {
        {buttoncond::OverDownToOverUp, ActionBuilder().play().bytes()},
        {buttoncond::keyPress(13), ActionBuilder().play().bytes()}};
    uint16_t button = m.newId();
    m.add(defineButton2(button, records, actions));
    uint16_t spark =
        defineShapeIn(m, filledPolygon(starPoints(260, 110, 5), FillStyle::solid({255, 200, 60})));

    // Frame 1 waits for the button; frames 2.. throw sparks, then go back and wait.
    m.place(1, hint, Matrix::translate((kWidth - 8000) / 2, 5400));
    m.place(2, button, Matrix::translate(kWidth / 2, kHeight / 2));
    m.label("idle").actions(ActionBuilder().stop()).showFrame();
    for (int f = 0; f < kBurst; ++f) {
        double t = (f + 1.0) / kBurst, reach = 4200 * (1 - (1 - t) * (1 - t));
        if (f == 0) m.label("burst");
        for (int i = 0; i < 12; ++i) {
            double a = 2 * kPi * i / 12 + 0.2;
            Matrix at = transform(kWidth / 2 + reach * std::cos(a),
                                  kHeight / 2 + reach * 0.7 * std::sin(a), 1 - 0.6 * t, t * 4);
            m.put(uint16_t(10 + i), spark, at, fade(1 - t));
        }
        m.showFrame();
    }
    for (int i = 0; i < 12; ++i)
        m.remove(uint16_t(10 + i));
    m.actions(ActionBuilder().gotoFrame(0)).showFrame();
    return m;
}

MovieWriter trafficLight() {
    MovieWriter m = newMovie(5, 12, {200, 214, 224});
    // SWF 5 tags throughout: DefineShape, PlaceObject, RemoveObject, DefineText.
    ShapeBuilder body;
    int pole = body.addFill(FillStyle::solid({70, 74, 80}));
    int box = body.addFill(FillStyle::solid({40, 42, 48}));
    int off = body.addFill(FillStyle::solid({70, 60, 60}));
    body.fill1(pole).rect(-200, 1400, 400, 3600);
    body.fill1(box).roundRect(-900, -2700, 1800, 4300, 300);
    body.fill1(off);
    for (int i = 0; i < 3; ++i)
        body.ellipse(0, -1900 + i * 1300, 500, 500);
    uint16_t housing = defineShapeIn(m, body, 1);
    auto lamp = [&](Rgba c, int slot) {
        ShapeBuilder s;
        s.fill1(s.addFill(FillStyle::radial(
            gradientBox(-500, -500, 1000, 1000),
            gradient(
                {{0, mix(c, {255, 255, 255}, 0.6)}, {200, c}, {255, mix(c, {0, 0, 0}, 0.3)}}))));
        s.ellipse(0, -1900 + slot * 1300, 500, 500);
        return defineShapeIn(m, s, 1);
    };
    uint16_t red = lamp({230, 40, 40}, 0), amber = lamp({250, 170, 30}, 1);
    uint16_t green = lamp({40, 210, 80}, 2);

    FontDesc font = pixelFont("Blocks", 1024);
    uint16_t fontId = m.newId();
    m.add(defineFont(fontId, font));
    font.wideCodes = false;
    m.add(defineFontInfo(fontId, font));
    auto word = [&](const char* text, Rgba color) {
        TextRecord r = layoutText(font, fontId, 900, color, 0, 0, text);
        uint16_t id = m.newId();
        m.add(defineText(id, {0, textWidth(r), -800, 0}, {}, {r}, 1));
        return std::pair{id, textWidth(r)};
    };
    auto [waitId, waitW] = word("WAIT", {200, 40, 40});
    auto [goId, goW] = word("GO!", {20, 150, 60});

    const Matrix at = Matrix::translate(kWidth / 2 - 2500, kHeight / 2 + 300);
    const Matrix textAt = Matrix::translate(kWidth / 2 + 300, kHeight / 2 + 200);
    m.add(placeObject(housing, 1, at)).add(placeObject(red, 2, at));
    m.add(placeObject(waitId, 5, Matrix::translate(textAt.tx, textAt.ty)));
    m.label("stop").showFrame(12);
    m.add(placeObject(amber, 3, at)).label("ready").showFrame(6);
    m.add(removeObject(red, 2)).add(removeObject(amber, 3)).add(removeObject(waitId, 5));
    m.add(placeObject(green, 4, at));
    m.add(placeObject(goId, 5, Matrix::translate(textAt.tx + (waitW - goW) / 2.0, textAt.ty)));
    m.label("go").showFrame(21);
    m.actions(ActionBuilder().stop()).showFrame(); // stays on green
    return m;
}

MovieWriter spotlightMask() {
    constexpr int kFrames = 72;
    MovieWriter m = newMovie(8, 24, {0, 0, 0});
    ShapeBuilder tiles;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 11; ++x) {
            Rgba c = hsv(0.55 + (x + y) / 30.0, 0.55 + 0.4 * ((x * 7 + y * 3) % 5) / 4.0, 0.95);
            tiles.fill1(tiles.addFill(FillStyle::solid(c)));
            tiles.roundRect(x * 1000 + 60, y * 1000 + 60, 880, 880, 160);
        }
    uint16_t mosaic = defineShapeIn(m, tiles);
    uint16_t spot = defineShapeIn(m, filledCircle(1900, FillStyle::solid({255, 255, 255})));
    ShapeBuilder rim;
    rim.line(rim.addLine(LineStyle::solid(60, {255, 255, 220, 160}))).ellipse(0, 0, 1900, 1900);
    uint16_t rimId = defineShapeIn(m, rim);

    m.place(1, mosaic, {}, tint(0.18, {0, 0, 10}));
    Placement mask;
    mask.depth = 2;
    mask.character = spot;
    mask.clipDepth = 3; // clips depth 3 only
    for (int f = 0; f < kFrames; ++f) {
        double a = 2 * kPi * f / kFrames;
        Matrix at = transform(kWidth / 2 + 3400 * std::sin(a), kHeight / 2 + 2000 * std::sin(2 * a),
                              1 + 0.15 * std::sin(3 * a));
        if (f == 0) {
            mask.matrix = at;
            m.add(placeObject2(mask)).place(3, mosaic).place(4, rimId, at);
        } else {
            m.move(2, at).move(4, at);
        }
        m.showFrame();
    }
    return m;
}

namespace {

// A soft two-partial bell, 16-bit little-endian mono at 11025 Hz.
std::vector<uint8_t> chime(double pitch, double seconds) {
    const int rate = 11025, n = int(rate * seconds);
    std::vector<uint8_t> pcm;
    for (int i = 0; i < n; ++i) {
        double t = double(i) / rate;
        double v =
            std::exp(-t * 4) * (std::sin(2 * kPi * pitch * t) +
                                0.4 * std::sin(2 * kPi * pitch * 2.76 * t) * std::exp(-t * 6));
        double attack = std::min(1.0, t * 200);
        auto s = int16_t(std::lround(v * attack * 5000));
        pcm.push_back(uint8_t(s & 0xFF));
        pcm.push_back(uint8_t((s >> 8) & 0xFF));
    }
    return pcm;
}

} // namespace

MovieWriter firefliesChime() {
    constexpr int kFrames = 72, kFlies = 14;
    MovieWriter m = newMovie(8, 18, {8, 12, 24});
    m.place(1,
            defineShapeIn(
                m, stageRect(FillStyle::linear(
                       gradientBox(0, 0, kWidth, kHeight, kPi / 2),
                       gradient({{0, {10, 14, 40}}, {200, {20, 40, 50}}, {255, {10, 20, 20}}})))));
    uint16_t moon = defineShapeIn(m, filledCircle(600, FillStyle::solid({240, 240, 220})));
    m.place(2, moon, Matrix::translate(8800, 1400));
    ShapeBuilder trees;
    trees.fill1(trees.addFill(FillStyle::solid({6, 12, 14})));
    Random rnd(9);
    for (double x = -300; x < kWidth + 300; x += rnd.range(700, 1300)) {
        double h = rnd.range(2500, 4200), w = h * 0.35;
        trees.polygon({{x, kHeight - 600 - h}, {x + w, kHeight - 300}, {x - w, kHeight - 300}});
    }
    trees.rect(0, kHeight - 700, kWidth, 700);
    uint16_t treeId = defineShapeIn(m, trees);
    m.place(3, treeId);
    uint16_t glow = defineShapeIn(
        m, filledCircle(320, FillStyle::radial(gradientBox(-320, -320, 640, 640),
                                               gradient({{0, {255, 255, 200}},
                                                         {50, {210, 255, 90, 220}},
                                                         {255, {160, 255, 60, 0}}}))));

    SoundFormat format{3, 1, true, false}; // raw little-endian, 11 kHz, 16-bit, mono
    uint16_t low = m.newId(), high = m.newId();
    std::vector<uint8_t> a = chime(660, 1.2), b = chime(880, 1.2);
    m.add(defineSound(low, format, uint32_t(a.size() / 2), a));
    m.add(defineSound(high, format, uint32_t(b.size() / 2), b));
    SoundInfo soft;
    soft.syncNoMultiple = true;
    soft.envelope = std::vector<SoundEnvelopePoint>{{0, 20000, 14000}, {44100, 9000, 16000}};

    struct Fly {
        double x, y, ax, ay, fx, fy, phase;
    };
    std::vector<Fly> flies;
    for (int i = 0; i < kFlies; ++i)
        flies.push_back({rnd.range(800, kWidth - 800), rnd.range(2500, kHeight - 1200),
                         rnd.range(300, 900), rnd.range(200, 600), std::floor(rnd.range(1, 3)),
                         std::floor(rnd.range(1, 4)), rnd.next()});
    for (int f = 0; f < kFrames; ++f) {
        double t = double(f) / kFrames;
        if (f == 0) m.add(startSound(low, soft));
        if (f == kFrames / 2) m.add(startSound(high, soft));
        for (int i = 0; i < kFlies; ++i) {
            const Fly& fl = flies[i];
            double a = 2 * kPi * (t + fl.phase);
            Matrix at = transform(fl.x + fl.ax * std::sin(a * fl.fx),
                                  fl.y + fl.ay * std::sin(a * fl.fy + 1),
                                  0.7 + 0.5 * pulse(t * 3 + fl.phase));
            ColorTransform blink = fade(0.2 + 0.8 * std::pow(pulse(t * 2 + fl.phase), 3));
            m.put(uint16_t(4 + i), glow, at, blink);
        }
        m.showFrame();
    }
    return m;
}

} // namespace samples
