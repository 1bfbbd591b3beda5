// The splash artwork, drawn: a reel of film over a night-blue gradient with the title.
#include "welcome_screen.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace {

void reel(QPainter& p, QPointF centre, double radius) {
    QRadialGradient metal(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    metal.setColorAt(0, QColor(236, 240, 246));
    metal.setColorAt(1, QColor(120, 132, 150));
    p.setPen(QPen(QColor(40, 48, 64), 2));
    p.setBrush(metal);
    p.drawEllipse(centre, radius, radius);
    p.setBrush(QColor(24, 30, 46));
    for (int i = 0; i < 5; ++i) {
        const double a = i * 2 * M_PI / 5 - M_PI / 2;
        p.drawEllipse(centre + QPointF(std::cos(a), std::sin(a)) * radius * 0.55, radius * 0.22,
                      radius * 0.22);
    }
    p.drawEllipse(centre, radius * 0.1, radius * 0.1);
}

} // namespace

QImage welcomePicture() {
    QImage image(WelcomeScreen::kWidth, WelcomeScreen::kHeight, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, image.height());
    sky.setColorAt(0, QColor(16, 32, 72));
    sky.setColorAt(1, QColor(58, 110, 180));
    p.fillRect(image.rect(), sky);

    // A strip of film running from the reel across the picture.
    QPainterPath strip(QPointF(120, 150));
    strip.cubicTo(QPointF(220, 120), QPointF(300, 230), QPointF(440, 190));
    p.setPen(QPen(QColor(20, 20, 26), 34, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(strip);
    p.setPen(QPen(QColor(250, 214, 120), 4, Qt::DotLine, Qt::FlatCap));
    p.drawPath(strip);
    reel(p, QPointF(110, 140), 82);

    QFont title = p.font();
    title.setPixelSize(40);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRectF(180, 236, 230, 48), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Reelvista"));
    QFont sub = title;
    sub.setPixelSize(16);
    sub.setBold(false);
    p.setFont(sub);
    p.setPen(QColor(200, 220, 250));
    p.drawText(QRectF(180, 280, 230, 24), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("V2.0  -  Flash movie browser"));
    return image;
}
