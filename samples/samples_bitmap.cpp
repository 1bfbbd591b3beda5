// Samples with bitmaps: generated pixel art, a tiled pattern and JPEG images.
#include "catalog.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace samples {

namespace {

uint32_t argb(Rgba c) {
    return uint32_t(c.a) << 24 | c.r << 16 | c.g << 8 | c.b;
}

// Palette bitmap from rows of characters; each character's position in `keys` is its
// palette index ('.' first = transparent in the palettes used here).
Tag paletteArt(uint16_t id, const std::vector<std::string>& rows, const std::string& keys,
               const std::vector<Rgba>& palette) {
    std::vector<uint8_t> idx;
    for (const std::string& row : rows)
        for (char ch : row)
            idx.push_back(uint8_t(keys.find(ch)));
    return defineBitsLosslessPalette(id, int(rows[0].size()), int(rows.size()), palette, idx, true);
}

// A rectangle of w x h bitmap pixels shown `scale` twips per pixel, crisp and clipped.
ShapeBuilder bitmapRect(uint16_t bitmap, int w, int h, double scale, bool smooth = false) {
    ShapeBuilder s;
    s.fill1(s.addFill(FillStyle::bitmap(bitmap, Matrix::scale(scale, scale), false, smooth)));
    s.rect(0, 0, w * scale, h * scale);
    return s;
}

} // namespace

MovieWriter pixelGarden() {
    constexpr int kFrames = 48, W = 55, H = 40;
    MovieWriter m = newMovie(13, 24, {120, 190, 240});
    // Landscape, opaque 24-bit pixels.
    std::vector<uint32_t> land(W * H);
    Random rnd(5);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            Rgba c = mix({90, 160, 235}, {200, 230, 245}, (y / 4) * 4 / 26.0);
            if (std::hypot(x - 43.5, y - 7.5) < 4) c = {255, 230, 110};
            double far = 22 + 3 * std::sin(x * 0.18), near = 28 + 2 * std::sin(x * 0.11 + 1);
            if (y >= far) c = y - far < 1 ? Rgba{120, 180, 140} : Rgba{90, 150, 120};
            if (y >= near) {
                c = (x + y) % 7 == 0 ? Rgba{70, 150, 60} : Rgba{90, 170, 70};
                if (rnd.next() < 0.06)
                    c = rnd.next() < 0.5 ? Rgba{240, 70, 90} : Rgba{255, 220, 60};
            }
            if (x >= 11 && x <= 12 && y >= 20 && y < 29) c = {110, 70, 40};
            if (std::hypot(x - 11.5, y - 17) < 4.5)
                c = (x * 3 + y) % 5 ? Rgba{40, 120, 60} : Rgba{60, 150, 70};
            land[y * W + x] = argb(c);
        }
    }
    uint16_t landId = m.newId();
    m.add(defineBitsLossless(landId, W, H, land, false));
    const std::vector<Rgba> cloudPal = {{0, 0, 0, 0}, {255, 255, 255}, {220, 228, 240}};
    uint16_t cloudId = m.newId();
    m.add(paletteArt(cloudId,
                     {"....####........", "..########..##..", ".##############.",
                      "################", "-##############-", "..------------.."},
                     ".#-", cloudPal));
    const std::vector<Rgba> wingPal = {{0, 0, 0, 0}, {250, 120, 40}, {40, 30, 40}};
    uint16_t openId = m.newId(), shutId = m.newId();
    m.add(paletteArt(openId, {"##.:.##", "###:###", ".##:##.", "##.:.##"}, ".#:", wingPal));
    m.add(paletteArt(shutId, {"...:...", ".##:##.", ".##:##.", "...:..."}, ".#:", wingPal));

    m.place(1, defineShapeIn(m, bitmapRect(landId, W, H, 200)));
    uint16_t cloud = defineShapeIn(m, bitmapRect(cloudId, 16, 6, 200));
    TimelineWriter flap;
    uint16_t open = defineShapeIn(m, bitmapRect(openId, 7, 4, 80));
    uint16_t shut = defineShapeIn(m, bitmapRect(shutId, 7, 4, 80));
    for (int f = 0; f < 6; ++f) {
        if (f == 0) flap.place(1, open);
        if (f == 3) flap.remove(1).place(1, shut);
        flap.showFrame();
    }
    uint16_t butterfly = defineSpriteIn(m, flap);

    const double cloudX[] = {1000, 5200, 8600}, cloudY[] = {1000, 2200, 600};
    for (int f = 0; f < kFrames; ++f) {
        double t = double(f) / kFrames, a = 2 * kPi * t;
        for (int k = 0; k < 3; ++k) {
            Matrix at = Matrix::translate(cloudX[k] + 600 * std::sin(a + k * 2), cloudY[k]);
            m.put(uint16_t(2 + k), cloud, at, fade(0.9));
        }
        Matrix fly = transform(5500 + 2600 * std::sin(a), 5000 + 900 * std::sin(2 * a), 1,
                               0.25 * std::cos(a));
        m.put(5, butterfly, fly);
        m.showFrame();
    }
    return m;
}

