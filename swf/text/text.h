// Fonts, static text and edit text fields.
#pragma once

#include "swf/format/shape.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace swf {

struct Glyph {
    std::vector<PathCmd> outline; // in EM units of the font
    uint16_t code = 0;
    int16_t advance = 0; // EM units, when the font has layout
    mutable std::shared_ptr<const void> backendCache; // see ShapePath
};

struct Font {
    std::string name;
    bool bold = false, italic = false;
    bool hasLayout = false;
    double emSize = 1024; // 20480 for DefineFont3
    int16_t ascent = 0, descent = 0, leading = 0;
    std::vector<Glyph> glyphs;

    // Glyph index of a character code, or -1.
    int glyphFor(uint16_t code) const;
};

struct TextGlyph {
    uint32_t index = 0;
    int32_t advance = 0; // twips
};

struct TextRun {
    uint16_t fontId = 0;
    Rgba color;
    int32_t x = 0, y = 0; // pen start, twips
    uint16_t height = 0;  // EM height, twips
    std::vector<TextGlyph> glyphs;
};

struct StaticText {
    Rect bounds;
    Matrix matrix;
    std::vector<TextRun> runs;
};

// The settings of a paragraph. Every run of a paragraph carries the same ones.
struct ParagraphStyle {
    uint8_t align = 0; // 0 left, 1 right, 2 centre, 3 justify
    uint16_t leftMargin = 0, rightMargin = 0, indent = 0; // twips
    int16_t leading = 0;                                 // twips
    int32_t blockIndent = 0;                             // twips
    bool bullet = false;
    std::vector<double> tabStops; // pixels
    bool operator==(const ParagraphStyle&) const = default;
};

// A run of field text in one style. Unset fields take the field's own settings.
struct TextSpan {
    std::string text; // UTF-8; "\n" breaks the line
    bool bold = false, italic = false, underline = false;
    std::optional<Rgba> color;
    std::optional<uint16_t> height; // twips
    std::string face;               // empty: the field's font
    std::string url, target;        // a link the run makes
    bool kerning = false;
    double letterSpacing = 0; // pixels
    ParagraphStyle para;

    // Everything but the text matches.
    bool sameStyle(const TextSpan& o) const {
        return bold == o.bold && italic == o.italic && underline == o.underline && color == o.color &&
               height == o.height && face == o.face && url == o.url && target == o.target &&
               kerning == o.kerning && letterSpacing == o.letterSpacing && para == o.para;
    }
};

// A text format as scripts read and write it: each setting may be absent (not
// given, or differing over the characters the format was read from).
struct TextFormat {
    std::optional<std::string> font, url, target;
    std::optional<double> size; // pixels
    std::optional<uint32_t> color;
    std::optional<bool> bold, italic, underline, bullet, kerning;
    std::optional<uint8_t> align; // as EditText::align
    std::optional<double> leftMargin, rightMargin, indent, leading, blockIndent, letterSpacing;
    std::optional<std::vector<double>> tabStops;
    std::string display = "block"; // "block", "inline" or "none"
};

struct EditText {
    Rect bounds;
    bool wordWrap = false, multiline = false, password = false, readOnly = false;
    bool border = false, html = false, useOutlines = false, autoSize = false;
    uint16_t fontId = 0;
    std::string fontClass;
    uint16_t height = 240; // twips
    Rgba color{0, 0, 0, 255};
    // The layout the tag gives; the paragraphs of the text carry their own, which
    // start from it.
    uint8_t align = 0; // 0 left, 1 right, 2 centre, 3 justify
    uint16_t leftMargin = 0, rightMargin = 0, indent = 0;
    int16_t leading = 0;
    TextSpan format; // the style text set by scripts takes (its text unused)
    std::string variableName;
    std::string text; // plain text: HTML markup is reduced to line breaks
    std::vector<TextSpan> spans; // the text in its styles (one span for plain fields)

    // Settings a script reads and writes back.
    bool background = false, selectable = true, condenseWhite = false, mouseWheelEnabled = true;
    Rgba borderColor{0, 0, 0, 255}, backgroundColor{255, 255, 255, 255};
    uint8_t autoSizeMode = 0; // 0 none, 1 left, 2 right, 3 center
    uint16_t maxChars = 0;    // 0: no limit
    bool advancedAntiAlias = false;
    uint8_t gridFit = 1; // 0 none, 1 pixel, 2 subpixel
    double thickness = 0, sharpness = 0;
    int32_t scroll = 1, hscroll = 0;
    // The selection, in UTF-16 units of the text.
    int32_t selectionBegin = 0, selectionEnd = 0;

    // The settings of the first paragraph, which lay out the whole field.
    const ParagraphStyle& paragraph() const { return spans.empty() ? format.para : spans.front().para; }
};

// A field's text laid out in lines with the glyphs of embedded fonts. Lengths in
// twips, x from the left of the text area (inside the gutter and margins).
struct LaidGlyph {
    const Glyph* glyph = nullptr;
    double scale = 1; // twips per EM unit
    size_t span = 0;  // the run it comes from
    double x = 0;
};

struct LaidLine {
    std::vector<LaidGlyph> glyphs;
    double width = 0;                 // to the end of the last glyph that is not a space
    double ascent = 0, descent = 0;   // the largest of its fonts'
    double leading = 0;               // the paragraph's
    double height() const { return ascent + descent + leading; }
};

struct TextLayout {
    std::vector<LaidLine> lines; // at least one
    double width = 0;            // the widest line
    double height = 0;           // all lines, each with its leading
};

// The font a run's glyphs come from: the field's own, or another embedded face.
using FontPicker = std::function<const Font*(const TextSpan&)>;

// The two-pixel strip inside a field's bounds that text keeps clear of.
inline constexpr double kTextGutter = 40;

// Lays out a field's text in `font` (and the fonts `pick` gives its runs),
// breaking lines at line breaks and, when the field wraps words, between words.
TextLayout layoutText(const EditText& e, const Font& font, const FontPicker& pick);

// DefineFont (1), DefineFont2 (2), DefineFont3 (3): the body after the font id.
Result<Font> parseDefineFont(Reader& r, int fontVersion, int swfVersion);
// DefineFontInfo/DefineFontInfo2 body after the font id: names the font and its codes.
void applyFontInfo(Reader& r, Font& font, bool info2);
// DefineText (1) / DefineText2 (2): the body after the character id.
Result<StaticText> parseDefineText(Reader& r, int textVersion);
// DefineEditText: the body after the character id.
Result<EditText> parseDefineEditText(Reader& r, int swfVersion);

// A field's own font gives its plain text, and text scripts set later, the
// font's weight and slant.
void takeFontStyle(EditText& e, const Font& font);

// Reads the small HTML subset of text fields (p align, br, li, b, i, u, font
// face/size/color/kerning/letterspacing, textformat, entities) into styled spans
// starting from the style `base`; other tags are ignored. Line breaks in the
// markup break lines; in a multiline field so does the end of a p or li. Each paragraph's runs
// carry the settings its first run was given.
std::vector<TextSpan> htmlToSpans(const std::string& html, const TextSpan& base = {}, bool multiline = true);

// Splits runs at line breaks so that no run reaches over two paragraphs, and
// gives every run of a paragraph the settings of its first run.
void unifyParagraphs(std::vector<TextSpan>& spans);

} // namespace swf
