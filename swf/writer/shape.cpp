#include "swf/writer/shape.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace swf::writer {

namespace {

// Edge deltas are SB[NumBits + 2] with a 4-bit NumBits: at most 17 bits.
constexpr int32_t kMaxEdgeDelta = 65535;

int32_t roundCoord(double v) {
    if (!std::isfinite(v) || std::fabs(v) > 1073741823.0)
        throw std::invalid_argument("shape coordinate out of range");
    return static_cast<int32_t>(std::lround(v));
}

Rect grow(const Rect& r, int32_t by) {
    return {r.xmin - by, r.xmax + by, r.ymin - by, r.ymax + by};
}

void styleCount(Buffer& out, size_t n, int version) {
    if (n < 0xFF) {
        out.u8(static_cast<uint8_t>(n));
    } else if (version >= 2 && n <= 0xFFFF) {
        out.u8(0xFF).u16(static_cast<uint16_t>(n));
    } else {
        throw std::invalid_argument("too many styles for this shape version");
    }
}

void color(Buffer& out, Rgba c, int version) {
    if (version >= 3)
        out.rgba(c);
    else
        out.rgb(c);
}

bool isGradient(FillStyle::Type t) {
    return t == FillStyle::Type::Linear || t == FillStyle::Type::Radial ||
           t == FillStyle::Type::Focal;
}

void gradientHeader(Buffer& out, const Gradient& g, size_t count) {
    if (count > 15) throw std::invalid_argument("a gradient holds at most 15 stops");
    out.align();
    out.ub(static_cast<uint32_t>(g.spread), 2)
        .ub(static_cast<uint32_t>(g.interpolation), 2)
        .ub(static_cast<uint32_t>(count), 4);
}

void lineStyle2Flags(Buffer& out, const LineStyle& l, bool hasFill) {
    out.align();
    out.ub(static_cast<uint32_t>(l.startCap), 2)
        .ub(static_cast<uint32_t>(l.join), 2)
        .flag(hasFill)
        .flag(l.noHScale)
        .flag(l.noVScale)
        .flag(l.pixelHinting)
        .ub(0, 5)
        .flag(l.noClose)
        .ub(static_cast<uint32_t>(l.endCap), 2);
    if (l.join == Join::Miter) out.fixed8(l.miterLimit);
}

void encodeMorphFill(Buffer& out, const MorphFill& m) {
    const FillStyle& s = m.start;
    const FillStyle& e = m.end;
    if (s.type != e.type) throw std::invalid_argument("morph fill types differ");
    out.u8(static_cast<uint8_t>(s.type));
    if (s.type == FillStyle::Type::Solid) {
        out.rgba(s.color).rgba(e.color);
    } else if (isGradient(s.type)) {
        if (s.gradient.stops.size() != e.gradient.stops.size())
            throw std::invalid_argument("morph gradients differ in stop count");
        out.matrix(s.matrix).matrix(e.matrix);
        gradientHeader(out, s.gradient, s.gradient.stops.size());
        for (size_t i = 0; i < s.gradient.stops.size(); ++i) {
            out.u8(s.gradient.stops[i].ratio).rgba(s.gradient.stops[i].color);
            out.u8(e.gradient.stops[i].ratio).rgba(e.gradient.stops[i].color);
        }
        if (s.type == FillStyle::Type::Focal)
            out.fixed8(s.gradient.focalPoint).fixed8(e.gradient.focalPoint);
    } else {
        out.u16(s.bitmapId).matrix(s.matrix).matrix(e.matrix);
    }
}

void encodeMorphLine(Buffer& out, const MorphLine& m, int version) {
    out.u16(m.start.width).u16(m.end.width);
    if (version >= 2) {
        bool hasFill = m.start.fill && m.end.fill;
        lineStyle2Flags(out, m.start, hasFill);
        if (hasFill) {
            encodeMorphFill(out, {*m.start.fill, *m.end.fill});
            return;
        }
    }
    out.rgba(m.start.color).rgba(m.end.color);
}

void encodeStyleArrays(Buffer& out, const ShapeBuilder::StyleGroup& g, int version) {
    styleCount(out, g.fills.size(), version);
    for (const FillStyle& f : g.fills)
        encodeFillStyle(out, f, version);
    styleCount(out, g.lines.size(), version);
    for (const LineStyle& l : g.lines)
        encodeLineStyle(out, l, version);
}

int fillBitsOf(const ShapeBuilder::StyleGroup& g) {
    return unsignedBits(g.fills.size());
}
int lineBitsOf(const ShapeBuilder::StyleGroup& g) {
    return unsignedBits(g.lines.size());
}

// Shape records and the end record; `version` 0 means a SHAPE without style arrays.
void encodeRecords(Buffer& out, const ShapeBuilder& shape, int version, int fillBits,
                   int lineBits) {
    using Kind = ShapeBuilder::Record::Kind;
    for (const ShapeBuilder::Record& r : shape.records()) {
        if (r.kind == Kind::Style) {
            bool newStyles = r.newStyles >= 0;
            if (newStyles && version == 0)
                throw std::invalid_argument("new styles inside a shape without styles");
            out.ub(0, 1)
                .flag(newStyles)
                .flag(r.line.has_value())
                .flag(r.fill1.has_value())
                .flag(r.fill0.has_value())
                .flag(r.moveTo.has_value());
            if (r.moveTo) {
                auto [x, y] = *r.moveTo;
                int n = std::max(signedBits(x), signedBits(y));
                out.ub(static_cast<uint32_t>(n), 5).sb(x, n).sb(y, n);
            }
            if (r.fill0) out.ub(*r.fill0, fillBits);
            if (r.fill1) out.ub(*r.fill1, fillBits);
            if (r.line) out.ub(*r.line, lineBits);
            if (newStyles) {
                const auto& g = shape.groups().at(static_cast<size_t>(r.newStyles));
                encodeStyleArrays(out, g, version);
                fillBits = fillBitsOf(g);
                lineBits = lineBitsOf(g);
                out.ub(static_cast<uint32_t>(fillBits), 4).ub(static_cast<uint32_t>(lineBits), 4);
            }
        } else if (r.kind == Kind::Line) {
            bool general = r.dx != 0 && r.dy != 0;
            bool vertical = !general && r.dx == 0;
            int n = std::max(2, general    ? std::max(signedBits(r.dx), signedBits(r.dy))
                                : vertical ? signedBits(r.dy)
                                           : signedBits(r.dx));
            out.ub(1, 1).ub(1, 1).ub(static_cast<uint32_t>(n - 2), 4).flag(general);
            if (general)
                out.sb(r.dx, n).sb(r.dy, n);
            else
                out.flag(vertical).sb(vertical ? r.dy : r.dx, n);
        } else {
            int n = std::max(
                {2, signedBits(r.cdx), signedBits(r.cdy), signedBits(r.dx), signedBits(r.dy)});
            out.ub(1, 1).ub(0, 1).ub(static_cast<uint32_t>(n - 2), 4);
            out.sb(r.cdx, n).sb(r.cdy, n).sb(r.dx, n).sb(r.dy, n);
        }
    }
    out.ub(0, 6).align();
}

} // namespace

