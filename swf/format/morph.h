// Morph shapes: two shapes with matching edges, drawn at any ratio between them.
#pragma once

#include "swf/format/shape.h"

namespace swf {

struct MorphShape {
    Rect startBounds, endBounds;
    StyleTable startStyles, endStyles; // parallel lists: entry i morphs into entry i
    ShapeRecords startEdges;           // style selections come from the start edges
    std::vector<ShapeRecord> endEdges; // edges and moves only

    // The shape at ratio 0..65535.
    Shape at(uint16_t ratio) const;
};

// DefineMorphShape (version 1) and DefineMorphShape2 (version 2) body after the id.
Result<MorphShape> parseDefineMorphShape(Reader& r, int morphVersion);

} // namespace swf
