// Drawing a video instance: its current picture over the stream's declared size.
#pragma once

#include "swf/display/player.h"
#include "swf/render/render.h"

namespace swf {

// m and cx are the instance's world matrix (its twips to device pixels) and colour
// transform.
void drawVideo(RenderBackend& backend, const DisplayObject& obj, const VideoDef& video, const Matrix& m,
               const ColorTransform& cx);

} // namespace swf
