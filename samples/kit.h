// Small helpers shared by the sample movie generators: colours, transforms, common
// shapes and a deterministic random source (the samples come out the same every build).
#pragma once

#include "swf/writer/writer.h"

#include <cstdint>
#include <initializer_list>
#include <numbers>
#include <utility>
#include <vector>

namespace samples {

using namespace swf::writer;
using swf::ColorTransform;
using swf::Matrix;
using swf::Rect;
using swf::Rgba;

inline constexpr double kWidth = 11000; // 550 px stage, in twips
inline constexpr double kHeight = 8000; // 400 px
inline constexpr double kPi = std::numbers::pi;
using Points = std::vector<std::pair<double, double>>;

// A 550 x 400 movie with its background colour.
MovieWriter newMovie(uint8_t version, double fps, Rgba background);
// Adds a DefineShape of the given version and returns its id.
uint16_t defineShapeIn(MovieWriter& m, const ShapeBuilder& s, int version = 3);
uint16_t defineSpriteIn(MovieWriter& m, const TimelineWriter& t);

Rgba hsv(double hue, double sat, double val, uint8_t alpha = 255); // hue in turns
Rgba mix(Rgba a, Rgba b, double t);
Gradient gradient(std::initializer_list<std::pair<uint8_t, Rgba>> stops,
                  Spread spread = Spread::Pad);

// Scale, then rotate (radians), then translate (twips).
Matrix transform(double x, double y, double scale = 1, double angle = 0);
Matrix transform(double x, double y, double sx, double sy, double angle);
ColorTransform fade(double alpha);
// Multiplies colour by `gain` and adds `add` (0..255 per channel).
ColorTransform tint(double gain, Rgba add, double alpha = 1);

// Filled shapes centred on the origin.
ShapeBuilder filledCircle(double r, const FillStyle& fill);
ShapeBuilder filledPolygon(const Points& points, const FillStyle& fill);
ShapeBuilder stageRect(const FillStyle& fill);
Points starPoints(double outer, double inner, int tips, double turn = 0);
Points regularPolygon(double r, int sides, double turn = 0);

// Smooth 0..1..0 over one period, and 0..1 smoothstep.
double pulse(double t);
double smooth(double t);

class Random {
  public:
    explicit Random(uint32_t seed) : state_(seed) {}
    double next(); // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * next(); }

  private:
    uint32_t state_;
};

} // namespace samples
