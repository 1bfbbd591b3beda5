#include "swf/format/shape.h"

#include "swf/format/limits.h"

#include <algorithm>
#include <unordered_map>

namespace swf {
namespace {

Rgba readColor(Reader& r, int shapeVersion) { return shapeVersion >= 3 ? r.rgba() : r.rgb(); }

size_t readStyleCount(Reader& r, int shapeVersion) {
    size_t n = r.u8();
    if (n == 0xff && shapeVersion >= 2) n = r.u16();
    return n;
}

Gradient readGradient(Reader& r, int shapeVersion, bool focal) {
    Gradient g;
    r.align();
    uint32_t spread = r.ub(2);
    g.spread = spread == 1 ? Spread::Reflect : spread == 2 ? Spread::Repeat : Spread::Pad;
    g.linearRgb = r.ub(2) == 1;
    uint32_t n = r.ub(4);
    g.stops.reserve(n);
    for (uint32_t i = 0; i < n && !r.overrun(); ++i) {
        GradientStop s;
        s.ratio = r.u8();
        s.color = readColor(r, shapeVersion);
        g.stops.push_back(s);
    }
    if (focal) g.focal = std::clamp(r.s16() / 256.0, -1.0, 1.0);
    return g;
}

int32_t clampCoord(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2));
}

} // namespace

FillStyle readFillStyle(Reader& r, int shapeVersion) {
    FillStyle f;
    uint8_t type = r.u8();
    switch (type) {
    case 0x00:
        f.kind = FillStyle::Kind::Solid;
        f.color = readColor(r, shapeVersion);
        break;
    case 0x10:
    case 0x12:
    case 0x13:
        f.kind = type == 0x10   ? FillStyle::Kind::Linear
                 : type == 0x12 ? FillStyle::Kind::Radial
                                : FillStyle::Kind::Focal;
        f.matrix = r.matrix();
        f.gradient = readGradient(r, shapeVersion, type == 0x13);
        break;
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
        f.kind = FillStyle::Kind::Bitmap;
        f.bitmapId = r.u16();
        f.matrix = r.matrix();
        f.repeat = (type & 1) == 0;
        f.smooth = (type & 2) == 0;
        break;
    default:
        r.fail(); // unknown fill type: the rest of the shape cannot be located
        break;
    }
    return f;
}

std::vector<FillStyle> readFillStyles(Reader& r, int shapeVersion) {
    size_t n = readStyleCount(r, shapeVersion);
    std::vector<FillStyle> v;
    for (size_t i = 0; i < n && !r.overrun(); ++i) v.push_back(readFillStyle(r, shapeVersion));
    return v;
}

bool readLineStyle2Flags(Reader& r, LineStyle& l) {
    auto cap = [](uint32_t c) { return c == 1 ? Cap::None : c == 2 ? Cap::Square : Cap::Round; };
    l.startCap = cap(r.ub(2));
    uint32_t join = r.ub(2);
    l.join = join == 1 ? Join::Bevel : join == 2 ? Join::Miter : Join::Round;
    bool hasFill = r.flag();
    l.noHScale = r.flag();
    l.noVScale = r.flag();
    r.ub(1); // pixel hinting
    r.ub(5);
    l.noClose = r.flag();
    l.endCap = cap(r.ub(2));
    if (join == 2) l.miterLimit = r.u16() / 256.0;
    return hasFill;
}

std::vector<LineStyle> readLineStyles(Reader& r, int shapeVersion) {
    size_t n = readStyleCount(r, shapeVersion);
    std::vector<LineStyle> v;
    for (size_t i = 0; i < n && !r.overrun(); ++i) {
        LineStyle l;
        l.width = r.u16();
        if (shapeVersion >= 4) {
            bool hasFill = readLineStyle2Flags(r, l);
            if (hasFill) {
                l.fill = readFillStyle(r, shapeVersion);
                l.color = l.fill->color;
            } else {
                l.color = r.rgba();
            }
        } else {
            l.color = readColor(r, shapeVersion);
        }
        v.push_back(l);
    }
    return v;
}

