#include "swf/render/render_video.h"

namespace swf {

void drawVideo(RenderBackend& backend, const DisplayObject& obj, const VideoDef& video, const Matrix& m,
               const ColorTransform& cx) {
    if (!obj.video) return;
    // Decoding is the instance's cache of its picture; drawing leaves the display list
    // as it is.
    BitmapPtr picture = obj.video->frame(obj.ratio);
    if (!picture || picture->width <= 0 || picture->height <= 0) return;
    // The picture fills the declared size, whatever size it was coded at.
    const Matrix fit = Matrix::scale(20.0 * video.width / picture->width, 20.0 * video.height / picture->height);
    backend.drawPicture(*picture, m * fit, cx, video.smoothing);
}

} // namespace swf
