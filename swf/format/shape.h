// Vector shapes: fill and line styles, the edge records of a shape, and the
// drawable paths built from them.
#pragma once

#include "swf/format/reader.h"
#include "swf/format/types.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace swf {

enum class Spread : uint8_t { Pad, Reflect, Repeat };

struct GradientStop {
    uint8_t ratio = 0;
    Rgba color;
};

struct Gradient {
    Spread spread = Spread::Pad;
    bool linearRgb = false;
    double focal = 0; // -1..1, radial gradients only
    std::vector<GradientStop> stops;
};

struct FillStyle {
    enum class Kind : uint8_t { Solid, Linear, Radial, Focal, Bitmap };
    Kind kind = Kind::Solid;
    Rgba color;
    Matrix matrix; // gradient square or bitmap pixels to shape twips
    Gradient gradient;
    uint16_t bitmapId = 0;
    bool repeat = true;
    bool smooth = true;
};

enum class Cap : uint8_t { Round, None, Square };
enum class Join : uint8_t { Round, Bevel, Miter };

struct LineStyle {
    uint16_t width = 0; // twips; 0 is a hairline
    Rgba color;
    Cap startCap = Cap::Round, endCap = Cap::Round;
    Join join = Join::Round;
    double miterLimit = 3;
    bool noHScale = false, noVScale = false, noClose = false;
    std::optional<FillStyle> fill; // stroke painted with a fill style
};

// One drawing command in shape twips.
struct PathCmd {
    enum class Op : uint8_t { Move, Line, Curve };
    Op op;
    int32_t x, y;   // end point
    int32_t cx, cy; // control point of a curve
};

// A filled region (all contours of one fill style in one layer) or one stroke.
struct ShapePath {
    int fill = -1; // index into Shape::fills, or -1
    int line = -1; // index into Shape::lines, or -1
    std::vector<PathCmd> cmds;
    // A render backend's own form of the path, made on first draw.
    mutable std::shared_ptr<const void> backendCache;
};

struct Shape {
    Rect bounds;
    bool nonZero = false; // fill rule: non-zero instead of even-odd
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
    std::vector<ShapePath> paths; // in drawing order
};

// The record stream of a shape, kept for morphing.
struct ShapeRecord {
    enum class Kind : uint8_t { Style, Edge };
    Kind kind;
    // Style change: new selections (-1 keeps the current one), optional move.
    bool move = false;
    int32_t x = 0, y = 0;      // move target, or edge end point (absolute)
    int32_t cx = 0, cy = 0;    // curve control point (absolute)
    bool curve = false;
    int fill0 = -1, fill1 = -1, line = -1; // -1: unchanged
    int newStyles = -1;        // index into the style tables list, -1: none
};

struct StyleTable {
    std::vector<FillStyle> fills;
    std::vector<LineStyle> lines;
};

struct ShapeRecords {
    std::vector<StyleTable> tables; // tables[0] is the shape's initial styles
    std::vector<ShapeRecord> records;
};

// Shape tag version: 1..4 for DefineShape..DefineShape4 (decides colour and style forms).
FillStyle readFillStyle(Reader& r, int shapeVersion);
std::vector<FillStyle> readFillStyles(Reader& r, int shapeVersion);
std::vector<LineStyle> readLineStyles(Reader& r, int shapeVersion);
// The flag bytes (and miter limit) of a LINESTYLE2; returns whether a fill style follows.
bool readLineStyle2Flags(Reader& r, LineStyle& l);

// Reads SHAPE records (glyphs, morph edges: withStyles = false) or SHAPEWITHSTYLE.
Result<ShapeRecords> readShapeRecords(Reader& r, int shapeVersion, bool withStyles);

// Joins the edge runs into filled contours and strokes, in drawing order.
Shape buildShape(const ShapeRecords& recs, Rect bounds, bool nonZero);
// Alike, taking the style tables from the records rather than copying them.
Shape buildShape(ShapeRecords&& recs, Rect bounds, bool nonZero);

// DefineShape 1-4 tag body (including the character id, already read by the caller).
Result<Shape> parseDefineShape(Reader& r, int shapeVersion);

} // namespace swf