MovieWriter checkerTunnel() {
    constexpr int kFrames = 60, kRings = 13;
    MovieWriter m = newMovie(8, 30, {4, 4, 12});
    // A 2 x 2 checker shown at 300 twips per pixel, repeating and crisp.
    uint16_t checker = m.newId();
    const std::vector<Rgba> pal = {{40, 60, 200}, {240, 240, 255}};
    m.add(defineBitsLosslessPalette(checker, 2, 2, pal, std::vector<uint8_t>{0, 1, 1, 0}, false));
    ShapeBuilder ring;
    ring.fill1(ring.addFill(FillStyle::bitmap(checker, Matrix::scale(300, 300), true, false)));
    ring.rect(-3000, -3000, 6000, 6000).rect(-2400, -2400, 4800, 4800);
    uint16_t ringId = defineShapeIn(m, ring);

    // Ring k sits at position k + t; one loop moves every ring into its neighbour's place.
    for (int f = 0; f < kFrames; ++f) {
        double t = double(f) / kFrames;
        for (int k = 0; k < kRings; ++k) {
            double pos = k + t;
            double scale = 0.04 * std::pow(1.33, pos);
            double light = std::min(1.0, pos / kRings * 1.4);
            ColorTransform c;
            c.rMul = int32_t(256 * light * (0.6 + 0.4 * std::sin(pos * 0.7)));
            c.gMul = int32_t(256 * light * (0.6 + 0.4 * std::sin(pos * 0.7 + 2)));
            c.bMul = int32_t(256 * light);
            Matrix at = transform(kWidth / 2 + 300 * std::sin(pos * 0.5),
                                  kHeight / 2 + 200 * std::cos(pos * 0.5), scale, pos * 0.12);
            m.put(uint16_t(1 + k), ringId, at, c);
        }
        m.showFrame();
    }
    return m;
}

