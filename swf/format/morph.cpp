#include "swf/format/morph.h"

#include <cmath>

namespace swf {
namespace {

double lerp(double a, double b, double t) { return a + (b - a) * t; }

int32_t lerpI(int32_t a, int32_t b, double t) {
    return static_cast<int32_t>(std::lround(lerp(a, b, t)));
}

uint8_t lerpU8(uint8_t a, uint8_t b, double t) {
    return static_cast<uint8_t>(std::clamp<long>(std::lround(lerp(a, b, t)), 0, 255));
}

Rgba lerpColor(Rgba a, Rgba b, double t) {
    return {lerpU8(a.r, b.r, t), lerpU8(a.g, b.g, t), lerpU8(a.b, b.b, t), lerpU8(a.a, b.a, t)};
}

Matrix lerpMatrix(const Matrix& a, const Matrix& b, double t) {
    return {lerp(a.a, b.a, t), lerp(a.b, b.b, t),   lerp(a.c, b.c, t),
            lerp(a.d, b.d, t), lerp(a.tx, b.tx, t), lerp(a.ty, b.ty, t)};
}

FillStyle lerpFill(const FillStyle& a, const FillStyle& b, double t) {
    FillStyle f = a;
    f.color = lerpColor(a.color, b.color, t);
    f.matrix = lerpMatrix(a.matrix, b.matrix, t);
    f.gradient.focal = lerp(a.gradient.focal, b.gradient.focal, t);
    for (size_t i = 0; i < f.gradient.stops.size() && i < b.gradient.stops.size(); ++i) {
        f.gradient.stops[i].ratio = lerpU8(a.gradient.stops[i].ratio, b.gradient.stops[i].ratio, t);
        f.gradient.stops[i].color = lerpColor(a.gradient.stops[i].color, b.gradient.stops[i].color, t);
    }
    return f;
}

// Reads one MORPHFILLSTYLE into its start and end fill styles.
void readMorphFill(Reader& r, FillStyle& s, FillStyle& e) {
    uint8_t type = r.u8();
    switch (type) {
    case 0x00:
        s.kind = e.kind = FillStyle::Kind::Solid;
        s.color = r.rgba();
        e.color = r.rgba();
        break;
    case 0x10:
    case 0x12:
    case 0x13: {
        s.kind = type == 0x10   ? FillStyle::Kind::Linear
                 : type == 0x12 ? FillStyle::Kind::Radial
                                : FillStyle::Kind::Focal;
        e.kind = s.kind;
        s.matrix = r.matrix();
        e.matrix = r.matrix();
        uint8_t head = r.u8();
        Spread spread = (head >> 6) == 1 ? Spread::Reflect : (head >> 6) == 2 ? Spread::Repeat : Spread::Pad;
        s.gradient.spread = e.gradient.spread = spread;
        s.gradient.linearRgb = e.gradient.linearRgb = ((head >> 4) & 3) == 1;
        int n = head & 0x0f;
        for (int i = 0; i < n && !r.overrun(); ++i) {
            GradientStop a, b;
            a.ratio = r.u8();
            a.color = r.rgba();
            b.ratio = r.u8();
            b.color = r.rgba();
            s.gradient.stops.push_back(a);
            e.gradient.stops.push_back(b);
        }
        if (type == 0x13) {
            s.gradient.focal = std::clamp(r.s16() / 256.0, -1.0, 1.0);
            e.gradient.focal = std::clamp(r.s16() / 256.0, -1.0, 1.0);
        }
        break;
    }
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        s.kind = e.kind = FillStyle::Kind::Bitmap;
        s.bitmapId = e.bitmapId = r.u16();
        s.repeat = e.repeat = (type & 1) == 0;
        s.smooth = e.smooth = (type & 2) == 0;
        s.matrix = r.matrix();
        e.matrix = r.matrix();
        break;
    default:
        r.fail();
        break;
    }
}

size_t readCount(Reader& r) {
    size_t n = r.u8();
    if (n == 0xff) n = r.u16();
    return n;
}

} // namespace

Result<MorphShape> parseDefineMorphShape(Reader& r, int morphVersion) {
    MorphShape m;
    m.startBounds = r.rect();
    m.endBounds = r.rect();
    if (morphVersion >= 2) {
        r.rect();
        r.rect();
        r.u8();
    }
    uint32_t offset = r.u32();
    size_t endEdgesPos = r.pos() + offset;

    size_t nFills = readCount(r);
    for (size_t i = 0; i < nFills && !r.overrun(); ++i) {
        FillStyle s, e;
        readMorphFill(r, s, e);
        m.startStyles.fills.push_back(s);
        m.endStyles.fills.push_back(e);
    }
    size_t nLines = readCount(r);
    for (size_t i = 0; i < nLines && !r.overrun(); ++i) {
        LineStyle s, e;
        s.width = r.u16();
        e.width = r.u16();
        if (morphVersion >= 2) {
            bool hasFill = readLineStyle2Flags(r, s);
            LineStyle keepWidth = e;
            e = s;
            e.width = keepWidth.width;
            if (hasFill) {
                FillStyle fs, fe;
                readMorphFill(r, fs, fe);
                s.fill = fs;
                e.fill = fe;
                s.color = fs.color;
                e.color = fe.color;
            } else {
                s.color = r.rgba();
                e.color = r.rgba();
            }
        } else {
            s.color = r.rgba();
            e.color = r.rgba();
        }
        m.startStyles.lines.push_back(s);
        m.endStyles.lines.push_back(e);
    }
    if (r.overrun()) return Error{"morph shape styles are truncated"};

    // The start edges carry no style arrays of their own: they use the morph styles.
    auto start = readShapeRecords(r, 3, false);
    if (auto* err = std::get_if<Error>(&start)) return *err;
    m.startEdges = std::move(std::get<ShapeRecords>(start));
    m.startEdges.tables[0] = m.startStyles;

    r.seek(endEdgesPos);
    auto end = readShapeRecords(r, 3, false);
    if (auto* e = std::get_if<ShapeRecords>(&end)) {
        for (const auto& rec : e->records)
            if (rec.kind == ShapeRecord::Kind::Edge || rec.move) m.endEdges.push_back(rec);
    }
    return m;
}

Shape MorphShape::at(uint16_t ratio) const {
    const double t = ratio / 65535.0;
    ShapeRecords recs;
    recs.tables.resize(1);
    for (size_t i = 0; i < startStyles.fills.size(); ++i)
        recs.tables[0].fills.push_back(lerpFill(startStyles.fills[i], endStyles.fills[i], t));
    for (size_t i = 0; i < startStyles.lines.size(); ++i) {
        LineStyle l = startStyles.lines[i];
        const LineStyle& e = endStyles.lines[i];
        l.width = static_cast<uint16_t>(lerpI(l.width, e.width, t));
        l.color = lerpColor(l.color, e.color, t);
        if (l.fill && e.fill) l.fill = lerpFill(*l.fill, *e.fill, t);
        recs.tables[0].lines.push_back(l);
    }
    // Walk both edge lists in step; the end list has only edges and moves.
    size_t j = 0;
    int32_t sx = 0, sy = 0, ex = 0, ey = 0; // pens of the start and end shapes
    recs.records.reserve(startEdges.records.size());
    for (const ShapeRecord& s : startEdges.records) {
        ShapeRecord out = s;
        if (s.kind == ShapeRecord::Kind::Style) {
            out.newStyles = -1; // a morph has one style table
            if (s.move) {
                // The end shape's matching move, when it has one here.
                if (j < endEdges.size() && endEdges[j].kind == ShapeRecord::Kind::Style) {
                    ex = endEdges[j].x;
                    ey = endEdges[j].y;
                    ++j;
                } else {
                    ex = s.x;
                    ey = s.y;
                }
                sx = s.x;
                sy = s.y;
                out.x = lerpI(sx, ex, t);
                out.y = lerpI(sy, ey, t);
            }
            recs.records.push_back(out);
            continue;
        }
        while (j < endEdges.size() && endEdges[j].kind == ShapeRecord::Kind::Style) {
            ex = endEdges[j].x;
            ey = endEdges[j].y;
            ++j;
        }
        if (j >= endEdges.size()) break; // malformed: stop at the shorter list
        const ShapeRecord& e = endEdges[j++];
        // A straight edge meeting a curve becomes a curve with its control at the middle.
        int32_t scx = s.curve ? s.cx : (sx + s.x) / 2, scy = s.curve ? s.cy : (sy + s.y) / 2;
        int32_t ecx = e.curve ? e.cx : (ex + e.x) / 2, ecy = e.curve ? e.cy : (ey + e.y) / 2;
        out.curve = s.curve || e.curve;
        out.cx = lerpI(scx, ecx, t);
        out.cy = lerpI(scy, ecy, t);
        out.x = lerpI(s.x, e.x, t);
        out.y = lerpI(s.y, e.y, t);
        sx = s.x;
        sy = s.y;
        ex = e.x;
        ey = e.y;
        recs.records.push_back(out);
    }
    Rect b{lerpI(startBounds.xmin, endBounds.xmin, t), lerpI(startBounds.xmax, endBounds.xmax, t),
           lerpI(startBounds.ymin, endBounds.ymin, t), lerpI(startBounds.ymax, endBounds.ymax, t)};
    return buildShape(recs, b, false);
}

} // namespace swf