Result<ShapeRecords> readShapeRecords(Reader& r, int shapeVersion, bool withStyles) {
    ShapeRecords out;
    out.tables.emplace_back();
    if (withStyles) {
        out.tables[0].fills = readFillStyles(r, shapeVersion);
        out.tables[0].lines = readLineStyles(r, shapeVersion);
    }
    r.align();
    int fillBits = static_cast<int>(r.ub(4));
    int lineBits = static_cast<int>(r.ub(4));
    int64_t x = 0, y = 0;
    while (true) {
        if (r.overrun()) {
            if (out.records.empty()) return Error{"shape data is truncated"};
            break; // keep what was read
        }
        if (out.records.size() >= limits::kMaxShapeEdges) return Error{"shape is too complex"};
        ShapeRecord rec{};
        if (r.ub(1) == 0) {
            uint32_t flags = r.ub(5);
            if (flags == 0) break;
            rec.kind = ShapeRecord::Kind::Style;
            rec.fill0 = rec.fill1 = rec.line = rec.newStyles = -1;
            if (flags & 1) {
                int n = static_cast<int>(r.ub(5));
                x = r.sb(n);
                y = r.sb(n);
                rec.move = true;
                rec.x = clampCoord(x);
                rec.y = clampCoord(y);
            }
            if (flags & 2) rec.fill0 = static_cast<int>(r.ub(fillBits));
            if (flags & 4) rec.fill1 = static_cast<int>(r.ub(fillBits));
            if (flags & 8) rec.line = static_cast<int>(r.ub(lineBits));
            if (flags & 16) {
                StyleTable t;
                t.fills = readFillStyles(r, shapeVersion);
                t.lines = readLineStyles(r, shapeVersion);
                out.tables.push_back(std::move(t));
                rec.newStyles = static_cast<int>(out.tables.size() - 1);
                r.align();
                fillBits = static_cast<int>(r.ub(4));
                lineBits = static_cast<int>(r.ub(4));
            }
        } else {
            rec.kind = ShapeRecord::Kind::Edge;
            bool straight = r.flag();
            int n = static_cast<int>(r.ub(4)) + 2;
            if (straight) {
                int64_t dx = 0, dy = 0;
                if (r.flag()) {
                    dx = r.sb(n);
                    dy = r.sb(n);
                } else if (r.flag()) {
                    dy = r.sb(n);
                } else {
                    dx = r.sb(n);
                }
                x += dx;
                y += dy;
            } else {
                int64_t cx = x + r.sb(n);
                int64_t cy = y + r.sb(n);
                x = cx + r.sb(n);
                y = cy + r.sb(n);
                rec.curve = true;
                rec.cx = clampCoord(cx);
                rec.cy = clampCoord(cy);
            }
            x = clampCoord(x);
            y = clampCoord(y);
            rec.x = static_cast<int32_t>(x);
            rec.y = static_cast<int32_t>(y);
        }
        out.records.push_back(rec);
    }
    r.align();
    return out;
}

namespace {

struct Segment {
    int32_t x0, y0, cx, cy, x1, y1;
    bool curve;
    Segment reversed() const { return {x1, y1, cx, cy, x0, y0, curve}; }
};

uint64_t pointKey(int32_t x, int32_t y) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(x)) << 32) | static_cast<uint32_t>(y);
}

void appendSegment(std::vector<PathCmd>& cmds, const Segment& s) {
    if (s.curve)
        cmds.push_back({PathCmd::Op::Curve, s.x1, s.y1, s.cx, s.cy});
    else
        cmds.push_back({PathCmd::Op::Line, s.x1, s.y1, 0, 0});
}

// Links directed segments head to tail into contours.
std::vector<PathCmd> joinContours(const std::vector<Segment>& segs) {
    std::unordered_multimap<uint64_t, size_t> byStart;
    byStart.reserve(segs.size());
    for (size_t i = 0; i < segs.size(); ++i) byStart.emplace(pointKey(segs[i].x0, segs[i].y0), i);
    std::vector<bool> used(segs.size(), false);
    std::vector<PathCmd> cmds;
    cmds.reserve(segs.size() + 8);
    for (size_t first = 0; first < segs.size(); ++first) {
        if (used[first]) continue;
        const Segment& s0 = segs[first];
        cmds.push_back({PathCmd::Op::Move, s0.x0, s0.y0, 0, 0});
        size_t cur = first;
        while (true) {
            used[cur] = true;
            appendSegment(cmds, segs[cur]);
            int32_t ex = segs[cur].x1, ey = segs[cur].y1;
            if (ex == s0.x0 && ey == s0.y0) break;
            size_t next = SIZE_MAX;
            auto range = byStart.equal_range(pointKey(ex, ey));
            for (auto it = range.first; it != range.second; ++it) {
                if (!used[it->second]) {
                    next = it->second;
                    break;
                }
            }
            if (next == SIZE_MAX) break;
            cur = next;
        }
    }
    return cmds;
}

