#include "swf/writer/text.h"

#include "swf/writer/buffer.h"

#include <cmath>
#include <stdexcept>

namespace swf::writer {

namespace {

std::vector<uint8_t> glyphBytes(const FontGlyph& g) {
    Buffer b;
    encodeShape(b, g.shape, 1, 0);
    return b.take();
}

void fontName(Buffer& out, std::string_view name) {
    if (name.size() > 255) throw std::invalid_argument("font name longer than 255 bytes");
    out.u8(static_cast<uint8_t>(name.size()));
    out.bytes({reinterpret_cast<const uint8_t*>(name.data()), name.size()});
}

void code(Buffer& out, uint16_t c, bool wide) {
    if (wide) {
        out.u16(c);
    } else {
        if (c > 0xFF) throw std::invalid_argument("character code needs wide codes");
        out.u8(static_cast<uint8_t>(c));
    }
}

Tag font23(uint16_t tagCode, uint16_t id, const FontDesc& font) {
    std::vector<std::vector<uint8_t>> shapes;
    size_t shapeBytes = 0;
    for (const FontGlyph& g : font.glyphs) {
        shapes.push_back(glyphBytes(g));
        shapeBytes += shapes.back().size();
    }
    size_t n = font.glyphs.size();
    if (n > 0xFFFF) throw std::invalid_argument("too many glyphs");
    bool wideOffsets = font.wideOffsets || (n + 1) * 2 + shapeBytes > 0xFFFF;
    bool wideCodes = font.wideCodes || tagCode == tagcode::DefineFont3;

    Buffer b;
    b.u16(id);
    b.flag(font.layout.has_value())
        .flag(font.shiftJis)
        .flag(font.smallText)
        .flag(font.ansi)
        .flag(wideOffsets)
        .flag(wideCodes)
        .flag(font.italic)
        .flag(font.bold);
    b.u8(font.language);
    fontName(b, font.name);
    b.u16(static_cast<uint16_t>(n));
    if (n > 0) {
        size_t entry = wideOffsets ? 4 : 2;
        size_t offset = (n + 1) * entry;
        auto put = [&](size_t v) {
            wideOffsets ? b.u32(static_cast<uint32_t>(v)) : b.u16(static_cast<uint16_t>(v));
        };
        for (const auto& s : shapes) {
            put(offset);
            offset += s.size();
        }
        put(offset); // code table
        for (const auto& s : shapes)
            b.bytes(s);
        for (const FontGlyph& g : font.glyphs)
            code(b, g.code, wideCodes);
    }
    if (font.layout) {
        b.i16(font.layout->ascent).i16(font.layout->descent).i16(font.layout->leading);
        for (const FontGlyph& g : font.glyphs)
            b.i16(g.advance);
        for (const FontGlyph& g : font.glyphs)
            b.rect(g.bounds.value_or(g.shape.edgeBounds()));
        b.u16(static_cast<uint16_t>(font.layout->kerning.size()));
        for (const KerningPair& k : font.layout->kerning) {
            code(b, k.left, wideCodes);
            code(b, k.right, wideCodes);
            b.i16(k.adjustment);
        }
    }
    return {tagCode, b.take()};
}

// Next code point of UTF-8 text; malformed bytes come out as U+FFFD.
uint32_t nextCodePoint(std::string_view s, size_t& i) {
    auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    uint8_t c = byte(i++);
    if (c < 0x80) return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0) return 0xFFFD;
    uint32_t cp = c & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || (byte(i) & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (byte(i++) & 0x3F);
    }
    return cp;
}

} // namespace

Tag defineFont(uint16_t id, const FontDesc& font) {
    Buffer b;
    b.u16(id);
    size_t offset = font.glyphs.size() * 2;
    std::vector<std::vector<uint8_t>> shapes;
    for (const FontGlyph& g : font.glyphs) {
        shapes.push_back(glyphBytes(g));
        if (offset > 0xFFFF) throw std::invalid_argument("font too large for DefineFont");
        b.u16(static_cast<uint16_t>(offset));
        offset += shapes.back().size();
    }
    for (const auto& s : shapes)
        b.bytes(s);
    return {tagcode::DefineFont, b.take()};
}

Tag defineFontInfo(uint16_t id, const FontDesc& font, int version) {
    if (version != 1 && version != 2) throw std::invalid_argument("font info version is 1 or 2");
    Buffer b;
    b.u16(id);
    fontName(b, font.name);
    b.ub(0, 2)
        .flag(font.smallText)
        .flag(font.shiftJis)
        .flag(font.ansi)
        .flag(font.italic)
        .flag(font.bold)
        .flag(font.wideCodes);
    if (version == 2) b.u8(font.language);
    for (const FontGlyph& g : font.glyphs)
        code(b, g.code, font.wideCodes);
    return {version == 1 ? tagcode::DefineFontInfo : tagcode::DefineFontInfo2, b.take()};
}

