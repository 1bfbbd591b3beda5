// GIF through giflib's record-level interface: only the first frame is decoded, row by
// row, so a broken or oversized file costs no more than its first frame.
#include "swf/media/bitmap_codecs.h"
#include "swf/media/bitmap_pixels.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>

namespace swf::bitmap_detail {
namespace {

struct MemoryInput {
    std::span<const uint8_t> data;
    size_t pos = 0;
};

int readInput(GifFileType* gif, GifByteType* buffer, int length) {
    auto* in = static_cast<MemoryInput*>(gif->UserData);
    if (length <= 0) return 0;
    size_t n = std::min(size_t(length), in->data.size() - in->pos);
    if (n > 0) std::memcpy(buffer, in->data.data() + in->pos, n);
    in->pos += n;
    return int(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

Error gifError(int code) {
    const char* text = GifErrorString(code);
    return Error{std::string("GIF: ") + (text ? text : "unreadable data")};
}

// Reads one extension; a graphic control block sets the transparent index (-1 for none).
bool readExtension(GifFileType* gif, int& transparent) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
    // The first byte of a block is its length; a control block holds flags, delay, index.
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
        transparent = (block[1] & 1) ? block[4] : -1;
    while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
    }
    return true;
}

Result<Bitmap> readFirstFrame(GifFileType* gif, int transparent) {
    if (DGifGetImageDesc(gif) == GIF_ERROR) return gifError(gif->Error);
    const GifImageDesc frame = gif->Image;
    if (auto e = checkDimensions("GIF frame", uint64_t(std::max(frame.Width, 0)),
                                 uint64_t(std::max(frame.Height, 0))))
        return *e;
    // A screen of size zero is taken to be the frame's extent.
    const int width = gif->SWidth > 0 ? gif->SWidth : frame.Left + frame.Width;
    const int height = gif->SHeight > 0 ? gif->SHeight : frame.Top + frame.Height;
    if (auto e = checkDimensions("GIF", uint64_t(width), uint64_t(height))) return *e;
    const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map || !map->Colors) return Error{"GIF: no colour table"};

    // Indices without a colour, like the transparent one, stay transparent.
    std::array<uint32_t, 256> palette{};
    for (int i = 0; i < std::min(map->ColorCount, 256); ++i) {
        const GifColorType& c = map->Colors[i];
        palette[size_t(i)] = opaqueRgb(c.Red, c.Green, c.Blue);
    }
    if (transparent >= 0 && transparent < 256) palette[size_t(transparent)] = 0;

    Bitmap bm = blankBitmap(width, height);
    std::vector<GifPixelType> line(size_t(frame.Width));
    const int visibleWidth = std::clamp(width - frame.Left, 0, frame.Width);
    auto readRow = [&](int row) {
        if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return false;
        const int y = frame.Top + row;
        if (y < height && visibleWidth > 0) {
            uint32_t* out = bm.pixels.data() + size_t(y) * size_t(width) + size_t(frame.Left);
            for (int x = 0; x < visibleWidth; ++x)
                out[x] = palette[line[size_t(x)]];
        }
        return true;
    };
    if (frame.Interlace) {
        static constexpr int kStart[] = {0, 4, 2, 1};
        static constexpr int kStep[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int row = kStart[pass]; row < frame.Height; row += kStep[pass])
                if (!readRow(row)) return bm;
    } else {
        // Rows below the screen are never shown, so decoding stops there.
        const int rows = std::clamp(height - frame.Top, 0, frame.Height);
        for (int row = 0; row < rows; ++row)
            if (!readRow(row)) return bm;
    }
    return bm;
}

} // namespace

Result<Bitmap> decodeGif(std::span<const uint8_t> data) {
    MemoryInput input{data};
    int error = 0;
    GifHandle gif(DGifOpen(&input, readInput, &error));
    if (!gif) return gifError(error);
    int transparent = -1;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) return gifError(gif->Error);
        switch (type) {
        case IMAGE_DESC_RECORD_TYPE:
            return readFirstFrame(gif.get(), transparent);
        case EXTENSION_RECORD_TYPE:
            if (!readExtension(gif.get(), transparent)) return gifError(gif->Error);
            break;
        case TERMINATE_RECORD_TYPE:
            return Error{"GIF: no image"};
        default:
            return Error{"GIF: unknown record"};
        }
    }
}

} // namespace swf::bitmap_detail
