#include "flat_button.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

FlatButton::FlatButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
}

void FlatButton::setPicture(const QPixmap& p) {
    picture_ = p;
    update();
}

void FlatButton::setPictureOver(const QPixmap& p) {
    over_ = p;
    update();
}

void FlatButton::setPictureDown(const QPixmap& p) {
    down_ = p;
    update();
}

QPixmap FlatButton::currentPicture() const {
    if (!isEnabled()) return picture_;
    if (isDown() && !down_.isNull()) return down_;
    if (underMouse() && !over_.isNull()) return over_;
    return picture_;
}

QSize FlatButton::sizeHint() const {
    return picture_.isNull() ? QSize(32, 32) : picture_.size() / picture_.devicePixelRatio();
}

void FlatButton::paintEvent(QPaintEvent*) {
    QPixmap pm = currentPicture();
    if (pm.isNull()) return;
    if (!isEnabled()) {
        QStyleOption opt;
        opt.initFrom(this);
        pm = style()->generatedIconPixmap(QIcon::Disabled, pm, &opt);
    }
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(rect(), pm);
}
