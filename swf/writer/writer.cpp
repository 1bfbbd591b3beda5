#include "swf/writer/writer.h"

#include <lzma.h>

#include <cmath>
#include <fstream>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace swf::writer {

MovieWriter::MovieWriter(uint8_t version, const Rect& stage, double frameRate,
                         std::optional<Rgba> background)
    : version_(version), stage_(stage), frameRate_(frameRate) {
    if (!background) return;
    if (version >= 8) add(fileAttributes(0));
    add(setBackgroundColor(*background));
}

MovieWriter& MovieWriter::setHeaderFrameCount(uint16_t count) {
    headerFrameCount_ = count;
    return *this;
}

MovieWriter& MovieWriter::setFileLength(uint32_t length) {
    fileLength_ = length;
    return *this;
}

MovieWriter& MovieWriter::setEndTag(bool on) {
    endTag_ = on;
    return *this;
}

MovieWriter& MovieWriter::setLzmaEndMarker(bool on) {
    lzmaEndMarker_ = on;
    return *this;
}

std::vector<uint8_t> MovieWriter::body() const {
    Buffer b;
    b.rect(stage_);
    double rate = std::isfinite(frameRate_) ? std::clamp(frameRate_, 0.0, 255.99609375) : 0.0;
    b.u16(static_cast<uint16_t>(std::lround(rate * 256)));
    b.u16(headerFrameCount_.value_or(static_cast<uint16_t>(std::min(frameCount(), 0xFFFF))));
    b.bytes(tagBytes());
    if (endTag_) b.u16(0);
    return b.take();
}

std::vector<uint8_t> MovieWriter::bytes(Compression compression) const {
    std::vector<uint8_t> content = body();
    if (content.size() > UINT32_MAX - 8) throw std::length_error("movie too large");
    uint32_t fileLength = fileLength_.value_or(static_cast<uint32_t>(content.size() + 8));
    Buffer out;
    out.u8(compression == Compression::None ? 'F' : compression == Compression::Zlib ? 'C' : 'Z');
    out.u8('W').u8('S').u8(version_).u32(fileLength);
    switch (compression) {
    case Compression::None:
        out.bytes(content);
        break;
    case Compression::Zlib:
        out.bytes(zlibCompress(content));
        break;
    case Compression::Lzma: {
        LzmaData lz = lzmaCompress(content, lzmaEndMarker_);
        out.u32(static_cast<uint32_t>(lz.stream.size())).bytes(lz.properties).bytes(lz.stream);
        break;
    }
    }
    return out.take();
}

Result<size_t> MovieWriter::writeFile(const std::filesystem::path& path,
                                      Compression compression) const {
    std::vector<uint8_t> data = bytes(compression);
    std::filesystem::path temp = path;
    temp += ".tmp-" + std::to_string(::getpid());
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
        f.close();
        if (!f) {
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            return Error{"cannot write " + temp.string()};
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        return Error{"cannot replace " + path.string() + ": " + ec.message()};
    }
    return data.size();
}

LzmaData lzmaCompress(std::span<const uint8_t> data, bool endMarker) {
    lzma_options_lzma options;
    if (lzma_lzma_preset(&options, 6)) throw std::runtime_error("LZMA preset unavailable");
    // No larger dictionary than the data needs: it is what a reader has to allocate.
    uint32_t dict = LZMA_DICT_SIZE_MIN;
    while (dict < data.size() && dict < options.dict_size)
        dict <<= 1;
    options.dict_size = dict;
    options.ext_flags = endMarker ? LZMA_LZMA1EXT_ALLOW_EOPM : 0;
    options.ext_size_low = static_cast<uint32_t>(data.size());
    options.ext_size_high = static_cast<uint32_t>(uint64_t(data.size()) >> 32);
    lzma_filter filters[2] = {{LZMA_FILTER_LZMA1EXT, &options}, {LZMA_VLI_UNKNOWN, nullptr}};

    lzma_stream strm = LZMA_STREAM_INIT;
    if (lzma_raw_encoder(&strm, filters) != LZMA_OK)
        throw std::runtime_error("LZMA encoder setup failed");
    LzmaData out;
    out.stream.resize(data.size() + data.size() / 2 + 1024);
    strm.next_in = data.data();
    strm.avail_in = data.size();
    strm.next_out = out.stream.data();
    strm.avail_out = out.stream.size();
    lzma_ret ret;
    while ((ret = lzma_code(&strm, LZMA_FINISH)) == LZMA_OK) {
        size_t used = out.stream.size() - strm.avail_out;
        out.stream.resize(out.stream.size() * 2);
        strm.next_out = out.stream.data() + used;
        strm.avail_out = out.stream.size() - used;
    }
    size_t produced = strm.total_out;
    lzma_end(&strm);
    if (ret != LZMA_STREAM_END) throw std::runtime_error("LZMA compression failed");
    out.stream.resize(produced);

    out.properties[0] = static_cast<uint8_t>((options.pb * 5 + options.lp) * 9 + options.lc);
    for (int i = 0; i < 4; ++i)
        out.properties[1 + i] = static_cast<uint8_t>(dict >> (8 * i));
    return out;
}

} // namespace swf::writer