FillStyle FillStyle::solid(Rgba c) {
    FillStyle f;
    f.color = c;
    return f;
}

FillStyle FillStyle::linear(const Matrix& m, Gradient g) {
    FillStyle f;
    f.type = Type::Linear;
    f.matrix = m;
    f.gradient = std::move(g);
    return f;
}

FillStyle FillStyle::radial(const Matrix& m, Gradient g) {
    FillStyle f = linear(m, std::move(g));
    f.type = Type::Radial;
    return f;
}

FillStyle FillStyle::focal(const Matrix& m, Gradient g) {
    FillStyle f = linear(m, std::move(g));
    f.type = Type::Focal;
    return f;
}

FillStyle FillStyle::bitmap(uint16_t id, const Matrix& m, bool repeat, bool smooth) {
    FillStyle f;
    f.type = static_cast<Type>(0x40 | (repeat ? 0 : 1) | (smooth ? 0 : 2));
    f.bitmapId = id;
    f.matrix = m;
    return f;
}

LineStyle LineStyle::solid(uint16_t width, Rgba color) {
    LineStyle l;
    l.width = width;
    l.color = color;
    return l;
}

Matrix gradientBox(double x, double y, double w, double h, double radians) {
    // Turn inside the gradient square first, then stretch it to the box: the gradient
    // spans the box's width at angle 0 and its height at a quarter turn.
    double sx = w / 32768.0, sy = h / 32768.0;
    double cs = std::cos(radians), sn = std::sin(radians);
    return {sx * cs, sy * sn, -sx * sn, sy * cs, x + w / 2, y + h / 2};
}

