// Video streams for the engine tests: pictures made here, encoded by the system's ffmpeg
// into an FLV file, its frames taken out and wrapped into a movie with the writer.
#pragma once

#include "fixture.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <fstream>
#include <optional>
#include <vector>

namespace videofixture {

inline constexpr int kWidth = 160, kHeight = 96;
// The stage: 200 x 150 pixels on white.
inline constexpr int kStageWidth = 200, kStageHeight = 150;
inline const swf::Rgba kGrey{128, 128, 128, 255};

// Frame k: grey, with a red 16 x 16 square at the top left and a 16 x 16 block of a
// colour of its own at (112, 64), so that position, orientation and the frame shown can
// all be read back, and frames after a key frame change only a little.
inline swf::Rgba frameColour(int k) {
    return {static_cast<uint8_t>(20 + 20 * k), static_cast<uint8_t>(220 - 20 * k), 60, 255};
}

inline std::vector<uint8_t> framePixels(int k) {
    std::vector<uint8_t> rgb(size_t(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            swf::Rgba c = kGrey;
            if (x < 16 && y < 16) c = fixture::kRed;
            else if (x >= 112 && x < 128 && y >= 64 && y < 80) c = frameColour(k);
            uint8_t* p = &rgb[(size_t(y) * kWidth + x) * 3];
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    return rgb;
}

inline bool haveFfmpeg() { return !QStandardPaths::findExecutable("ffmpeg").isEmpty(); }

struct Packet {
    bool key = false;
    std::vector<uint8_t> data; // as a VideoFrame tag carries it
};

// The video tags of an FLV file: frame type and codec in the first byte, then the data.
inline std::vector<Packet> flvVideoPackets(const std::vector<uint8_t>& flv) {
    std::vector<Packet> out;
    if (flv.size() < 13) return out;
    size_t pos = (size_t(flv[5]) << 24 | size_t(flv[6]) << 16 | size_t(flv[7]) << 8 | flv[8]) + 4;
    while (pos + 11 <= flv.size()) {
        const uint8_t type = flv[pos] & 0x1f;
        const size_t size = size_t(flv[pos + 1]) << 16 | size_t(flv[pos + 2]) << 8 | flv[pos + 3];
        const size_t body = pos + 11;
        if (body + size > flv.size()) break;
        if (type == 9 && size > 1) {
            Packet p;
            p.key = (flv[body] >> 4) == 1;
            p.data.assign(flv.begin() + long(body) + 1, flv.begin() + long(body + size));
            out.push_back(std::move(p));
        }
        pos = body + size + 4;
    }
    return out;
}

// Encodes `count` frames at 12 a second into the FLV file `flv` with ffmpeg: the video
// encoder and its options, and with `audio` (an encoder name) a second of a 440 Hz tone.
inline bool encodeFlv(const QString& flv, int count, const QStringList& video, const QString& audio = {}) {
    QTemporaryDir dir;
    if (!dir.isValid()) return false;
    const QString raw = dir.filePath("in.rgb");
    {
        std::ofstream f(raw.toStdString(), std::ios::binary);
        for (int k = 0; k < count; ++k) {
            auto px = framePixels(k);
            f.write(reinterpret_cast<const char*>(px.data()), std::streamsize(px.size()));
        }
    }
    QStringList args{"-nostdin", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgb24", "-s",
                     QString("%1x%2").arg(kWidth).arg(kHeight), "-r", "12", "-i", raw};
    if (!audio.isEmpty()) args << "-f" << "lavfi" << "-i" << "sine=frequency=440:duration=1:sample_rate=44100";
    args << "-c:v" << video;
    if (!audio.isEmpty()) args << "-c:a" << audio << "-ar" << "44100";
    args << "-f" << "flv" << flv;
    QProcess p;
    p.start("ffmpeg", args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

inline std::vector<uint8_t> readFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The frames of `count` pictures encoded with the named ffmpeg encoder ("flv", "flashsv",
// "flashsv2"), a key frame every `gop` frames. Empty when ffmpeg is missing or fails.
inline std::vector<Packet> encode(const QString& encoder, int count, int gop) {
    QTemporaryDir dir;
    if (!dir.isValid()) return {};
    const QString flv = dir.filePath("out.flv");
    QStringList video{encoder, "-g", QString::number(gop)};
    if (encoder == "flv") video << "-q:v" << "2";
    if (!encodeFlv(flv, count, video)) return {};
    return flvVideoPackets(readFile(flv));
}

// A movie showing the stream at (10, 20) pixels, frame k of the movie showing video frame
// k. `skip` leaves the frame with that number out of the stream.
inline std::vector<uint8_t> movieOf(const std::vector<Packet>& packets, uint8_t codec,
                                    std::optional<swf::ColorTransform> cx = {}, std::optional<int> skip = {},
                                    uint16_t declaredWidth = kWidth, uint16_t declaredHeight = kHeight) {
    namespace w = swf::writer;
    w::MovieWriter m(8, {0, kStageWidth * 20, 0, kStageHeight * 20}, 12);
    m.add(w::setBackgroundColor({255, 255, 255, 255}));
    w::VideoStream s;
    s.frameCount = static_cast<uint16_t>(packets.size());
    s.width = declaredWidth;
    s.height = declaredHeight;
    s.codec = codec;
    m.add(w::defineVideoStream(1, s));
    for (size_t k = 0; k < packets.size(); ++k) {
        if (skip && int(k) == *skip) {
        } else {
            m.add(w::videoFrame(1, static_cast<uint16_t>(k), packets[k].data));
        }
        w::Placement p;
        p.depth = 1;
        p.ratio = static_cast<uint16_t>(k);
        if (k == 0) {
            p.character = 1;
            p.matrix = swf::Matrix::translate(200, 400);
            p.colorTransform = cx;
        } else {
            p.move = true;
        }
        m.add(w::placeObject2(p));
        m.showFrame();
    }
    return m.bytes();
}

inline QImage renderStage(const swf::Player& p) {
    swf::ShapeCache cache;
    return swf::renderImage(p, QSize(kStageWidth, kStageHeight), cache).convertToFormat(QImage::Format_ARGB32);
}

} // namespace videofixture
