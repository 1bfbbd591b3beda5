#include "app/playback/capture_picture.h"

#include <limits>
#include <unordered_map>

namespace playback {

namespace {

int nearestEntry(QRgb colour, const QList<QRgb>& palette) {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < palette.size(); ++i) {
        const int dr = qRed(colour) - qRed(palette[i]);
        const int dg = qGreen(colour) - qGreen(palette[i]);
        const int db = qBlue(colour) - qBlue(palette[i]);
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

} // namespace

Picture CreateBitmapPicture(QImage bitmap, const QList<QRgb>& palette) {
    if (bitmap.format() == QImage::Format_Indexed8 && !palette.isEmpty())
        bitmap.setColorTable(palette);
    return Picture{std::move(bitmap)};
}

QImage toPaletteIndices(const QImage& image, const QList<QRgb>& palette) {
    if (image.isNull() || palette.isEmpty() || palette.size() > 256) return {};
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    QImage out(source.size(), QImage::Format_Indexed8);
    out.setColorTable(palette);
    // Frames hold few colours compared with their pixels: each is looked up once.
    std::unordered_map<QRgb, uchar> chosen;
    for (int y = 0; y < source.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uchar* to = out.scanLine(y);
        for (int x = 0; x < source.width(); ++x) {
            const QRgb colour = from[x] | 0xff000000u;
            auto [entry, added] = chosen.try_emplace(colour, uchar{0});
            if (added) entry->second = static_cast<uchar>(nearestEntry(colour, palette));
            to[x] = entry->second;
        }
    }
    return out;
}

} // namespace playback
