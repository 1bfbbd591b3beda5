// Packs a skin: the style sheet given on the command line plus the pictures it uses, drawn
// here, into one .skn file.
//   reelvista-make-skin STYLE.qss OUT.skn
#include "skins/skin_file.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>

namespace {

QByteArray png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The window background: fine horizontal pinstripes.
QImage pinstripe() {
    QImage image(8, 4, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        const QRgb c = y % 4 < 2 ? qRgb(236, 239, 243) : qRgb(226, 230, 236);
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, c);
    }
    return image;
}

// The progress bar's fill: glossy blue with diagonal candy stripes.
QImage candy() {
    QImage image(24, 14, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gloss(0, 0, 0, image.height());
    gloss.setColorAt(0, QColor(186, 216, 252));
    gloss.setColorAt(0.5, QColor(88, 150, 232));
    gloss.setColorAt(0.51, QColor(60, 124, 218));
    gloss.setColorAt(1, QColor(146, 196, 250));
    p.fillRect(image.rect(), gloss);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 60));
    for (int x = -14; x < image.width(); x += 12) {
        const QPointF quad[] = {{double(x), 14}, {x + 6.0, 14}, {x + 20.0, 0}, {x + 14.0, 0}};
        p.drawPolygon(quad, 4);
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s STYLE.qss OUT.skn\n", argv[0]);
        return 2;
    }
    QFile sheet(QString::fromLocal8Bit(argv[1]));
    if (!sheet.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    skins::SkinPackage package;
    package.files[skins::kStyleSheetEntry] = sheet.readAll();
    package.files["pinstripe.png"] = png(pinstripe());
    package.files["candy.png"] = png(candy());
    auto written = skins::writeSkinFile(QString::fromLocal8Bit(argv[2]), package);
    if (auto* e = std::get_if<swf::Error>(&written)) {
        std::fprintf(stderr, "%s\n", e->message.c_str());
        return 1;
    }
    return 0;
}
