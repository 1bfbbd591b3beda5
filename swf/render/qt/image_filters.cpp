#include "swf/render/qt/image_filters.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace swf {
namespace {

// One pass of a running-sum blur along rows (or columns) of 4-channel pixels.
void blurLine(QRgb* data, int count, int stride, int radius, std::vector<QRgb>& tmp) {
    if (radius <= 0 || count <= 1) return;
    tmp.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) tmp[static_cast<size_t>(i)] = data[static_cast<ptrdiff_t>(i) * stride];
    const int window = 2 * radius + 1;
    long sa = 0, sr = 0, sg = 0, sb = 0;
    auto add = [&](int i, int sign) {
        if (i < 0 || i >= count) return;
        QRgb p = tmp[static_cast<size_t>(i)];
        sa += sign * qAlpha(p);
        sr += sign * qRed(p);
        sg += sign * qGreen(p);
        sb += sign * qBlue(p);
    };
    for (int i = -radius; i < radius; ++i) add(i, 1);
    for (int i = 0; i < count; ++i) {
        add(i + radius, 1);
        data[static_cast<ptrdiff_t>(i) * stride] =
            qRgba(static_cast<int>(sr / window), static_cast<int>(sg / window), static_cast<int>(sb / window),
                  static_cast<int>(sa / window));
        add(i - radius, -1);
    }
}

QImage tinted(const QImage& src, QColor color, double strength) {
    QImage out(src.size(), QImage::Format_ARGB32_Premultiplied);
    const int r = color.red(), g = color.green(), b = color.blue();
    const double a = color.alphaF() * strength;
    for (int y = 0; y < src.height(); ++y) {
        auto* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        auto* o = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            int alpha = std::min(255, static_cast<int>(qAlpha(in[x]) * a));
            o[x] = qPremultiply(qRgba(r, g, b, alpha));
        }
    }
    return out;
}

void colorMatrix(QImage& img, const std::array<float, 20>& m) {
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            QRgb p = qUnpremultiply(row[x]);
            const double c[4] = {double(qRed(p)), double(qGreen(p)), double(qBlue(p)), double(qAlpha(p))};
            int o[4];
            for (int k = 0; k < 4; ++k) {
                const float* mr = &m[static_cast<size_t>(k) * 5];
                double v = mr[0] * c[0] + mr[1] * c[1] + mr[2] * c[2] + mr[3] * c[3] + mr[4];
                o[k] = std::isfinite(v) ? static_cast<int>(std::clamp(v, 0.0, 255.0)) : 0;
            }
            row[x] = qPremultiply(qRgba(o[0], o[1], o[2], o[3]));
        }
    }
}

} // namespace

void boxBlur(QImage& img, double radiusX, double radiusY, int passes) {
    const int rx = std::clamp(static_cast<int>(radiusX), 0, 256);
    const int ry = std::clamp(static_cast<int>(radiusY), 0, 256);
    if (rx == 0 && ry == 0) return;
    std::vector<QRgb> tmp;
    auto* bits = reinterpret_cast<QRgb*>(img.bits());
    const int w = img.width(), h = img.height(), stride = static_cast<int>(img.bytesPerLine() / 4);
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < h; ++y) blurLine(bits + static_cast<ptrdiff_t>(y) * stride, w, 1, rx, tmp);
        for (int x = 0; x < w; ++x) blurLine(bits + x, h, stride, ry, tmp);
    }
}

void applyFilters(QImage& layer, const std::vector<Filter>& filters, double pixelScale) {
    for (const Filter& f : filters) {
        // Flash's blur amount is the width of the box; half of it on each side.
        const double rx = f.blurX * pixelScale / 2, ry = f.blurY * pixelScale / 2;
        switch (f.kind) {
        case Filter::Kind::Blur:
            boxBlur(layer, rx, ry, f.passes);
            break;
        case Filter::Kind::DropShadow:
        case Filter::Kind::Glow: {
            if (f.inner) break; // inner effects are left out
            QImage effect = tinted(layer, QColor(f.color.r, f.color.g, f.color.b, f.color.a), f.strength);
            boxBlur(effect, rx, ry, f.passes);
            QImage out(layer.size(), QImage::Format_ARGB32_Premultiplied);
            out.fill(Qt::transparent);
            QPainter p(&out);
            const double dx = std::cos(f.angle) * f.distance * pixelScale;
            const double dy = std::sin(f.angle) * f.distance * pixelScale;
            p.drawImage(QPointF(dx, dy), effect);
            if (f.knockout) {
                p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
                p.drawImage(0, 0, layer);
            } else {
                p.drawImage(0, 0, layer);
            }
            p.end();
            layer = std::move(out);
            break;
        }
        case Filter::Kind::ColorMatrix:
            colorMatrix(layer, f.matrix);
            break;
        default:
            break; // bevels, gradient effects and convolutions draw the object unchanged
        }
    }
}

bool compositionFor(uint8_t blendMode, QPainter::CompositionMode& mode) {
    switch (blendMode) {
    case 3: mode = QPainter::CompositionMode_Multiply; return true;
    case 4: mode = QPainter::CompositionMode_Screen; return true;
    case 5: mode = QPainter::CompositionMode_Lighten; return true;
    case 6: mode = QPainter::CompositionMode_Darken; return true;
    case 7: mode = QPainter::CompositionMode_Difference; return true;
    case 8: mode = QPainter::CompositionMode_Plus; return true;
    case 11: mode = QPainter::CompositionMode_DestinationIn; return true;  // alpha
    case 12: mode = QPainter::CompositionMode_DestinationOut; return true; // erase
    case 13: mode = QPainter::CompositionMode_Overlay; return true;
    case 14: mode = QPainter::CompositionMode_HardLight; return true;
    default: return false;
    }
}

} // namespace swf