int ShapeBuilder::addFill(FillStyle f) {
    groups_.back().fills.push_back(std::move(f));
    return static_cast<int>(groups_.back().fills.size());
}

int ShapeBuilder::addLine(LineStyle l) {
    groups_.back().lines.push_back(std::move(l));
    return static_cast<int>(groups_.back().lines.size());
}

ShapeBuilder& ShapeBuilder::newStyles() {
    flushPending();
    groups_.emplace_back();
    Record r;
    r.newStyles = static_cast<int>(groups_.size() - 1);
    records_.push_back(r);
    return *this;
}

ShapeBuilder::Record& ShapeBuilder::pending() {
    if (!pending_) pending_ = Record{};
    return *pending_;
}

void ShapeBuilder::flushPending() {
    if (pending_) records_.push_back(*pending_);
    pending_.reset();
}

ShapeBuilder& ShapeBuilder::fill0(uint32_t index) {
    pending().fill0 = index;
    return *this;
}

ShapeBuilder& ShapeBuilder::fill1(uint32_t index) {
    pending().fill1 = index;
    return *this;
}

ShapeBuilder& ShapeBuilder::line(uint32_t index) {
    pending().line = index;
    return *this;
}

ShapeBuilder& ShapeBuilder::moveTo(double x, double y) {
    penX_ = roundCoord(x);
    penY_ = roundCoord(y);
    pending().moveTo = std::pair{penX_, penY_};
    return *this;
}

ShapeBuilder& ShapeBuilder::lineTo(double x, double y) {
    flushPending();
    addLineEdge(roundCoord(x), roundCoord(y));
    return *this;
}

ShapeBuilder& ShapeBuilder::curveTo(double cx, double cy, double x, double y) {
    flushPending();
    addCurveEdge(roundCoord(cx), roundCoord(cy), roundCoord(x), roundCoord(y), 0);
    return *this;
}

void ShapeBuilder::addLineEdge(int32_t x, int32_t y) {
    int64_t dx = int64_t(x) - penX_, dy = int64_t(y) - penY_;
    int64_t longest = std::max(std::llabs(dx), std::llabs(dy));
    int64_t pieces = std::max<int64_t>(1, (longest + kMaxEdgeDelta - 1) / kMaxEdgeDelta);
    int32_t x0 = penX_, y0 = penY_;
    include(x0, y0);
    for (int64_t i = 1; i <= pieces; ++i) {
        int32_t px = static_cast<int32_t>(x0 + dx * i / pieces);
        int32_t py = static_cast<int32_t>(y0 + dy * i / pieces);
        Record r;
        r.kind = Record::Kind::Line;
        r.dx = px - penX_;
        r.dy = py - penY_;
        records_.push_back(r);
        penX_ = px;
        penY_ = py;
    }
    include(x, y);
}

void ShapeBuilder::addCurveEdge(int32_t cx, int32_t cy, int32_t x, int32_t y, int depth) {
    int64_t cdx = int64_t(cx) - penX_, cdy = int64_t(cy) - penY_;
    int64_t adx = int64_t(x) - cx, ady = int64_t(y) - cy;
    bool fits = std::llabs(cdx) <= kMaxEdgeDelta && std::llabs(cdy) <= kMaxEdgeDelta &&
                std::llabs(adx) <= kMaxEdgeDelta && std::llabs(ady) <= kMaxEdgeDelta;
    if (!fits) {
        if (depth > 16) throw std::invalid_argument("curve too long to encode");
        // Split at t = 1/2 (de Casteljau), rounding the new points to whole units.
        double p0x = penX_, p0y = penY_;
        double m1x = (p0x + cx) / 2, m1y = (p0y + cy) / 2;
        double m2x = (double(cx) + x) / 2, m2y = (double(cy) + y) / 2;
        double mx = (m1x + m2x) / 2, my = (m1y + m2y) / 2;
        addCurveEdge(roundCoord(m1x), roundCoord(m1y), roundCoord(mx), roundCoord(my), depth + 1);
        addCurveEdge(roundCoord(m2x), roundCoord(m2y), x, y, depth + 1);
        return;
    }
    // Bounds: end points plus the curve's extreme points on each axis.
    double p0[2] = {double(penX_), double(penY_)}, p1[2] = {double(cx), double(cy)},
           p2[2] = {double(x), double(y)};
    include(p0[0], p0[1]);
    include(p2[0], p2[1]);
    for (int axis = 0; axis < 2; ++axis) {
        double den = p0[axis] - 2 * p1[axis] + p2[axis];
        if (den == 0) continue;
        double t = (p0[axis] - p1[axis]) / den;
        if (t <= 0 || t >= 1) continue;
        double pt[2];
        for (int k = 0; k < 2; ++k)
            pt[k] = (1 - t) * (1 - t) * p0[k] + 2 * (1 - t) * t * p1[k] + t * t * p2[k];
        include(pt[0], pt[1]);
    }
    Record r;
    r.kind = Record::Kind::Curve;
    r.cdx = static_cast<int32_t>(cdx);
    r.cdy = static_cast<int32_t>(cdy);
    r.dx = static_cast<int32_t>(adx);
    r.dy = static_cast<int32_t>(ady);
    records_.push_back(r);
    penX_ = x;
    penY_ = y;
}

