// Small movies built with the writer for engine tests, and a renderer that
// reads pixels back.
#pragma once

#include "swf/display/movie.h"
#include "swf/render/qt/painter_backend.h"
#include "swf/writer/writer.h"

#include <QImage>

#include <gtest/gtest.h>

namespace fixture {

namespace w = swf::writer;

// A 100 x 100 pixel stage on white.
inline w::MovieWriter movie(uint8_t version = 10) {
    w::MovieWriter m(version, {0, 2000, 0, 2000}, 12);
    m.add(w::setBackgroundColor({255, 255, 255, 255}));
    return m;
}

// A solid rectangle shape, in pixels.
inline w::Tag rectShape(uint16_t id, double x, double y, double wpx, double hpx, swf::Rgba c, int version = 3) {
    w::ShapeBuilder s;
    s.fill1(static_cast<uint32_t>(s.addFill(w::FillStyle::solid(c)))).rect(x * 20, y * 20, wpx * 20, hpx * 20);
    return w::defineShape(id, s, version);
}

inline swf::MoviePtr load(const std::vector<uint8_t>& bytes) {
    auto r = swf::loadMovie(bytes);
    if (auto* e = std::get_if<swf::Error>(&r)) {
        ADD_FAILURE() << "load failed: " << e->message;
        return nullptr;
    }
    return std::get<swf::MoviePtr>(r);
}

inline QImage render(const swf::Player& p, int size = 100) {
    swf::ShapeCache cache;
    return swf::renderImage(p, QSize(size, size), cache).convertToFormat(QImage::Format_ARGB32);
}

inline ::testing::AssertionResult near(QRgb got, swf::Rgba want, int tolerance = 8) {
    if (std::abs(qRed(got) - want.r) <= tolerance && std::abs(qGreen(got) - want.g) <= tolerance &&
        std::abs(qBlue(got) - want.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel is (" << qRed(got) << "," << qGreen(got) << "," << qBlue(got)
                                         << "), expected (" << int(want.r) << "," << int(want.g) << ","
                                         << int(want.b) << ")";
}

inline const swf::Rgba kWhite{255, 255, 255, 255}, kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255},
    kBlue{0, 0, 255, 255}, kBlack{0, 0, 0, 255};

} // namespace fixture
