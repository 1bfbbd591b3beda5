// Writes SWF movies: the header, compression and the root timeline. Including this
// header brings in every tag builder (shapes, bitmaps, text, buttons, sound, actions).
//
//   swf::writer::MovieWriter movie(10, {0, 11000, 0, 8000}, 24, Rgba{255, 255, 255});
//   swf::writer::ShapeBuilder s;
//   s.fill1(s.addFill(FillStyle::solid({200, 40, 40}))).rect(0, 0, 2000, 1000);
//   uint16_t id = movie.newId();
//   movie.add(defineShape(id, s, 3)).place(1, id).showFrame();
//   auto bytes = movie.bytes(Compression::Zlib);
#pragma once

#include "swf/format/types.h"
#include "swf/writer/actions.h"
#include "swf/writer/bitmap.h"
#include "swf/writer/buffer.h"
#include "swf/writer/button.h"
#include "swf/writer/control.h"
#include "swf/writer/shape.h"
#include "swf/writer/sound.h"
#include "swf/writer/tag.h"
#include "swf/writer/text.h"
#include "swf/writer/timeline.h"
#include "swf/writer/video.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace swf::writer {

enum class Compression { None, Zlib, Lzma }; // FWS, CWS, ZWS

class MovieWriter : public TimelineWriter {
  public:
    // With a background colour the tag list starts with FileAttributes (no flags, SWF 8
    // and later, where it must come first) and SetBackgroundColor; without one it starts
    // empty.
    explicit MovieWriter(uint8_t version = 10, const Rect& stage = {0, 11000, 0, 8000},
                         double frameRate = 24, std::optional<Rgba> background = {});

    uint8_t version() const { return version_; }
    // Character ids 1, 2, 3, ... in call order.
    uint16_t newId() { return nextId_++; }

    // Odd headers for fixtures: a frame count other than the ShowFrame count, a wrong
    // FileLength, no End tag, an LZMA stream ended by an end marker.
    MovieWriter& setHeaderFrameCount(uint16_t count);
    MovieWriter& setFileLength(uint32_t length);
    MovieWriter& setEndTag(bool on);
    MovieWriter& setLzmaEndMarker(bool on);

    // The uncompressed body: stage RECT, frame rate, frame count, tags, End.
    std::vector<uint8_t> body() const;
    // The whole file.
    std::vector<uint8_t> bytes(Compression compression = Compression::None) const;
    // Writes through a temporary file beside `path` and a rename; returns the size.
    Result<size_t> writeFile(const std::filesystem::path& path,
                             Compression compression = Compression::None) const;

  private:
    uint8_t version_;
    Rect stage_;
    double frameRate_;
    uint16_t nextId_ = 1;
    std::optional<uint16_t> headerFrameCount_;
    std::optional<uint32_t> fileLength_;
    bool endTag_ = true;
    bool lzmaEndMarker_ = false;
};

// Raw LZMA1 data (no header) and its 5 property bytes, as ZWS stores them.
struct LzmaData {
    uint8_t properties[5] = {};
    std::vector<uint8_t> stream;
};
LzmaData lzmaCompress(std::span<const uint8_t> data, bool endMarker = false);

} // namespace swf::writer