void ShapeBuilder::include(double x, double y) {
    if (!hasGeometry_) {
        minX_ = maxX_ = x;
        minY_ = maxY_ = y;
        hasGeometry_ = true;
        return;
    }
    minX_ = std::min(minX_, x);
    maxX_ = std::max(maxX_, x);
    minY_ = std::min(minY_, y);
    maxY_ = std::max(maxY_, y);
}

ShapeBuilder& ShapeBuilder::rect(double x, double y, double w, double h) {
    return polygon({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}});
}

ShapeBuilder& ShapeBuilder::roundRect(double x, double y, double w, double h, double r) {
    r = std::clamp(r, 0.0, std::min(w, h) / 2);
    moveTo(x + r, y);
    lineTo(x + w - r, y);
    curveTo(x + w, y, x + w, y + r);
    lineTo(x + w, y + h - r);
    curveTo(x + w, y + h, x + w - r, y + h);
    lineTo(x + r, y + h);
    curveTo(x, y + h, x, y + h - r);
    lineTo(x, y + r);
    return curveTo(x, y, x + r, y);
}

ShapeBuilder& ShapeBuilder::ellipse(double cx, double cy, double rx, double ry) {
    // Eight quadratic arcs of 45 degrees; the control point sits on the bisecting ray
    // at r / cos(22.5 degrees).
    constexpr double step = std::numbers::pi / 4;
    const double k = 1.0 / std::cos(step / 2);
    moveTo(cx + rx, cy);
    for (int i = 0; i < 8; ++i) {
        double mid = step * (i + 0.5), end = step * (i + 1);
        curveTo(cx + rx * k * std::cos(mid), cy + ry * k * std::sin(mid), cx + rx * std::cos(end),
                cy + ry * std::sin(end));
    }
    return *this;
}

ShapeBuilder& ShapeBuilder::polygon(const std::vector<std::pair<double, double>>& points) {
    if (points.empty()) return *this;
    moveTo(points[0].first, points[0].second);
    for (size_t i = 1; i < points.size(); ++i)
        lineTo(points[i].first, points[i].second);
    return lineTo(points[0].first, points[0].second);
}

ShapeBuilder& ShapeBuilder::setNonZeroWinding(bool on) {
    nonZero_ = on;
    return *this;
}

ShapeBuilder& ShapeBuilder::setBounds(const Rect& shapeBounds, const Rect& edgeBounds) {
    boundsOverride_ = std::pair{shapeBounds, edgeBounds};
    return *this;
}

Rect ShapeBuilder::edgeBounds() const {
    if (boundsOverride_) return boundsOverride_->second;
    if (!hasGeometry_) return {};
    return {static_cast<int32_t>(std::floor(minX_)), static_cast<int32_t>(std::ceil(maxX_)),
            static_cast<int32_t>(std::floor(minY_)), static_cast<int32_t>(std::ceil(maxY_))};
}

uint16_t ShapeBuilder::maxLineWidth() const {
    uint16_t w = 0;
    for (const StyleGroup& g : groups_)
        for (const LineStyle& l : g.lines)
            w = std::max(w, l.width);
    return w;
}

Rect ShapeBuilder::shapeBounds() const {
    if (boundsOverride_) return boundsOverride_->first;
    if (!hasGeometry_) return {};
    return grow(edgeBounds(), (maxLineWidth() + 1) / 2);
}

std::vector<ShapeBuilder::Record> ShapeBuilder::records() const {
    std::vector<Record> all = records_;
    if (pending_) all.push_back(*pending_);
    return all;
}

int MorphShapeBuilder::addFill(MorphFill f) {
    fills_.push_back(std::move(f));
    return static_cast<int>(fills_.size());
}

