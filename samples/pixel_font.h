// A 5x7 block-pixel font built from squares, for the samples that embed a font.
#pragma once

#include "kit.h"

namespace samples {

// Glyphs for space, A-Z, 0-9 and a little punctuation, sorted by code. `em` is the EM
// square of the font tag (1024 for DefineFont/DefineFont2, 20480 for DefineFont3).
// Glyph cells are em/8 wide; seven rows sit on the baseline; advance is six cells.
FontDesc pixelFont(const std::string& name, int em);

} // namespace samples