MovieWriter jpegPostcard() {
    constexpr int kFrames = 60, PW = 240, PH = 150;
    MovieWriter m = newMovie(8, 24, {210, 196, 170});
    // Photo: sky, a sun, two mountain ranges and a lake with their reflection.
    std::vector<uint32_t> photo(PW * PH);
    auto ridge = [](double x, double base, double f) {
        return base - 18 * std::sin(x * f) - 9 * std::sin(x * f * 2.7 + 1) -
               4 * std::sin(x * f * 7.1);
    };
    for (int y = 0; y < PH; ++y) {
        for (int x = 0; x < PW; ++x) {
            int sy = y < 100 ? y : 199 - y; // mirrored above the waterline
            Rgba c = mix({120, 170, 230}, {255, 210, 170}, sy / 100.0);
            double sun = std::hypot(x - 170, sy - 55);
            if (sun < 40) c = mix(c, {255, 240, 200}, std::pow(1 - sun / 40, 2));
            if (sy > ridge(x, 80, 0.035))
                c = mix({90, 100, 150}, {150, 140, 170}, (80 - sy) / -40.0);
            if (sy > ridge(x + 50, 96, 0.05)) c = {50, 80, 90};
            if (y >= 100) c = mix(c, {30, 60, 90}, 0.35 + 0.1 * std::sin(y * 1.7));
            photo[y * PW + x] = argb(c);
        }
    }
    uint16_t photoId = m.newId();
    m.add(defineBitsJpeg2(photoId, encodeJpeg(PW, PH, photo, 88)));

    // Stamp through shared JPEG tables.
    std::vector<uint32_t> stamp(40 * 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 40; ++x) {
            double r = std::hypot(x - 19.5, y - 23.5);
            stamp[y * 40 + x] = argb(r < 12 ? Rgba{250, 200, 60} : hsv(0.02 + r / 200, 0.8, 0.85));
        }
    JpegParts parts = encodeJpegSplit(40, 48, stamp, 85);
    uint16_t stampId = m.newId();
    m.add(jpegTables(parts.tables)).add(defineBits(stampId, parts.image));

    // A warm glow with an alpha plane (colours premultiplied by it).
    std::vector<uint32_t> glow(64 * 64);
    std::vector<uint8_t> alpha(64 * 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            double a = std::max(0.0, 1 - std::hypot(x - 31.5, y - 31.5) / 32);
            alpha[y * 64 + x] = uint8_t(a * a * 200);
            double k = alpha[y * 64 + x] / 255.0;
            glow[y * 64 + x] = argb({uint8_t(255 * k), uint8_t(190 * k), uint8_t(110 * k)});
        }
    uint16_t glowBitmap = m.newId();
    m.add(defineBitsJpeg3(glowBitmap, encodeJpeg(64, 64, glow, 90), alpha));

    // The card: shadow, paper, photo, stamp and a handwritten-looking device-font line.
    const double cw = 6400, ch = 4600;
    ShapeBuilder shadow;
    shadow.fill1(shadow.addFill(FillStyle::solid({60, 40, 20, 70})))
        .roundRect(-cw / 2 + 160, -ch / 2 + 200, cw, ch, 120);
    ShapeBuilder paper;
    paper.fill1(paper.addFill(FillStyle::solid({252, 250, 244})))
        .roundRect(-cw / 2, -ch / 2, cw, ch, 120);
    ShapeBuilder pic;
    double scale = 5800.0 / PW;
    pic.fill1(pic.addFill(FillStyle::bitmap(photoId, transform(-2900, -2000, scale), false)))
        .rect(-2900, -2000, PW * scale, PH * scale);
    ShapeBuilder stampShape;
    int perforation = stampShape.addFill(FillStyle::solid({255, 255, 255}));
    int stampFill = stampShape.addFill(FillStyle::bitmap(stampId, transform(0, 0, 14), false));
    stampShape.fill1(perforation).rect(-40, -40, 640, 752);
    stampShape.fill1(stampFill).rect(0, 0, 560, 672);
    uint16_t deviceFont = m.newId();
    FontDesc serif;
    serif.name = "_serif"; // no glyphs: a device font
    m.add(defineFont2(deviceFont, serif));
    EditTextDesc caption;
    caption.bounds = {0, 5400, 0, 500};
    caption.fontId = deviceFont;
    caption.fontHeight = 300;
    caption.color = Rgba{70, 60, 90};
    caption.text = "Greetings from the blue hills";
    caption.readOnly = caption.noSelect = true;
    caption.layout = EditTextLayout{2, 0, 0, 0, 0};
    uint16_t captionId = m.newId();
    m.add(defineEditText(captionId, caption));

    TimelineWriter card;
    card.place(1, defineShapeIn(m, shadow)).place(2, defineShapeIn(m, paper));
    card.place(3, defineShapeIn(m, pic))
        .place(4, defineShapeIn(m, stampShape), transform(2000, -2250, 1, 0.08));
    card.place(5, captionId, Matrix::translate(-2700, 1600)).showFrame();
    uint16_t cardId = defineSpriteIn(m, card);
    ShapeBuilder glowRect;
    glowRect
        .fill1(glowRect.addFill(FillStyle::bitmap(glowBitmap, transform(-2400, -2400, 75), false)))
        .rect(-2400, -2400, 4800, 4800);
    uint16_t glowId = defineShapeIn(m, glowRect);

    for (int f = 0; f < kFrames; ++f) {
        double a = 2 * kPi * f / kFrames;
        Matrix at =
            transform(kWidth / 2, kHeight / 2 + 80 * std::sin(a * 2), 1, 0.05 * std::sin(a));
        m.put(1, cardId, at);
        ColorTransform c = fade(0.5 + 0.4 * pulse(f / double(kFrames)));
        Matrix g = transform(kWidth / 2 + 1500, 2300, 1 + 0.1 * std::sin(a));
        m.put(2, glowId, g, c);
        m.showFrame();
    }
    return m;
}

} // namespace samples