int MorphShapeBuilder::addLine(MorphLine l) {
    lines_.push_back(std::move(l));
    return static_cast<int>(lines_.size());
}

void encodeFillStyle(Buffer& out, const FillStyle& f, int version) {
    out.u8(static_cast<uint8_t>(f.type));
    if (f.type == FillStyle::Type::Solid) {
        color(out, f.color, version);
    } else if (isGradient(f.type)) {
        out.matrix(f.matrix);
        gradientHeader(out, f.gradient, f.gradient.stops.size());
        for (const GradientStop& s : f.gradient.stops) {
            out.u8(s.ratio);
            color(out, s.color, version);
        }
        if (f.type == FillStyle::Type::Focal) out.fixed8(f.gradient.focalPoint);
    } else {
        out.u16(f.bitmapId).matrix(f.matrix);
    }
}

void encodeLineStyle(Buffer& out, const LineStyle& l, int version) {
    out.u16(l.width);
    if (version < 4) {
        color(out, l.color, version);
        return;
    }
    lineStyle2Flags(out, l, l.fill.has_value());
    if (l.fill)
        encodeFillStyle(out, *l.fill, version);
    else
        out.rgba(l.color);
}

void encodeShape(Buffer& out, const ShapeBuilder& shape, int fillBits, int lineBits) {
    out.align();
    out.ub(static_cast<uint32_t>(fillBits), 4).ub(static_cast<uint32_t>(lineBits), 4);
    encodeRecords(out, shape, 0, fillBits, lineBits);
}

Tag defineShape(uint16_t id, const ShapeBuilder& shape, int version) {
    static constexpr uint16_t codes[] = {tagcode::DefineShape, tagcode::DefineShape2,
                                         tagcode::DefineShape3, tagcode::DefineShape4};
    if (version < 1 || version > 4) throw std::invalid_argument("shape version is 1 to 4");
    Buffer out;
    out.u16(id).rect(shape.shapeBounds());
    if (version == 4) {
        bool nonScaling = false, scaling = false;
        for (const auto& g : shape.groups())
            for (const LineStyle& l : g.lines)
                (l.noHScale || l.noVScale ? nonScaling : scaling) = true;
        out.rect(shape.edgeBounds());
        out.ub(0, 5).flag(shape.nonZeroWinding()).flag(nonScaling).flag(scaling);
    }
    const auto& first = shape.groups().front();
    encodeStyleArrays(out, first, version);
    int fillBits = fillBitsOf(first), lineBits = lineBitsOf(first);
    out.ub(static_cast<uint32_t>(fillBits), 4).ub(static_cast<uint32_t>(lineBits), 4);
    encodeRecords(out, shape, version, fillBits, lineBits);
    return {codes[version - 1], out.take()};
}

Tag defineMorphShape(uint16_t id, const MorphShapeBuilder& morph, int version) {
    if (version != 1 && version != 2) throw std::invalid_argument("morph version is 1 or 2");
    uint16_t startWidth = 0, endWidth = 0;
    bool nonScaling = false, scaling = false;
    for (const MorphLine& l : morph.lines()) {
        startWidth = std::max(startWidth, l.start.width);
        endWidth = std::max(endWidth, l.end.width);
        (l.start.noHScale || l.start.noVScale ? nonScaling : scaling) = true;
    }
    Buffer out;
    out.u16(id);
    out.rect(grow(morph.start().edgeBounds(), (startWidth + 1) / 2));
    out.rect(grow(morph.end().edgeBounds(), (endWidth + 1) / 2));
    if (version == 2) {
        out.rect(morph.start().edgeBounds()).rect(morph.end().edgeBounds());
        out.ub(0, 6).flag(nonScaling).flag(scaling);
    }
    size_t offsetAt = out.size();
    out.u32(0);
    styleCount(out, morph.fills().size(), 3);
    for (const MorphFill& f : morph.fills())
        encodeMorphFill(out, f);
    styleCount(out, morph.lines().size(), 3);
    for (const MorphLine& l : morph.lines())
        encodeMorphLine(out, l, version);
    encodeShape(out, morph.start(), unsignedBits(morph.fills().size()),
                unsignedBits(morph.lines().size()));
    out.patchU32(offsetAt, static_cast<uint32_t>(out.size() - offsetAt - 4));
    encodeShape(out, morph.end(), 0, 0);
    return {version == 1 ? tagcode::DefineMorphShape : tagcode::DefineMorphShape2, out.take()};
}

} // namespace swf::writer
