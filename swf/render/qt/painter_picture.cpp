// Pictures (video frames) drawn by the QPainter backend.
#include "swf/render/qt/painter_backend.h"

namespace swf {

void PainterBackend::drawPicture(const Bitmap& picture, const Matrix& m, const ColorTransform& cx, bool smooth) {
    const QTransform t(m.a, m.b, m.c, m.d, m.tx, m.ty);
    const QRectF area(0, 0, picture.width, picture.height);
    if (collecting_) {
        // As a mask, a picture covers its rectangle.
        QPainterPath path;
        path.addRect(area);
        mask_.addPath(t.map(path));
        return;
    }
    p_->save();
    p_->setTransform(onTop(t));
    p_->setRenderHint(QPainter::SmoothPixmapTransform, smooth && smooth_);
    p_->drawImage(area, imageFor(picture, cx, false));
    p_->restore();
}

} // namespace swf
