#include "swf/writer/sound.h"

#include "swf/writer/buffer.h"

#include <stdexcept>

namespace swf::writer {

namespace {

void formatBits(Buffer& b, const SoundFormat& f) {
    b.ub(f.codec, 4).ub(f.rate, 2).flag(f.sixteenBit).flag(f.stereo);
}

} // namespace

std::vector<uint8_t> soundInfo(const SoundInfo& info) {
    Buffer b;
    b.ub(0, 2)
        .flag(info.syncStop)
        .flag(info.syncNoMultiple)
        .flag(info.envelope.has_value())
        .flag(info.loops.has_value())
        .flag(info.outPoint.has_value())
        .flag(info.inPoint.has_value());
    if (info.inPoint) b.u32(*info.inPoint);
    if (info.outPoint) b.u32(*info.outPoint);
    if (info.loops) b.u16(*info.loops);
    if (info.envelope) {
        if (info.envelope->size() > 255) throw std::invalid_argument("too many envelope points");
        b.u8(static_cast<uint8_t>(info.envelope->size()));
        for (const SoundEnvelopePoint& p : *info.envelope)
            b.u32(p.pos44).u16(p.left).u16(p.right);
    }
    return b.take();
}

Tag defineSound(uint16_t id, SoundFormat format, uint32_t sampleCount,
                std::span<const uint8_t> data) {
    Buffer b;
    b.u16(id);
    formatBits(b, format);
    b.u32(sampleCount).bytes(data);
    return {tagcode::DefineSound, b.take(), true};
}

Tag startSound(uint16_t id, const SoundInfo& info) {
    return {tagcode::StartSound, Buffer().u16(id).bytes(soundInfo(info)).take()};
}

Tag startSound2(std::string_view className, const SoundInfo& info) {
    return {tagcode::StartSound2, Buffer().string(className).bytes(soundInfo(info)).take()};
}

Tag soundStreamHead(SoundFormat playback, SoundFormat stream, uint16_t samplesPerBlock,
                    std::optional<int16_t> latencySeek, int version) {
    if (version != 1 && version != 2) throw std::invalid_argument("stream head version is 1 or 2");
    Buffer b;
    b.ub(0, 4).ub(playback.rate, 2).flag(playback.sixteenBit).flag(playback.stereo);
    formatBits(b, stream);
    b.u16(samplesPerBlock);
    if (latencySeek) b.i16(*latencySeek);
    return {version == 1 ? tagcode::SoundStreamHead : tagcode::SoundStreamHead2, b.take()};
}

Tag soundStreamBlock(std::span<const uint8_t> data) {
    return {tagcode::SoundStreamBlock, {data.begin(), data.end()}, true};
}

} // namespace swf::writer
