// Building vector shapes and morph shapes and encoding them as DefineShape 1-4 and
// DefineMorphShape 1-2 tags.
#pragma once

#include "swf/format/types.h"
#include "swf/writer/buffer.h"
#include "swf/writer/tag.h"

#include <optional>
#include <vector>

namespace swf::writer {

enum class Spread : uint8_t { Pad = 0, Reflect = 1, Repeat = 2 };
enum class Interpolation : uint8_t { Normal = 0, LinearRgb = 1 };

struct GradientStop {
    uint8_t ratio = 0;
    Rgba color;
};

struct Gradient {
    std::vector<GradientStop> stops; // at most 15 (8 before DefineShape4)
    Spread spread = Spread::Pad;
    Interpolation interpolation = Interpolation::Normal;
    double focalPoint = 0; // -1..1, written only by focal fills
};

struct FillStyle {
    enum class Type : uint8_t {
        Solid = 0x00,
        Linear = 0x10,
        Radial = 0x12,
        Focal = 0x13,
        RepeatingBitmap = 0x40,
        ClippedBitmap = 0x41,
        RepeatingBitmapHard = 0x42, // not smoothed
        ClippedBitmapHard = 0x43,   // not smoothed
    };
    Type type = Type::Solid;
    Rgba color;        // solid
    Matrix matrix;     // gradients: gradient square to shape; bitmaps: pixels to twips
    Gradient gradient; // gradients
    uint16_t bitmapId = 0;

    static FillStyle solid(Rgba c);
    static FillStyle linear(const Matrix& m, Gradient g);
    static FillStyle radial(const Matrix& m, Gradient g);
    static FillStyle focal(const Matrix& m, Gradient g);
    static FillStyle bitmap(uint16_t id, const Matrix& m, bool repeat = true, bool smooth = true);
};

// Matrix mapping the gradient square (-16384..16384 twips on both axes) onto the box
// (x, y, w, h) in twips, with the gradient direction turned by `radians` (0 runs left
// to right across the box, a quarter turn top to bottom).
Matrix gradientBox(double x, double y, double w, double h, double radians = 0);

enum class Cap : uint8_t { Round = 0, None = 1, Square = 2 };
enum class Join : uint8_t { Round = 0, Bevel = 1, Miter = 2 };

struct LineStyle {
    uint16_t width = 20; // twips
    Rgba color;
    // The fields below are written only in DefineShape4 / DefineMorphShape2 (LINESTYLE2).
    Cap startCap = Cap::Round;
    Cap endCap = Cap::Round;
    Join join = Join::Round;
    double miterLimit = 3.0; // written when join is Miter
    bool noHScale = false;
    bool noVScale = false;
    bool pixelHinting = false;
    bool noClose = false;
    std::optional<FillStyle> fill; // stroke painted with a fill instead of `color`

    static LineStyle solid(uint16_t width, Rgba color);
};

// Morph styles: start and end values of the same style. The end style must have the same
// type and number of gradient stops; flags and caps come from the start style.
struct MorphFill {
    FillStyle start, end;
};
struct MorphLine {
    LineStyle start, end;
};

// Collects styles and path operations. Coordinates are absolute, in twips (glyphs: EM
// units), rounded to whole units; the builder turns them into the deltas of the edge
// records and splits edges that are too long for one record.
class ShapeBuilder {
  public:
    struct StyleGroup {
        std::vector<FillStyle> fills;
        std::vector<LineStyle> lines;
    };
    struct Record {
        enum class Kind { Style, Line, Curve };
        Kind kind = Kind::Style;
        // Style change: fields present when set.
        std::optional<std::pair<int32_t, int32_t>> moveTo;
        std::optional<uint32_t> fill0, fill1, line;
        int newStyles = -1; // index into groups(), or -1
        // Edges: control delta (curves) and anchor delta (lines: the delta).
        int32_t cdx = 0, cdy = 0, dx = 0, dy = 0;
    };