struct Layer {
    int table = 0;
    std::vector<std::vector<Segment>> fills; // by 1-based style index
    std::vector<std::vector<Segment>> lines;
};

} // namespace

Shape buildShape(const ShapeRecords& recs, Rect bounds, bool nonZero) {
    Shape shape;
    shape.bounds = bounds;
    shape.nonZero = nonZero;
    std::vector<int> fillBase, lineBase; // offset of each table in the flat style lists
    for (const auto& t : recs.tables) {
        fillBase.push_back(static_cast<int>(shape.fills.size()));
        lineBase.push_back(static_cast<int>(shape.lines.size()));
        shape.fills.insert(shape.fills.end(), t.fills.begin(), t.fills.end());
        shape.lines.insert(shape.lines.end(), t.lines.begin(), t.lines.end());
    }

    auto newLayer = [&](int table) {
        Layer l;
        l.table = table;
        l.fills.resize(recs.tables[table].fills.size() + 1);
        l.lines.resize(recs.tables[table].lines.size() + 1);
        return l;
    };
    auto finish = [&](Layer& l) {
        for (size_t i = 1; i < l.fills.size(); ++i) {
            if (l.fills[i].empty()) continue;
            ShapePath p;
            p.fill = fillBase[l.table] + static_cast<int>(i) - 1;
            p.cmds = joinContours(l.fills[i]);
            shape.paths.push_back(std::move(p));
        }
        for (size_t i = 1; i < l.lines.size(); ++i) {
            if (l.lines[i].empty()) continue;
            ShapePath p;
            p.line = lineBase[l.table] + static_cast<int>(i) - 1;
            int32_t px = INT32_MIN, py = INT32_MIN;
            for (const Segment& s : l.lines[i]) {
                if (s.x0 != px || s.y0 != py) p.cmds.push_back({PathCmd::Op::Move, s.x0, s.y0, 0, 0});
                appendSegment(p.cmds, s);
                px = s.x1;
                py = s.y1;
            }
            shape.paths.push_back(std::move(p));
        }
    };

    Layer layer = newLayer(0);
    int fill0 = 0, fill1 = 0, line = 0;
    int32_t x = 0, y = 0;
    for (const ShapeRecord& rec : recs.records) {
        if (rec.kind == ShapeRecord::Kind::Style) {
            if (rec.newStyles >= 0 && rec.newStyles < static_cast<int>(recs.tables.size())) {
                finish(layer);
                layer = newLayer(rec.newStyles);
                fill0 = fill1 = line = 0;
            }
            if (rec.move) {
                x = rec.x;
                y = rec.y;
            }
            auto pick = [](int v, int cur, size_t count) {
                if (v < 0) return cur;
                return static_cast<size_t>(v) < count ? v : 0;
            };
            fill0 = pick(rec.fill0, fill0, layer.fills.size());
            fill1 = pick(rec.fill1, fill1, layer.fills.size());
            line = pick(rec.line, line, layer.lines.size());
            continue;
        }
        Segment s{x, y, rec.cx, rec.cy, rec.x, rec.y, rec.curve};
        if (fill1) layer.fills[fill1].push_back(s);
        if (fill0) layer.fills[fill0].push_back(s.reversed());
        if (line) layer.lines[line].push_back(s);
        x = rec.x;
        y = rec.y;
    }
    finish(layer);
    return shape;
}

Result<Shape> parseDefineShape(Reader& r, int shapeVersion) {
    Rect bounds = r.rect();
    bool nonZero = false;
    if (shapeVersion >= 4) {
        r.rect(); // edge bounds
        r.ub(5);
        nonZero = r.flag();
        r.ub(2);
        r.align();
    }
    auto recs = readShapeRecords(r, shapeVersion, true);
    if (auto* e = std::get_if<Error>(&recs)) return *e;
    return buildShape(std::get<ShapeRecords>(recs), bounds, nonZero);
}

} // namespace swf
