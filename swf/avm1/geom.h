// The flash.* packages' shared pieces: the package objects, accessor properties,
// and the conversions between script objects of flash.geom and plain numbers.
#pragma once

#include "swf/avm1/machine.h"

#include <array>

namespace swf::avm1 {

// A 2D affine transform as flash.geom.Matrix holds it (pixels, not twips).
struct Matrix2D {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
};

// A colour transform as flash.geom.ColorTransform holds it: the red, green, blue
// and alpha multipliers, then the four offsets.
struct ColorNumbers {
    std::array<double, 8> v{1, 1, 1, 1, 0, 0, 0, 0};
};

// `flash.NAME`, made on first use.
Object* package(Machine& m, const char* name);
// A class of flash.geom as scripts see it now (null when a script removed it).
Object* geomClass(Machine& m, const char* name);
// A property read and written through native functions; `set` null makes it read-only.
void addAccessor(Machine& m, Object* o, const char* name, NativeFn get, NativeFn set, uint8_t flags = kDontEnum);

Matrix2D matrixOf(Machine& m, const Value& v);
void setMatrix(Machine& m, const Value& v, const Matrix2D& t);
Object* makeMatrix(Machine& m, const Matrix2D& t);
Object* makeColorTransform(Machine& m, const ColorNumbers& c);
// The numbers of a ColorTransform object; false for anything else.
bool colorNumbersOf(const Value& v, ColorNumbers& out);

} // namespace swf::avm1
