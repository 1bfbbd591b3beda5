// Solid fills drawn straight into an image's pixels, against the painter's own fills.
#include "swf/render/qt/solid_fill.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using swf::PathCmd;

std::vector<PathCmd> polygon(const std::vector<std::pair<int32_t, int32_t>>& pts) {
    std::vector<PathCmd> cmds;
    for (size_t i = 0; i < pts.size(); ++i)
        cmds.push_back({i == 0 ? PathCmd::Op::Move : PathCmd::Op::Line, pts[i].first, pts[i].second, 0, 0});
    return cmds;
}

QPainterPath painterPath(const std::vector<PathCmd>& cmds) {
    QPainterPath p;
    for (const PathCmd& c : cmds) {
        if (c.op == PathCmd::Op::Move) p.moveTo(c.x, c.y);
        else if (c.op == PathCmd::Op::Line) p.lineTo(c.x, c.y);
        else p.quadTo(c.cx, c.cy, c.x, c.y);
    }
    return p;
}

// A backdrop that shows blending errors: a grey ramp, half of it see-through.
QImage backdrop() {
    QImage img(200, 150, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const int g = x * 255 / img.width();
            img.setPixel(x, y, qPremultiply(qRgba(g, 255 - g, 128, y < 75 ? 255 : 120)));
        }
    return img;
}

struct Difference {
    int most = 0;       // the largest difference of a channel
    double share = 0;   // of pixels differing by more than 2 in some channel
};

Difference compare(const QImage& a, const QImage& b) {
    Difference d;
    int off = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            const int m = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                    std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
            d.most = std::max(d.most, m);
            if (m > 2) ++off;
        }
    d.share = static_cast<double>(off) / (a.width() * a.height());
    return d;
}

// Draws the path both ways under t; the painter's picture is the reference.
Difference againstPainter(const std::vector<PathCmd>& cmds, const QTransform& t, bool nonZero, QColor colour,
                          QRect clip = QRect(0, 0, 200, 150)) {
    QImage theirs = backdrop();
    {
        QPainter p(&theirs);
        p.setRenderHint(QPainter::Antialiasing);
        p.setClipRect(clip);
        p.setTransform(t);
        QPainterPath path = painterPath(cmds);
        path.setFillRule(nonZero ? Qt::WindingFill : Qt::OddEvenFill);
        p.fillPath(path, colour);
    }
    QImage ours = backdrop();
    swf::SolidFill fill;
    const swf::SolidFill::Target target{reinterpret_cast<uint32_t*>(ours.bits()), ours.bytesPerLine() / 4, clip};
    EXPECT_TRUE(fill.fill(cmds, t, nonZero, colour.rgba64().premultiplied().toArgb32(), target));
    return compare(ours, theirs);
}

TEST(SolidFill, StraightEdgedFillsMatchThePainterWithinARoundingStep) {
    // A five-pointed star in twips: its centre is wound twice.
    std::vector<std::pair<int32_t, int32_t>> star;
    for (int i = 0; i < 5; ++i) {
        const double a = -M_PI / 2 + i * 4 * M_PI / 5;
        star.emplace_back(static_cast<int32_t>(1500 + 1300 * std::cos(a)), static_cast<int32_t>(1500 + 1300 * std::sin(a)));
    }
    const auto cmds = polygon(star);
    const QTransform scale = QTransform::fromScale(0.05, 0.05) * QTransform::fromTranslate(20.3, 0.7);
    const QTransform turned = QTransform().rotate(17) * scale;
    for (bool nonZero : {false, true})
        for (const QTransform& t : {scale, turned})
            for (QColor c : {QColor(200, 30, 60), QColor(20, 90, 250, 140)}) {
                const Difference d = againstPainter(cmds, t, nonZero, c);
                EXPECT_LE(d.most, 3) << nonZero << " " << c.alpha();
                EXPECT_LT(d.share, 0.001) << nonZero << " " << c.alpha();
            }
}

TEST(SolidFill, CurvesAndOpenContoursMatchThePainterClosely) {
    // Two curved contours, the second left open (the fill closes it), the second
    // inside the first: even-odd cuts a hole, non-zero (wound the same way) does not.
    std::vector<PathCmd> cmds = {
        {PathCmd::Op::Move, 200, 200, 0, 0},     {PathCmd::Op::Curve, 3000, 200, 1600, -900},
        {PathCmd::Op::Curve, 3000, 2800, 4200, 1500}, {PathCmd::Op::Line, 200, 2800, 0, 0},
        {PathCmd::Op::Curve, 200, 200, -600, 1500}, {PathCmd::Op::Move, 1000, 1000, 0, 0},
        {PathCmd::Op::Curve, 2200, 1000, 1600, 500}, {PathCmd::Op::Line, 1600, 2000, 0, 0},
    };
    const QTransform t = QTransform::fromScale(0.05, 0.05) * QTransform::fromTranslate(30.5, 10.25);
    for (bool nonZero : {false, true}) {
        const Difference d = againstPainter(cmds, t, nonZero, QColor(10, 160, 40));
        // Curves are flattened differently: only pixels along them may differ, slightly.
        EXPECT_LE(d.most, 24) << nonZero;
        EXPECT_LT(d.share, 0.01) << nonZero;
    }
}

TEST(SolidFill, WhatLiesOutsideTheClipCoversWhatIsInsideAndNothingBeyond) {
    // A square far larger than the clip on every side, and one crossing its left edge.
    const QRect clip(50, 40, 60, 50);
    const QTransform t = QTransform::fromScale(0.05, 0.05);
    for (const auto& pts : {std::vector<std::pair<int32_t, int32_t>>{{-20000, -20000}, {20000, -20000}, {20000, 20000}, {-20000, 20000}},
                            std::vector<std::pair<int32_t, int32_t>>{{-400, 900}, {1710, 1010}, {1500, 1500}, {-400, 1600}}}) {
        const Difference d = againstPainter(polygon(pts), t, false, QColor(0, 0, 0), clip);
        EXPECT_LE(d.most, 3);
        EXPECT_LT(d.share, 0.001);
    }
}

TEST(SolidFill, OutOfRangeCoordinatesAreLeftToThePainter) {
    QImage img = backdrop();
    const QImage before = img.copy();
    swf::SolidFill fill;
    const swf::SolidFill::Target target{reinterpret_cast<uint32_t*>(img.bits()), img.bytesPerLine() / 4, img.rect()};
    const auto huge = polygon({{0, 0}, {1000000000, 0}, {0, 1000000000}});
    EXPECT_FALSE(fill.fill(huge, QTransform::fromScale(0.05, 0.05), false, 0xff000000u, target));
    const auto small = polygon({{0, 0}, {1000, 0}, {0, 1000}});
    EXPECT_FALSE(fill.fill(small, QTransform::fromScale(std::nan(""), 1), false, 0xff000000u, target));
    EXPECT_EQ(img, before);
}

} // namespace
