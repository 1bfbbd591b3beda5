#include "app/playback/preview_cell.h"

#include "app/playback/playback_rules.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace playback {

// Drawn on each call: a cursor kept past the application's end would outlive its pixmap's
// owner.
QCursor previewLabelPointer() {
    // A white-edged dark disc with a play triangle; the hot spot is the disc's centre.
    QPixmap picture(24, 24);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(QColor(30, 60, 120));
    p.drawEllipse(QRectF(2, 2, 20, 20));
    QPainterPath play;
    play.moveTo(9, 7);
    play.lineTo(17, 12);
    play.lineTo(9, 17);
    play.closeSubpath();
    p.fillPath(play, Qt::white);
    p.end();
    return QCursor(picture, 12, 12);
}

QString PreviewCell::pathOf(const QString& name) const {
    return cellMoviePath(host_.cellFolder(), name);
}

void PreviewCell::Text_Click() {
    const QString name = host_.textOf(k_);
    host_.setCurrentFile(pathOf(name));
    host_.setOFileName(name);
    if (!name.isEmpty()) host_.miniPlaying();
}

void PreviewCell::pvLabel_Click() {
    const QString name = host_.labelCaption(k_);
    host_.setCurrentFile(pathOf(name));
    if (!name.isEmpty()) host_.miniPlaying();
}

void PreviewCell::playFullScreen() {
    const QString name = host_.labelCaption(k_);
    if (name.isEmpty()) return;
    host_.setCurrentFile(pathOf(name));
    host_.showForm2();
    host_.showForm3();
}

void PreviewCell::Text_DblClick() {
    playFullScreen();
}

void PreviewCell::pvLabel_DblClick() {
    playFullScreen();
}

void PreviewCell::pvLabel_MouseMove() {
    host_.setLabelPointer(k_, host_.labelCaption(k_).isEmpty() ? QCursor(Qt::ArrowCursor)
                                                               : previewLabelPointer());
}

void PreviewCell::pvFlash_GotFocus() {
    host_.focusText(k_);
    Text_Click();
}

void PreviewCell::Command_Click() {
    Text_Click();
    Text_DblClick();
}

} // namespace playback
