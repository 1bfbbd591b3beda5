// Font and text definition tags: DefineFont 1-3, DefineFontInfo 1-2, DefineFontName,
// DefineText 1-2 and DefineEditText.
#pragma once

#include "swf/format/types.h"
#include "swf/writer/shape.h"
#include "swf/writer/tag.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace swf::writer {

struct FontGlyph {
    ShapeBuilder shape; // EM square: 1024 units (DefineFont/Font2) or 20480 (Font3)
    uint16_t code = 0;  // character code (UCS-2)
    int16_t advance = 0;
    std::optional<Rect> bounds; // layout bounds; computed from the outline when absent
};

struct KerningPair {
    uint16_t left = 0, right = 0;
    int16_t adjustment = 0;
};

struct FontLayout {
    int16_t ascent = 0, descent = 0, leading = 0;
    std::vector<KerningPair> kerning;
};

struct FontDesc {
    std::string name;
    std::vector<FontGlyph> glyphs; // in ascending code order
    std::optional<FontLayout> layout;
    bool bold = false, italic = false, smallText = false, shiftJis = false, ansi = false;
    bool wideCodes = true;    // UI16 codes (required from SWF 6)
    bool wideOffsets = false; // UI32 offsets; chosen anyway when UI16 would overflow
    uint8_t language = 0;
};

// Glyph outline: fill1(1) for the glyph fill; no line styles.
Tag defineFont(uint16_t id, const FontDesc& font);                      // glyph shapes only
Tag defineFontInfo(uint16_t id, const FontDesc& font, int version = 1); // 1 or 2
Tag defineFont2(uint16_t id, const FontDesc& font);
Tag defineFont3(uint16_t id, const FontDesc& font);
Tag defineFontName(uint16_t id, std::string_view name, std::string_view copyright);

struct GlyphEntry {
    uint32_t index = 0;
    int32_t advance = 0; // twips
};

struct TextRecord {
    std::optional<uint16_t> fontId;
    uint16_t height = 0; // written with the font
    std::optional<Rgba> color;
    std::optional<int16_t> x, y;
    std::vector<GlyphEntry> glyphs;
};

// DefineText (version 1, RGB colours) or DefineText2 (version 2, RGBA).
Tag defineText(uint16_t id, const Rect& bounds, const Matrix& matrix,
               const std::vector<TextRecord>& records, int version = 2);

// A record for a UTF-8 string set in `font` at `height` twips: glyph indices by code,
// advances from the layout table (or the glyph advances) scaled from `emSize` units.
// Characters the font lacks are skipped.
TextRecord layoutText(const FontDesc& font, uint16_t fontId, uint16_t height, Rgba color, int16_t x,
                      int16_t y, std::string_view utf8, int emSize = 1024);
// Sum of the record's advances.
int32_t textWidth(const TextRecord& record);

struct EditTextLayout {
    uint8_t align = 0; // 0 left, 1 right, 2 centre, 3 justify
    uint16_t leftMargin = 0, rightMargin = 0, indent = 0;
    int16_t leading = 0;
};

struct EditTextDesc {
    Rect bounds;
    std::optional<uint16_t> fontId;
    std::optional<std::string> fontClass;
    uint16_t fontHeight = 240;
    std::optional<Rgba> color;
    std::optional<uint16_t> maxLength;
    std::optional<EditTextLayout> layout;
    std::string variable;
    std::optional<std::string> text;
    bool wordWrap = false, multiline = false, password = false, readOnly = false;
    bool autoSize = false, noSelect = false, border = false, wasStatic = false;
    bool html = false, useOutlines = false;
};

Tag defineEditText(uint16_t id, const EditTextDesc& text);

} // namespace swf::writer