Tag defineFont2(uint16_t id, const FontDesc& font) {
    return font23(tagcode::DefineFont2, id, font);
}

Tag defineFont3(uint16_t id, const FontDesc& font) {
    return font23(tagcode::DefineFont3, id, font);
}

Tag defineFontName(uint16_t id, std::string_view name, std::string_view copyright) {
    return {tagcode::DefineFontName, Buffer().u16(id).string(name).string(copyright).take()};
}

Tag defineText(uint16_t id, const Rect& bounds, const Matrix& matrix,
               const std::vector<TextRecord>& records, int version) {
    if (version != 1 && version != 2) throw std::invalid_argument("text version is 1 or 2");
    int glyphBits = 0, advanceBits = 0;
    for (const TextRecord& r : records) {
        for (const GlyphEntry& g : r.glyphs) {
            glyphBits = std::max(glyphBits, unsignedBits(g.index));
            advanceBits = std::max(advanceBits, signedBits(g.advance));
        }
    }
    Buffer b;
    b.u16(id).rect(bounds).matrix(matrix);
    b.u8(static_cast<uint8_t>(glyphBits)).u8(static_cast<uint8_t>(advanceBits));
    for (const TextRecord& r : records) {
        if (r.glyphs.size() > 255) throw std::invalid_argument("more than 255 glyphs in a record");
        b.ub(1, 1).ub(0, 3).flag(r.fontId.has_value()).flag(r.color.has_value());
        b.flag(r.y.has_value()).flag(r.x.has_value());
        if (r.fontId) b.u16(*r.fontId);
        if (r.color) version == 2 ? b.rgba(*r.color) : b.rgb(*r.color);
        if (r.x) b.i16(*r.x);
        if (r.y) b.i16(*r.y);
        if (r.fontId) b.u16(r.height);
        b.u8(static_cast<uint8_t>(r.glyphs.size()));
        for (const GlyphEntry& g : r.glyphs)
            b.ub(g.index, glyphBits).sb(g.advance, advanceBits);
        b.align();
    }
    b.u8(0);
    return {version == 1 ? tagcode::DefineText : tagcode::DefineText2, b.take()};
}

TextRecord layoutText(const FontDesc& font, uint16_t fontId, uint16_t height, Rgba color, int16_t x,
                      int16_t y, std::string_view utf8, int emSize) {
    TextRecord r;
    r.fontId = fontId;
    r.height = height;
    r.color = color;
    r.x = x;
    r.y = y;
    for (size_t i = 0; i < utf8.size();) {
        uint32_t cp = nextCodePoint(utf8, i);
        for (size_t g = 0; g < font.glyphs.size(); ++g) {
            if (font.glyphs[g].code != cp) continue;
            double advance = double(font.glyphs[g].advance) * height / emSize;
            r.glyphs.push_back(
                {static_cast<uint32_t>(g), static_cast<int32_t>(std::lround(advance))});
            break;
        }
    }
    return r;
}

int32_t textWidth(const TextRecord& record) {
    int32_t w = 0;
    for (const GlyphEntry& g : record.glyphs)
        w += g.advance;
    return w;
}

Tag defineEditText(uint16_t id, const EditTextDesc& t) {
    Buffer b;
    b.u16(id).rect(t.bounds);
    b.flag(t.text.has_value())
        .flag(t.wordWrap)
        .flag(t.multiline)
        .flag(t.password)
        .flag(t.readOnly)
        .flag(t.color.has_value())
        .flag(t.maxLength.has_value())
        .flag(t.fontId.has_value());
    b.flag(t.fontClass.has_value())
        .flag(t.autoSize)
        .flag(t.layout.has_value())
        .flag(t.noSelect)
        .flag(t.border)
        .flag(t.wasStatic)
        .flag(t.html)
        .flag(t.useOutlines);
    if (t.fontId) b.u16(*t.fontId);
    if (t.fontClass) b.string(*t.fontClass);
    if (t.fontId || t.fontClass) b.u16(t.fontHeight);
    if (t.color) b.rgba(*t.color);
    if (t.maxLength) b.u16(*t.maxLength);
    if (t.layout) {
        b.u8(t.layout->align).u16(t.layout->leftMargin).u16(t.layout->rightMargin);
        b.u16(t.layout->indent).i16(t.layout->leading);
    }
    b.string(t.variable);
    if (t.text) b.string(*t.text);
    return {tagcode::DefineEditText, b.take()};
}

} // namespace swf::writer