    // Adds a style to the current style group; returns its 1-based index.
    int addFill(FillStyle f);
    int addLine(LineStyle l);
    // Starts a new style group (a NewStyles record); later addFill/addLine fill it and
    // the current selections reset to none.
    ShapeBuilder& newStyles();

    // Style selections and moves are collected into one style change record, written
    // before the next edge (or at the end).
    ShapeBuilder& fill0(uint32_t index);
    ShapeBuilder& fill1(uint32_t index);
    ShapeBuilder& line(uint32_t index);
    ShapeBuilder& moveTo(double x, double y);
    ShapeBuilder& lineTo(double x, double y);
    ShapeBuilder& curveTo(double cx, double cy, double x, double y);

    // Closed outlines: moveTo the start, edges, back to the start.
    ShapeBuilder& rect(double x, double y, double w, double h);
    ShapeBuilder& roundRect(double x, double y, double w, double h, double r);
    ShapeBuilder& ellipse(double cx, double cy, double rx, double ry);
    ShapeBuilder& polygon(const std::vector<std::pair<double, double>>& points);

    // DefineShape4: non-zero winding instead of even-odd.
    ShapeBuilder& setNonZeroWinding(bool on = true);
    // Bounds written instead of the computed ones (for odd fixtures).
    ShapeBuilder& setBounds(const Rect& shapeBounds, const Rect& edgeBounds);

    // Geometry bounds of all edges, and the same grown by half the widest line.
    Rect edgeBounds() const;
    Rect shapeBounds() const;
    uint16_t maxLineWidth() const;

    const std::vector<StyleGroup>& groups() const { return groups_; }
    // All records, with the pending style change (if any) at the end.
    std::vector<Record> records() const;
    bool nonZeroWinding() const { return nonZero_; }
    int32_t penX() const { return penX_; }
    int32_t penY() const { return penY_; }

  private:
    Record& pending();
    void flushPending();
    void addLineEdge(int32_t x, int32_t y);
    void addCurveEdge(int32_t cx, int32_t cy, int32_t x, int32_t y, int depth);
    void include(double x, double y);

    std::vector<StyleGroup> groups_{1};
    std::vector<Record> records_;
    std::optional<Record> pending_;
    int32_t penX_ = 0, penY_ = 0;
    bool hasGeometry_ = false;
    double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
    bool nonZero_ = false;
    std::optional<std::pair<Rect, Rect>> boundsOverride_;
};

// Start and end outlines of a morph plus its morph styles. Draw the start with style
// selections and moves; draw the end with the same edges in the same order (moves only).
class MorphShapeBuilder {
  public:
    int addFill(MorphFill f);
    int addLine(MorphLine l);
    ShapeBuilder& start() { return start_; }
    ShapeBuilder& end() { return end_; }
    const ShapeBuilder& start() const { return start_; }
    const ShapeBuilder& end() const { return end_; }
    const std::vector<MorphFill>& fills() const { return fills_; }
    const std::vector<MorphLine>& lines() const { return lines_; }

  private:
    ShapeBuilder start_, end_;
    std::vector<MorphFill> fills_;
    std::vector<MorphLine> lines_;
};

// DefineShape (version 1), DefineShape2, DefineShape3 or DefineShape4.
Tag defineShape(uint16_t id, const ShapeBuilder& shape, int version = 3);
// DefineMorphShape (version 1) or DefineMorphShape2.
Tag defineMorphShape(uint16_t id, const MorphShapeBuilder& morph, int version = 1);

// A SHAPE (glyphs, morph edges): bit widths, records, end record; no style arrays.
void encodeShape(Buffer& out, const ShapeBuilder& shape, int fillBits, int lineBits);
// FILLSTYLE / LINESTYLE(2) as they appear in the shape tag of the given version.
void encodeFillStyle(Buffer& out, const FillStyle& f, int version);
void encodeLineStyle(Buffer& out, const LineStyle& l, int version);

} // namespace swf::writer
