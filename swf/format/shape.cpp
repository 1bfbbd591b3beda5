#include "swf/format/shape.h"

#include "swf/format/limits.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <span>
#include <type_traits>

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
    v.reserve(std::min(n, r.remaining() / 4)); // the smallest style takes four bytes
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

namespace {

// Reads into out (emptied first; its memory is reused).
std::optional<Error> readRecordsInto(Reader& r, int shapeVersion, bool withStyles, ShapeRecords& out) {
    out.tables.clear();
    out.records.clear();
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
    return std::nullopt;
}

} // namespace

Result<ShapeRecords> readShapeRecords(Reader& r, int shapeVersion, bool withStyles) {
    ShapeRecords out;
    if (auto e = readRecordsInto(r, shapeVersion, withStyles, out)) return *e;
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

// Links directed segments head to tail into contours. At a point where several
// unused segments start, the one given last is taken. The buffers are kept from one
// call to the next.
class ContourJoiner {
public:
    std::vector<PathCmd> join(std::span<const Segment> segs) {
        const size_t n = segs.size();
        // Segment starts by point, and among equal points the later segment first.
        starts_.resize(n);
        for (size_t i = 0; i < n; ++i) starts_[i] = {pointKey(segs[i].x0, segs[i].y0), static_cast<uint32_t>(i)};
        std::sort(starts_.begin(), starts_.end(), [](const Start& a, const Start& b) {
            return a.key != b.key ? a.key < b.key : a.index > b.index;
        });
        used_.assign(n, 0);
        // Per run of equal points, from its first entry: where its unused entries may begin.
        cursor_.resize(n);
        for (size_t i = 0; i < n; ++i) cursor_[i] = static_cast<uint32_t>(i);

        std::vector<PathCmd> cmds;
        cmds.reserve(n + 8);
        for (size_t first = 0; first < n; ++first) {
            if (used_[first]) continue;
            const Segment& s0 = segs[first];
            cmds.push_back({PathCmd::Op::Move, s0.x0, s0.y0, 0, 0});
            size_t cur = first;
            while (true) {
                used_[cur] = 1;
                appendSegment(cmds, segs[cur]);
                const int32_t ex = segs[cur].x1, ey = segs[cur].y1;
                if (ex == s0.x0 && ey == s0.y0) break;
                const size_t next = nextFrom(pointKey(ex, ey));
                if (next == SIZE_MAX) break;
                cur = next;
            }
        }
        return cmds;
    }

private:
    struct Start {
        uint64_t key;
        uint32_t index;
    };

    // The first unused segment starting at the point, or SIZE_MAX. Entries before a
    // run's cursor are all used, so each is passed over once.
    size_t nextFrom(uint64_t key) {
        const auto run = std::lower_bound(starts_.begin(), starts_.end(), key,
                                          [](const Start& a, uint64_t k) { return a.key < k; });
        if (run == starts_.end() || run->key != key) return SIZE_MAX;
        const size_t head = static_cast<size_t>(run - starts_.begin());
        size_t c = cursor_[head];
        while (c < starts_.size() && starts_[c].key == key && used_[starts_[c].index]) ++c;
        cursor_[head] = static_cast<uint32_t>(c);
        return c < starts_.size() && starts_[c].key == key ? starts_[c].index : SIZE_MAX;
    }

    std::vector<Start> starts_;
    std::vector<uint8_t> used_;
    std::vector<uint32_t> cursor_;
};

// The edges of one layer (between style table changes), each with the style it
// belongs to (1-based within the layer's table) and as a record index times two,
// plus one where the edge runs backwards (for the fill on its left).
struct Layer {
    int table = 0;
    size_t fillCount = 0, lineCount = 0;
    std::vector<std::pair<uint32_t, uint32_t>> fills, lines;
};

// The edges grouped by style, in style order, each style's in the order given:
// calls take(style, edges) for every style that has any.
template <typename Take>
void byStyle(const std::vector<std::pair<uint32_t, uint32_t>>& edges, size_t styles, std::vector<uint32_t>& starts,
             std::vector<uint32_t>& sorted, Take take) {
    if (edges.empty()) return;
    starts.assign(styles + 2, 0);
    for (const auto& e : edges) ++starts[e.first + 1];
    for (size_t i = 1; i < starts.size(); ++i) starts[i] += starts[i - 1];
    sorted.resize(edges.size());
    for (const auto& e : edges) sorted[starts[e.first]++] = e.second;
    // starts[i] is now where style i + 1 begins.
    size_t begin = 0;
    for (size_t style = 1; style <= styles; ++style) {
        const size_t end = starts[style];
        if (end > begin) take(style, std::span<const uint32_t>(sorted.data() + begin, end - begin));
        begin = end;
    }
}

// Records, and lists as long, kept for the next shape (some 10 MB).
constexpr size_t kKeptRecords = size_t(1) << 18;

// Builds the paths of a shape whose style lists are already in place: fillBase and
// lineBase give where each table's styles begin in them (and end, at the last entry).
Shape buildPaths(const ShapeRecords& recs, Shape shape, const std::vector<int>& fillBase,
                 const std::vector<int>& lineBase) {

    // Where each edge starts: the pen before its record. (Edges are kept as record
    // indices: a picture of thousands of styles gathers hundreds of thousands of them.)
    // The working lists serve the next shape too.
    struct Lists {
        std::vector<std::pair<int32_t, int32_t>> from;
        std::vector<Segment> group;
        std::vector<uint32_t> starts, sorted;
        Layer layer;
        ContourJoiner joiner;
    };
    thread_local Lists lists;
    auto& from = lists.from;
    auto& group = lists.group;
    auto& starts = lists.starts;
    auto& sorted = lists.sorted;
    auto& layer = lists.layer;
    auto& joiner = lists.joiner;
    from.resize(recs.records.size());
    {
        int32_t x = 0, y = 0;
        for (size_t i = 0; i < recs.records.size(); ++i) {
            const ShapeRecord& rec = recs.records[i];
            from[i] = {x, y};
            if (rec.kind == ShapeRecord::Kind::Edge || rec.move) {
                x = rec.x;
                y = rec.y;
            }
        }
    }
    auto segmentsOf = [&](std::span<const uint32_t> edges) {
        group.clear();
        for (uint32_t e : edges) {
            const ShapeRecord& rec = recs.records[e >> 1];
            const Segment s{from[e >> 1].first, from[e >> 1].second, rec.cx, rec.cy, rec.x, rec.y, rec.curve};
            group.push_back(e & 1 ? s.reversed() : s);
        }
        return std::span<const Segment>(group);
    };

    auto finish = [&](Layer& l) {
        byStyle(l.fills, l.fillCount, starts, sorted, [&](size_t style, std::span<const uint32_t> edges) {
            ShapePath p;
            p.fill = fillBase[l.table] + static_cast<int>(style) - 1;
            p.cmds = joiner.join(segmentsOf(edges));
            shape.paths.push_back(std::move(p));
        });
        byStyle(l.lines, l.lineCount, starts, sorted, [&](size_t style, std::span<const uint32_t> edges) {
            ShapePath p;
            p.line = lineBase[l.table] + static_cast<int>(style) - 1;
            p.cmds.reserve(edges.size() + 8);
            int32_t px = INT32_MIN, py = INT32_MIN;
            for (const Segment& s : segmentsOf(edges)) {
                if (s.x0 != px || s.y0 != py) p.cmds.push_back({PathCmd::Op::Move, s.x0, s.y0, 0, 0});
                appendSegment(p.cmds, s);
                px = s.x1;
                py = s.y1;
            }
            shape.paths.push_back(std::move(p));
        });
    };

    auto startLayer = [&](int table) {
        layer.table = table;
        const auto t = static_cast<size_t>(table);
        layer.fillCount = static_cast<size_t>(fillBase[t + 1] - fillBase[t]);
        layer.lineCount = static_cast<size_t>(lineBase[t + 1] - lineBase[t]);
        layer.fills.clear();
        layer.lines.clear();
    };
    startLayer(0);
    int fill0 = 0, fill1 = 0, line = 0;
    for (size_t i = 0; i < recs.records.size(); ++i) {
        const ShapeRecord& rec = recs.records[i];
        if (rec.kind == ShapeRecord::Kind::Style) {
            if (rec.newStyles >= 0 && rec.newStyles < static_cast<int>(recs.tables.size())) {
                finish(layer);
                startLayer(rec.newStyles);
                fill0 = fill1 = line = 0;
            }
            auto pick = [](int v, int cur, size_t count) {
                if (v < 0) return cur;
                return static_cast<size_t>(v) <= count ? v : 0;
            };
            fill0 = pick(rec.fill0, fill0, layer.fillCount);
            fill1 = pick(rec.fill1, fill1, layer.fillCount);
            line = pick(rec.line, line, layer.lineCount);
            continue;
        }
        const uint32_t edge = static_cast<uint32_t>(i) << 1;
        if (fill1) layer.fills.emplace_back(static_cast<uint32_t>(fill1), edge);
        if (fill0) layer.fills.emplace_back(static_cast<uint32_t>(fill0), edge | 1);
        if (line) layer.lines.emplace_back(static_cast<uint32_t>(line), edge);
    }
    finish(layer);
    if (from.capacity() > kKeptRecords) lists = {};
    return shape;
}

// The shape's flat style lists, from every table's styles copied or moved (from).
template <typename Tables>
Shape withStyles(const ShapeRecords& recs, Tables& from, Rect bounds, bool nonZero) {
    Shape shape;
    shape.bounds = bounds;
    shape.nonZero = nonZero;
    std::vector<int> fillBase, lineBase;
    for (auto& t : from) {
        fillBase.push_back(static_cast<int>(shape.fills.size()));
        lineBase.push_back(static_cast<int>(shape.lines.size()));
        if constexpr (std::is_const_v<Tables>) {
            shape.fills.insert(shape.fills.end(), t.fills.begin(), t.fills.end());
            shape.lines.insert(shape.lines.end(), t.lines.begin(), t.lines.end());
        } else if (shape.fills.empty() && shape.lines.empty()) {
            shape.fills = std::move(t.fills);
            shape.lines = std::move(t.lines);
        } else {
            shape.fills.insert(shape.fills.end(), std::make_move_iterator(t.fills.begin()),
                               std::make_move_iterator(t.fills.end()));
            shape.lines.insert(shape.lines.end(), std::make_move_iterator(t.lines.begin()),
                               std::make_move_iterator(t.lines.end()));
        }
    }
    fillBase.push_back(static_cast<int>(shape.fills.size()));
    lineBase.push_back(static_cast<int>(shape.lines.size()));
    return buildPaths(recs, std::move(shape), fillBase, lineBase);
}

} // namespace

Shape buildShape(const ShapeRecords& recs, Rect bounds, bool nonZero) {
    return withStyles(recs, recs.tables, bounds, nonZero);
}

Shape buildShape(ShapeRecords&& recs, Rect bounds, bool nonZero) {
    return withStyles(recs, recs.tables, bounds, nonZero);
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
    // The records are only a step on the way: their memory (megabytes for a traced
    // picture) serves the next shape rather than being taken fresh from the system.
    thread_local ShapeRecords recs;
    if (auto e = readRecordsInto(r, shapeVersion, true, recs)) return *e;
    Shape shape = buildShape(std::move(recs), bounds, nonZero);
    if (recs.records.capacity() > kKeptRecords) recs.records = {};
    return shape;
}

} // namespace swf
