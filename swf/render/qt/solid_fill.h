// Antialiased filling of a solid-colour shape path straight into an image's pixels.
//
// The painter's own rasterizer keeps the cells of an outline in one small pool per
// fill, in a sorted list per row: an outline of thousands of edges crossing hundreds
// of rows is walked again for every band the pool can hold, and each row's list is
// searched for every cell. Traced pictures (one shape of thousands of such paths)
// spent most of their drawing there. This one keeps its cells in a growing buffer,
// sorts them once by row and column, and sweeps each row left to right, computing
// each pixel's coverage from the exact area of the outline inside it, as the
// painter does.
#pragma once

#include "swf/format/shape.h"

#include <QRect>
#include <QTransform>

#include <cstdint>
#include <span>
#include <vector>

namespace swf {

class SolidFill {
public:
    // Pixels of a 32-bit premultiplied image, and the device rectangle that may be drawn.
    struct Target {
        uint32_t* bits = nullptr;
        ptrdiff_t stride = 0; // pixels from one row to the next
        QRect clip;
    };

    // Fills the path (shape twips, mapped to device pixels by t; every contour closed
    // back to its start) with a premultiplied colour, blended over what is there.
    // False when the path is not drawn here (coordinates out of range, or too many
    // cells): then nothing has been drawn and the painter should draw it.
    bool fill(std::span<const PathCmd> cmds, const QTransform& t, bool nonZero, uint32_t color,
              const Target& target);

private:
    struct Cell {
        int32_t x, y;
        float cover; // the signed height of the outline crossing the cell, added to every pixel right of it
        float area;  // the part of that height counted for the cell's own pixel
    };

    void line(double x0, double y0, double x1, double y1);
    void piece(double xa, double ya, double xb, double yb);
    void rowPiece(int row, double xa, double ya, double xb, double yb);
    void add(int x, int y, double xa, double ya, double xb, double yb);
    void flush();
    void sweep(bool nonZero, uint32_t color, const Target& target);

    std::vector<Cell> cells_, sorted_;
    std::vector<uint32_t> rowStart_;
    Cell cur_{};
    bool open_ = false;
    bool overflow_ = false;
    double left_ = 0, right_ = 0, top_ = 0, bottom_ = 0; // the clip
};

} // namespace swf
