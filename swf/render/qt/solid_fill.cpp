#include "swf/render/qt/solid_fill.h"

#include <algorithm>
#include <cmath>

namespace swf {
namespace {

// Cells a fill may gather before it is left to the painter (some 32 MB).
constexpr size_t kMaxCells = size_t(2) << 20;
constexpr size_t kKeptCells = size_t(1) << 18;
// Device coordinates beyond this are left to the painter, which clips them itself.
constexpr double kMaxCoord = 1 << 24;
// How far a curve's flattened chords may stray from it, in device pixels.
constexpr double kCurveTolerance = 0.125;
constexpr int kMaxCurveSteps = 256;

// Each 8-bit channel of a premultiplied pixel times a / 255, rounded as the painter does.
inline uint32_t byteMul(uint32_t x, uint32_t a) {
    uint32_t t = (x & 0xff00ffu) * a;
    t = ((t + ((t >> 8) & 0xff00ffu) + 0x800080u) >> 8) & 0xff00ffu;
    x = ((x >> 8) & 0xff00ffu) * a;
    x = (x + ((x >> 8) & 0xff00ffu) + 0x800080u) & 0xff00ff00u;
    return x | t;
}

// A winding sum (one for a pixel wholly inside) as 8-bit coverage.
inline uint32_t coverage(double w, bool nonZero) {
    double a = std::abs(w);
    if (nonZero) {
        a = std::min(a, 1.0);
    } else {
        a -= 2 * std::floor(a / 2);
        if (a > 1) a = 2 - a;
    }
    const int c = static_cast<int>(a * 256);
    return static_cast<uint32_t>(std::clamp(c, 0, 255));
}

inline void blend(uint32_t* dst, int n, uint32_t color, uint32_t cov) {
    if (cov == 255 && (color >> 24) == 255) {
        std::fill(dst, dst + n, color);
        return;
    }
    const uint32_t c = cov == 255 ? color : byteMul(color, cov);
    const uint32_t keep = 255 - (c >> 24);
    for (int i = 0; i < n; ++i) dst[i] = c + byteMul(dst[i], keep);
}

} // namespace

void SolidFill::add(int x, int y, double xa, double ya, double xb, double yb) {
    const double d = yb - ya;
    if (d == 0) return;
    if (!open_ || cur_.x != x || cur_.y != y) {
        flush();
        cur_ = {x, y, 0, 0};
        open_ = true;
    }
    cur_.cover += static_cast<float>(d);
    cur_.area += static_cast<float>(d * (x + 1 - (xa + xb) / 2));
}

void SolidFill::flush() {
    if (!open_) return;
    open_ = false;
    if (cur_.cover == 0 && cur_.area == 0) return;
    if (cells_.size() >= kMaxCells) {
        overflow_ = true;
        return;
    }
    cells_.push_back(cur_);
}

// The part of a line within one row of pixels, walked column by column.
void SolidFill::rowPiece(int row, double xa, double ya, double xb, double yb) {
    int ca = static_cast<int>(std::floor(xa)), cb = static_cast<int>(std::floor(xb));
    // A piece that ends (or, going left, starts) on a column's left edge lies in the
    // column before it.
    if (xb > xa && cb == xb) --cb;
    if (xa > xb && ca == xa) --ca;
    if (ca == cb) {
        add(ca, row, xa, ya, xb, yb);
        return;
    }
    const double dydx = (yb - ya) / (xb - xa);
    double x = xa, y = ya;
    if (cb > ca) {
        for (int c = ca; c < cb; ++c) {
            const double xn = c + 1, yn = ya + (xn - xa) * dydx;
            add(c, row, x, y, xn, yn);
            x = xn;
            y = yn;
        }
    } else {
        for (int c = ca; c > cb; --c) {
            const double xn = c, yn = ya + (xn - xa) * dydx;
            add(c, row, x, y, xn, yn);
            x = xn;
            y = yn;
        }
    }
    add(cb, row, x, y, xb, yb);
}

// A part of a line lying wholly on one side of each of the clip's left and right edges.
void SolidFill::piece(double xa, double ya, double xb, double yb) {
    if (ya == yb) return;
    // What lies right of the clip covers only pixels beyond it; what lies left of it
    // covers those within it as if it ran down the clip's left edge.
    if (xa >= right_ && xb >= right_) return;
    xa = std::max(xa, left_);
    xb = std::max(xb, left_);
    const int dir = yb > ya ? 1 : -1;
    int r = dir > 0 ? static_cast<int>(std::floor(ya)) : static_cast<int>(std::ceil(ya)) - 1;
    const double slope = (xb - xa) / (yb - ya);
    double x = xa, y = ya;
    while (dir > 0 ? y < yb : y > yb) {
        const double ye = dir > 0 ? std::min<double>(r + 1, yb) : std::max<double>(r, yb);
        const double xe = ye == yb ? xb : xa + (ye - ya) * slope;
        rowPiece(r, x, y, xe, ye);
        x = xe;
        y = ye;
        r += dir;
    }
}

void SolidFill::line(double x0, double y0, double x1, double y1) {
    if (y0 == y1 || overflow_) return;
    // Rows are independent: only the part within the clip's rows counts.
    const double ddx = x1 - x0, ddy = y1 - y0;
    double ta = (top_ - y0) / ddy, tb = (bottom_ - y0) / ddy;
    double ya = top_, yb = bottom_;
    if (ta > tb) {
        std::swap(ta, tb);
        std::swap(ya, yb);
    }
    // The line's points at parameters ts (0 and 1 are its ends), split where it
    // crosses the clip's top, bottom, left and right.
    double ts[4], xs[4], ys[4];
    int n = 0;
    if (ta > 0) {
        if (ta >= 1) return;
        ts[n] = ta, xs[n] = x0 + ta * ddx, ys[n++] = ya;
    } else {
        ts[n] = 0, xs[n] = x0, ys[n++] = y0;
    }
    const double tEnd = std::min(tb, 1.0);
    if (tEnd <= ts[0]) return;
    if (ddx != 0) {
        for (double edge : {left_, right_}) {
            const double t = (edge - x0) / ddx;
            if (t > ts[0] && t < tEnd) ts[n] = t, xs[n] = edge, ys[n++] = y0 + t * ddy;
        }
        if (n == 3 && ts[2] < ts[1]) {
            std::swap(ts[1], ts[2]);
            std::swap(xs[1], xs[2]);
            std::swap(ys[1], ys[2]);
        }
    }
    if (tb < 1)
        xs[n] = x0 + tb * ddx, ys[n++] = yb;
    else
        xs[n] = x1, ys[n++] = y1;
    for (int i = 0; i + 1 < n; ++i) piece(xs[i], ys[i], xs[i + 1], ys[i + 1]);
}

void SolidFill::sweep(bool nonZero, uint32_t color, const Target& target) {
    if (cells_.empty()) return;
    int top = cells_[0].y, bottom = cells_[0].y;
    for (const Cell& c : cells_) {
        top = std::min(top, c.y);
        bottom = std::max(bottom, c.y);
    }
    // Cells by row (each row in the order made), then each row by column.
    const size_t rows = static_cast<size_t>(bottom - top) + 1;
    rowStart_.assign(rows + 1, 0);
    for (const Cell& c : cells_) ++rowStart_[static_cast<size_t>(c.y - top) + 1];
    for (size_t i = 1; i <= rows; ++i) rowStart_[i] += rowStart_[i - 1];
    sorted_.resize(cells_.size());
    {
        std::vector<uint32_t>& next = rowStart_;
        for (const Cell& c : cells_) sorted_[next[static_cast<size_t>(c.y - top)]++] = c;
        // next[i] is now where row i + 1 begins.
    }
    const int clipLeft = target.clip.x(), clipRight = target.clip.x() + target.clip.width();
    const int clipTop = target.clip.y(), clipBottom = target.clip.y() + target.clip.height();
    size_t begin = 0;
    for (size_t row = 0; row < rows; ++row) {
        const size_t end = rowStart_[row];
        if (end == begin) continue;
        Cell* first = sorted_.data() + begin;
        Cell* last = sorted_.data() + end;
        begin = end;
        const int y = first->y;
        if (y < clipTop || y >= clipBottom) continue;
        std::sort(first, last, [](const Cell& a, const Cell& b) { return a.x < b.x; });
        uint32_t* pixels = target.bits + static_cast<ptrdiff_t>(y) * target.stride;
        double acc = 0;
        for (Cell* c = first; c != last;) {
            const int x = c->x;
            double area = 0, cover = 0;
            for (; c != last && c->x == x; ++c) {
                area += c->area;
                cover += c->cover;
            }
            if (x >= clipRight) break;
            if (x >= clipLeft)
                if (const uint32_t cov = coverage(acc + area, nonZero)) blend(pixels + x, 1, color, cov);
            acc += cover;
            // Up to the next cell every pixel is covered alike.
            const int from = std::max(x + 1, clipLeft), to = c != last ? std::min(c->x, clipRight) : clipRight;
            if (to > from)
                if (const uint32_t cov = coverage(acc, nonZero)) blend(pixels + from, to - from, color, cov);
        }
    }
}

bool SolidFill::fill(std::span<const PathCmd> cmds, const QTransform& t, bool nonZero, uint32_t color,
                     const Target& target) {
    if (target.clip.isEmpty()) return true;
    // The memory of a rare huge path is not kept for the next ones.
    if (cells_.capacity() > kKeptCells) {
        cells_ = {};
        sorted_ = {};
    }
    cells_.clear();
    open_ = false;
    overflow_ = false;
    left_ = target.clip.x();
    right_ = target.clip.x() + target.clip.width();
    top_ = target.clip.y();
    bottom_ = target.clip.y() + target.clip.height();

    const double m11 = t.m11(), m12 = t.m12(), m21 = t.m21(), m22 = t.m22(), dx = t.dx(), dy = t.dy();
    auto mapX = [&](double x, double y) { return m11 * x + m21 * y + dx; };
    auto mapY = [&](double x, double y) { return m12 * x + m22 * y + dy; };
    bool finite = true;
    auto check = [&](double x, double y) {
        if (!(std::abs(x) < kMaxCoord && std::abs(y) < kMaxCoord)) finite = false;
    };

    double sx = 0, sy = 0, px = 0, py = 0; // contour start and pen, in device pixels
    bool inContour = false;
    auto close = [&] {
        if (inContour && (px != sx || py != sy)) line(px, py, sx, sy);
    };
    for (const PathCmd& c : cmds) {
        const double x = mapX(c.x, c.y), y = mapY(c.x, c.y);
        check(x, y);
        if (!finite) return false;
        switch (c.op) {
        case PathCmd::Op::Move:
            close();
            sx = px = x;
            sy = py = y;
            inContour = true;
            break;
        case PathCmd::Op::Line:
            line(px, py, x, y);
            px = x;
            py = y;
            break;
        case PathCmd::Op::Curve: {
            const double cx = mapX(c.cx, c.cy), cy = mapY(c.cx, c.cy);
            check(cx, cy);
            if (!finite) return false;
            // A quadratic strays at most a quarter of |p0 - 2c + p1| from its chord;
            // n equal steps bring that down by n squared.
            const double bx = px - 2 * cx + x, by = py - 2 * cy + y;
            const double bend = std::sqrt(bx * bx + by * by);
            const int steps =
                std::clamp(static_cast<int>(std::ceil(std::sqrt(bend / (4 * kCurveTolerance)))), 1, kMaxCurveSteps);
            double lx = px, ly = py;
            for (int i = 1; i < steps; ++i) {
                const double u = static_cast<double>(i) / steps, v = 1 - u;
                const double qx = v * v * px + 2 * u * v * cx + u * u * x;
                const double qy = v * v * py + 2 * u * v * cy + u * u * y;
                line(lx, ly, qx, qy);
                lx = qx;
                ly = qy;
            }
            line(lx, ly, x, y);
            px = x;
            py = y;
            break;
        }
        }
        if (overflow_) return false;
    }
    close();
    flush();
    if (overflow_) return false;
    if ((color >> 24) != 0) sweep(nonZero, color, target);
    return true;
}

} // namespace swf
