#include "toolbar_pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace browse {

namespace {

// Glyphs are drawn on a 24 x 24 grid and scaled to the picture.
constexpr double kGrid = 24.0;
const QColor kInk(28, 56, 96);
const QColor kAccent(214, 72, 48);

QPainterPath triangle(QPointF a, QPointF b, QPointF c) {
    QPainterPath p(a);
    p.lineTo(b);
    p.lineTo(c);
    p.closeSubpath();
    return p;
}

void magnifier(QPainter& p, bool plus) {
    p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(255, 255, 255, 150));
    p.drawEllipse(QPointF(10, 10), 6, 6);
    p.drawLine(QPointF(14.5, 14.5), QPointF(20, 20));
    p.drawLine(QPointF(7, 10), QPointF(13, 10));
    if (plus) p.drawLine(QPointF(10, 7), QPointF(10, 13));
}

void folder(QPainter& p) {
    p.setPen(QPen(kInk, 1.4));
    p.setBrush(QColor(250, 206, 92));
    QPainterPath f(QPointF(3, 7));
    f.lineTo(9, 7);
    f.lineTo(11, 9);
    f.lineTo(21, 9);
    f.lineTo(21, 19);
    f.lineTo(3, 19);
    f.closeSubpath();
    p.drawPath(f);
}

void film(QPainter& p, QRectF r) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(60, 60, 70));
    p.drawRect(r);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    for (double x = r.left() + 1.5; x < r.right() - 1; x += 3) {
        p.drawRect(QRectF(x, r.top() + 0.8, 1.4, 1.4));
        p.drawRect(QRectF(x, r.bottom() - 2.2, 1.4, 1.4));
    }
}

void padlock(QPainter& p) {
    p.setPen(QPen(kInk, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(7, 3, 10, 12), 0, 180 * 16);
    p.drawLine(QPointF(7, 9), QPointF(7, 11));
    p.drawLine(QPointF(17, 9), QPointF(17, 11));
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(236, 178, 46));
    p.drawRoundedRect(QRectF(5, 11, 14, 10), 1.5, 1.5);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(12, 15.5), 1.4, 1.4);
}

void drawGlyph(QPainter& p, Glyph glyph) {
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case Glyph::None:
        break;
    case Glyph::Open:
        folder(p);
        p.setPen(QPen(kAccent, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15, 17), QPointF(15, 11));
        p.setBrush(kAccent);
        p.setPen(Qt::NoPen);
        p.drawPath(triangle({11.5, 12.5}, {18.5, 12.5}, {15, 8}));
        break;
    case Glyph::SaveAs:
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(QColor(74, 118, 184));
        p.drawRoundedRect(QRectF(4, 4, 16, 16), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7, 4, 10, 6));
        p.setBrush(QColor(200, 210, 224));
        p.drawRect(QRectF(7, 13, 10, 7));
        break;
    case Glyph::MoveTo:
        folder(p);
        p.setPen(QPen(kAccent, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 14), QPointF(15, 14));
        p.setBrush(kAccent);
        p.setPen(Qt::NoPen);
        p.drawPath(triangle({14, 10.5}, {14, 17.5}, {19, 14}));
        break;
    case Glyph::Delete:
        p.setPen(QPen(kAccent, 3.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 6), QPointF(18, 18));
        p.drawLine(QPointF(18, 6), QPointF(6, 18));
        break;
    case Glyph::ZoomOut:
        magnifier(p, false);
        break;
    case Glyph::ZoomIn:
        magnifier(p, true);
        break;
    case Glyph::FullScreen:
        p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::SquareCap));
        for (QPointF c : {QPointF(4, 4), QPointF(20, 4), QPointF(4, 20), QPointF(20, 20)}) {
            const double dx = c.x() < 12 ? 5 : -5, dy = c.y() < 12 ? 5 : -5;
            p.drawLine(c, c + QPointF(dx, 0));
            p.drawLine(c, c + QPointF(0, dy));
        }
        p.setBrush(kAccent);
        p.setPen(Qt::NoPen);
        p.drawPath(triangle({10, 8.5}, {10, 15.5}, {15.5, 12}));
        break;
    case Glyph::Swf2Exe:
        film(p, QRectF(2, 6, 9, 12));
        p.setPen(QPen(kAccent, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(15, 12));
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(230, 236, 244));
        p.drawRect(QRectF(16, 6, 6, 12));
        p.setBrush(kInk);
        p.drawRect(QRectF(16, 6, 6, 2.5));
        break;
    case Glyph::Capture:
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(QColor(90, 96, 110));
        p.drawRoundedRect(QRectF(3, 8, 18, 12), 2, 2);
        p.drawRect(QRectF(8, 5, 8, 3));
        p.setBrush(QColor(150, 200, 240));
        p.drawEllipse(QPointF(12, 14), 4, 4);
        break;
    case Glyph::LockConfig:
        padlock(p);
        p.setPen(QPen(kAccent, 1.6));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(19, 19), 3.5, 3.5);
        break;
    case Glyph::Lock:
        padlock(p);
        break;
    case Glyph::Help: {
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(QColor(74, 140, 214));
        p.drawEllipse(QPointF(12, 12), 9, 9);
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(14);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(3, 3, 18, 18), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case Glyph::Play:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawPath(triangle({7, 4}, {7, 20}, {19, 12}));
        break;
    case Glyph::Pause:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRect(QRectF(6, 5, 4, 14));
        p.drawRect(QRectF(14, 5, 4, 14));
        break;
    case Glyph::Stop:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRect(QRectF(6, 6, 12, 12));
        break;
    case Glyph::Back:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawPath(triangle({12, 5}, {12, 19}, {3, 12}));
        p.drawPath(triangle({21, 5}, {21, 19}, {12, 12}));
        break;
    case Glyph::Forward:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawPath(triangle({3, 5}, {3, 19}, {12, 12}));
        p.drawPath(triangle({12, 5}, {12, 19}, {21, 12}));
        break;
    case Glyph::Wallpaper:
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(QColor(150, 200, 240));
        p.drawRect(QRectF(3, 4, 18, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(70, 150, 80));
        p.drawPath(triangle({4, 16}, {10, 9}, {15, 16}));
        p.setBrush(QColor(250, 206, 92));
        p.drawEllipse(QPointF(17, 8), 2, 2);
        p.setPen(QPen(kInk, 1.6));
        p.drawLine(QPointF(12, 17), QPointF(12, 20));
        p.drawLine(QPointF(8, 20.5), QPointF(16, 20.5));
        break;
    }
}

} // namespace

QPixmap toolbarPicture(Glyph glyph, int size, PictureState state) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (state != PictureState::Normal) {
        // Hover lights the plate up; pressing darkens it.
        QLinearGradient plate(0, 0, 0, size);
        const bool down = state == PictureState::Down;
        plate.setColorAt(0, down ? QColor(150, 184, 222) : QColor(236, 246, 255));
        plate.setColorAt(1, down ? QColor(196, 220, 244) : QColor(176, 210, 240));
        p.setBrush(plate);
        p.setPen(QPen(QColor(84, 128, 184), 1));
        p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 6.0, size / 6.0);
    }
    const double inset = size * 0.12;
    const double scale = (size - 2 * inset) / kGrid;
    const double shift = state == PictureState::Down ? 1 : 0;
    p.translate(inset + shift, inset + shift);
    p.scale(scale, scale);
    drawGlyph(p, glyph);
    return pm;
}

} // namespace browse
