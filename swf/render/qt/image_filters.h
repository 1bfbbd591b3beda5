// Filters and blend modes applied to rendered layers (premultiplied ARGB images).
#pragma once

#include "swf/format/filter.h"

#include <QImage>
#include <QPainter>

namespace swf {

// Applies the filters in order; pixelScale converts filter pixels to image pixels.
void applyFilters(QImage& layer, const std::vector<Filter>& filters, double pixelScale);

// Box blur, repeated; radii in image pixels.
void boxBlur(QImage& img, double radiusX, double radiusY, int passes);

// White wherever the image has coverage, as much as it has (premultiplied).
QImage coverage(const QImage& img);

// The painter's composition mode for a blend mode; false when the mode is drawn as normal.
bool compositionFor(uint8_t blendMode, QPainter::CompositionMode& mode);

} // namespace swf
