// A captured frame as a picture: the bitmap and, when the display works through a
// palette, the palette its pixels index.
#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

namespace playback {

struct Picture {
    // Format_RGB32; Format_Indexed8 carrying its palette as the colour table.
    QImage bitmap;

    bool isNull() const { return bitmap.isNull(); }
    bool hasPalette() const { return bitmap.format() == QImage::Format_Indexed8; }
};

// Wraps a bitmap and its palette (empty: none) in a picture. A palette goes with an
// indexed bitmap only: it becomes that bitmap's colour table.
Picture CreateBitmapPicture(QImage bitmap, const QList<QRgb>& palette);

// `image` with each pixel replaced by the index of the nearest palette entry (least
// squared distance in red, green and blue; the first of equals), without dithering.
QImage toPaletteIndices(const QImage& image, const QList<QRgb>& palette);

} // namespace playback
