// Sound decoding: every codec to 44100 Hz stereo, stream blocks joined, bounds kept on
// broken input.
#include "sound_encoders.h"
#include "support/test_paths.h"

#include "swf/display/movie.h"
#include "swf/media/sound_decode.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

using namespace swf;
using soundtest::BitWriter;

namespace {

uint32_t rateOf(int code) {
    return code == 0 ? 5512 : code == 1 ? 11025 : code == 2 ? 22050 : 44100;
}

SoundDef makeSound(uint8_t codec, uint32_t rate, bool is16, bool stereo, uint32_t count,
                   std::vector<uint8_t> data) {
    SoundDef s;
    s.format = {codec, rate, is16, stereo};
    s.sampleCount = count;
    s.data = std::move(data);
    return s;
}

std::vector<uint8_t> le16(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> out;
    for (int16_t v : samples) {
        out.push_back(static_cast<uint8_t>(v & 0xFF));
        out.push_back(static_cast<uint8_t>((static_cast<uint16_t>(v) >> 8) & 0xFF));
    }
    return out;
}

StereoPcm decoded(const SoundDef& s) {
    auto r = decodeSound(s);
    if (auto* e = std::get_if<Error>(&r)) ADD_FAILURE() << e->message;
    return ok(r) ? std::get<StereoPcm>(r) : StereoPcm{};
}

// One channel of interleaved stereo.
std::vector<int16_t> channel(const StereoPcm& pcm, int c) {
    std::vector<int16_t> out;
    for (size_t i = static_cast<size_t>(c); i < pcm.size(); i += 2)
        out.push_back(pcm[i]);
    return out;
}

// Root-mean-square difference of two equally long runs, relative to full scale.
double rmsError(std::span<const int16_t> a, std::span<const int16_t> b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += std::pow(double(a[i]) - b[i], 2);
    return std::sqrt(sum / double(a.size())) / 32768.0;
}

} // namespace

TEST(SoundDecodeRaw, SamplesAtTheMixRatePassThrough) {
    // 16-bit stereo little-endian, and 8-bit unsigned mono (128 is silence).
    std::vector<int16_t> stereo = {1, -1, 32767, -32768, 300, -300};
    EXPECT_EQ(decoded(makeSound(3, 44100, true, true, 3, le16(stereo))), stereo);
    EXPECT_EQ(decoded(makeSound(0, 44100, true, true, 3, le16(stereo))), stereo);
    EXPECT_EQ(decoded(makeSound(3, 44100, false, false, 3, {0, 128, 255})),
              (StereoPcm{-32768, -32768, 0, 0, 32512, 32512}));
}

TEST(SoundDecodeRaw, SampleCountAndDataSizeBoundTheLength) {
    auto data = le16({1, 2, 3, 4, 5, 6});
    EXPECT_EQ(frameCount(decoded(makeSound(3, 44100, true, false, 4, data))), 4u);
    EXPECT_EQ(frameCount(decoded(makeSound(3, 44100, true, false, 1000, data))), 6u);
    // A stereo frame needs all four bytes.
    EXPECT_EQ(frameCount(decoded(makeSound(3, 44100, true, true, 1000, {1, 2, 3, 4, 5}))), 1u);
}

TEST(SoundDecodeRaw, LowerRatesAreInterpolatedUpToTheMixRate) {
    const std::vector<int16_t> in = {0, 800, -800, 400};
    for (int code = 0; code < 3; ++code) {
        SCOPED_TRACE(code);
        const size_t factor = 44100 * 2 / (code == 0 ? 11025 : rateOf(code) * 2);
        StereoPcm out = decoded(makeSound(3, rateOf(code), true, false, 4, le16(in)));
        ASSERT_EQ(frameCount(out), in.size() * factor);
        for (size_t k = 0; k + 1 < in.size(); ++k) {
            EXPECT_EQ(out[2 * k * factor], in[k]);
            // Half way between two input samples lies their mean.
            EXPECT_EQ(out[2 * (k * factor + factor / 2)], (in[k] + in[k + 1]) / 2);
        }
        EXPECT_EQ(channel(out, 0), channel(out, 1));
    }
}

TEST(SoundDecodeAdpcm, KnownCodesDecodeToKnownSamples) {
    // 4-bit codes from sample 0, index 0: 7 adds 7+3+1+0, and so on with growing steps.
    BitWriter w;
    w.put(2, 2);
    w.put(0, 16);
    w.put(0, 6);
    for (uint32_t code : {7, 7, 15, 0})
        w.put(code, 4);
    EXPECT_EQ(channel(decoded(makeSound(1, 44100, true, false, 100, w.take())), 0),
              (std::vector<int16_t>{0, 11, 41, -22, -13}));
    // 2-bit codes from sample 100 at index 10 (step 19). The last byte's two spare bits
    // would read as one more code: the sample count says where the sound ends.
    BitWriter w2;
    w2.put(0, 2);
    w2.put(100, 16);
    w2.put(10, 6);
    for (uint32_t code : {1, 3, 0})
        w2.put(code, 2);
    EXPECT_EQ(channel(decoded(makeSound(1, 44100, true, false, 4, w2.take())), 0),
              (std::vector<int16_t>{100, 128, 94, 108}));
}

class SoundDecodeAdpcmRoundTrip : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(SoundDecodeAdpcmRoundTrip, DecodesWhatTheEncoderMeant) {
    const auto [bits, channels] = GetParam();
    // Long enough for a second packet; the channels differ so a swap would show.
    auto left = soundtest::sine(9000, 440, 12000);
    auto input =
        channels == 1 ? left : soundtest::interleave(left, soundtest::sine(9000, 97, 5000));
    auto enc = soundtest::encodeAdpcm(input, channels, bits);
    StereoPcm out = decoded(makeSound(1, 44100, true, channels == 2, 9000, enc.data));
    ASSERT_EQ(frameCount(out), 9000u);
    if (channels == 2) {
        EXPECT_EQ(out, enc.decoded);
    } else {
        EXPECT_EQ(channel(out, 0), enc.decoded);
        EXPECT_EQ(channel(out, 1), enc.decoded);
    }
    // And what it meant is the input, roughly: coarser codes follow less closely.
    EXPECT_LT(rmsError(enc.decoded, input), bits >= 4 ? 0.01 : 0.08);
}

INSTANTIATE_TEST_SUITE_P(AllCodeSizes, SoundDecodeAdpcmRoundTrip,
                         ::testing::Combine(::testing::Values(2, 3, 4, 5),
                                            ::testing::Values(1, 2)));

TEST(SoundDecodeAdpcm, DataCutShortKeepsTheWholeCodes) {
    auto enc = soundtest::encodeAdpcm(soundtest::sine(5000, 300, 9000), 1, 3);
    StereoPcm full = decoded(makeSound(1, 44100, true, false, 5000, enc.data));
    for (size_t cut : {size_t(0), size_t(1), size_t(3), enc.data.size() / 2, enc.data.size() - 1}) {
        std::vector<uint8_t> part(enc.data.begin(), enc.data.begin() + static_cast<long>(cut));
        StereoPcm out = decoded(makeSound(1, 44100, true, false, 5000, part));
        ASSERT_LE(out.size(), full.size());
        EXPECT_TRUE(std::equal(out.begin(), out.end(), full.begin())) << cut;
    }
    // Within the first packet: code size and header take 24 bits, then 3 bits a code.
    const size_t cut = enc.data.size() / 2;
    std::vector<uint8_t> half(enc.data.begin(), enc.data.begin() + static_cast<long>(cut));
    EXPECT_EQ(frameCount(decoded(makeSound(1, 44100, true, false, 5000, half))),
              1 + (cut * 8 - 24) / 3);
}

TEST(SoundDecode, CodecsWithoutDecoderAndOverlongSoundsAreErrors) {
    for (uint8_t codec : {4, 5, 6, 7, 11, 15})
        EXPECT_FALSE(ok(decodeSound(makeSound(codec, 22050, true, false, 100, {1, 2, 3}))));
    // Ten minutes at the sound's own rate are the most.
    EXPECT_TRUE(ok(decodeSound(makeSound(3, 5512, true, false, 5512 * 600, {}))));
    EXPECT_FALSE(ok(decodeSound(makeSound(3, 5512, true, false, 5513 * 600, {}))));
    EXPECT_FALSE(ok(decodeSound(makeSound(2, 44100, true, false, 0xFFFFFFFF, {0, 0}))));
}

TEST(SoundStream, BlocksOfEveryRawAndAdpcmFormatJoinSeamlessly) {
    // Ten blocks of a sine cut at 22050 Hz, each encoded alone, decode to the sine at
    // 44100 Hz without a step between blocks.
    auto whole = soundtest::sine(10 * 735, 210, 10000, 22050);
    for (uint8_t codec : {3, 1}) {
        SCOPED_TRACE(int(codec));
        StreamHead head;
        head.format = {codec, 22050, true, false};
        head.samplesPerBlock = 735;
        std::vector<std::vector<uint8_t>> blocks;
        for (size_t b = 0; b < 10; ++b) {
            std::vector<int16_t> part(whole.begin() + long(b * 735),
                                      whole.begin() + long(b * 735 + 735));
            blocks.push_back(codec == 3 ? le16(part) : soundtest::encodeAdpcm(part, 1, 5).data);
        }
        StereoPcm out = decodeStream(head, blocks);
        // The last input frame waits for a successor that never comes.
        ASSERT_EQ(frameCount(out), 2 * whole.size() - 1);
        auto expected = soundtest::sine(2 * whole.size() - 1, 210, 10000, 44100);
        EXPECT_LT(rmsError(channel(out, 0), expected), 0.01);
    }
}

TEST(SoundStream, CodecsWithoutDecoderGiveSilenceOfTheBlockLength) {
    StreamHead head;
    head.format = {5, 5512, true, false}; // Nellymoser 8 kHz
    head.samplesPerBlock = 800;
    StreamDecoder d(head);
    EXPECT_EQ(d.decodeBlock(std::vector<uint8_t>(64, 0x55)), StereoPcm(2 * 4410, 0));
}

#ifdef REELVISTA_HAVE_LAME

namespace {

// MP3 frames regrouped into stream blocks of `perBlock` frames: SampleCount, SeekSamples,
// frames.
std::vector<std::vector<uint8_t>> mp3Blocks(const std::vector<uint8_t>& mp3, size_t perBlock,
                                            int16_t firstSeek) {
    auto frames = soundtest::mp3Frames(mp3);
    std::vector<std::vector<uint8_t>> blocks;
    for (size_t f = 0; f < frames.size(); f += perBlock) {
        const size_t n = std::min(perBlock, frames.size() - f);
        const uint16_t seek = blocks.empty() ? static_cast<uint16_t>(firstSeek) : 0;
        std::vector<uint8_t> b = {
            static_cast<uint8_t>(n * 1152 & 0xFF), static_cast<uint8_t>(n * 1152 >> 8),
            static_cast<uint8_t>(seek & 0xFF), static_cast<uint8_t>(seek >> 8)};
        for (size_t k = f; k < f + n; ++k)
            b.insert(b.end(), frames[k].begin(), frames[k].end());
        blocks.push_back(std::move(b));
    }
    return blocks;
}

// Decoder delay of an MPEG Layer III decoder, in samples.
constexpr int kDecoderDelay = 529;

} // namespace

TEST(SoundDecodeMp3, EventSoundSkipsSeekSamplesAndKeepsSampleCount) {
    auto input = soundtest::sine(44100, 440, 16000);
    auto mp3 = soundtest::encodeMp3(input, 1, 44100, 128);
    ASSERT_FALSE(mp3.data.empty());
    const int seek = mp3.delay + kDecoderDelay;
    std::vector<uint8_t> data = {static_cast<uint8_t>(seek & 0xFF),
                                 static_cast<uint8_t>(seek >> 8)};
    data.insert(data.end(), mp3.data.begin(), mp3.data.end());
    StereoPcm out = decoded(makeSound(2, 44100, true, false, 44100, data));
    ASSERT_EQ(frameCount(out), 44100u);
    // With the delays dropped the decoded sound lines up with what went in.
    EXPECT_LT(rmsError(channel(out, 0), input), 0.02);
    EXPECT_EQ(channel(out, 0), channel(out, 1));
}

TEST(SoundDecodeMp3, StereoAtHalfRateIsResampled) {
    auto l = soundtest::sine(22050, 300, 12000, 22050),
         r = soundtest::sine(22050, 300, 6000, 22050);
    auto mp3 = soundtest::encodeMp3(soundtest::interleave(l, r), 2, 22050, 64);
    const int seek = mp3.delay + kDecoderDelay;
    std::vector<uint8_t> data = {static_cast<uint8_t>(seek & 0xFF),
                                 static_cast<uint8_t>(seek >> 8)};
    data.insert(data.end(), mp3.data.begin(), mp3.data.end());
    StereoPcm out = decoded(makeSound(2, 22050, true, true, 20000, data));
    ASSERT_EQ(frameCount(out), 40000u);
    EXPECT_LT(rmsError(channel(out, 0), soundtest::sine(40000, 300, 12000)), 0.03);
    EXPECT_LT(rmsError(channel(out, 1), soundtest::sine(40000, 300, 6000)), 0.03);
}

TEST(SoundStreamMp3, BlocksDecodeAsOneStream) {
    auto mp3 = soundtest::encodeMp3(soundtest::sine(44100, 523, 15000), 1, 44100, 96);
    StreamHead head;
    head.format = {2, 44100, true, false};
    // The whole stream in one block against blocks of one and of three frames: the decoder
    // state carries over, so the result is the same sample for sample.
    const StereoPcm whole = decodeStream(head, mp3Blocks(mp3.data, 1000, 0));
    const size_t frames = soundtest::mp3Frames(mp3.data).size();
    ASSERT_EQ(frameCount(whole), frames * 1152);
    EXPECT_EQ(decodeStream(head, mp3Blocks(mp3.data, 1, 0)), whole);
    EXPECT_EQ(decodeStream(head, mp3Blocks(mp3.data, 3, 0)), whole);
    // The first block's SeekSamples are dropped; later ones only matter for seeking.
    StereoPcm seeked = decodeStream(head, mp3Blocks(mp3.data, 2, 700));
    ASSERT_EQ(frameCount(seeked), frameCount(whole) - 700);
    EXPECT_TRUE(std::equal(seeked.begin(), seeked.end(), whole.begin() + 1400));
}

TEST(SoundStreamMp3, BrokenFramesInTheMiddleDoNotStopTheStream) {
    auto mp3 = soundtest::encodeMp3(soundtest::sine(44100, 523, 15000), 1, 44100, 96);
    StreamHead head;
    head.format = {2, 44100, true, false};
    auto blocks = mp3Blocks(mp3.data, 4, 0);
    std::mt19937 rng(7);
    for (size_t i = 10; i < blocks[3].size(); ++i)
        blocks[3][i] = static_cast<uint8_t>(rng());
    StereoPcm out = decodeStream(head, blocks);
    EXPECT_GT(frameCount(out), (blocks.size() - 2) * 4 * 1152);
}

#endif

TEST(SoundDecodeHostile, GarbageNeverOverrunsItsBounds) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 400; ++round) {
        const auto codec = static_cast<uint8_t>(round % 16);
        const uint32_t rate = rateOf(static_cast<int>(rng() % 4));
        std::vector<uint8_t> data(rng() % 3000);
        for (auto& b : data)
            b = static_cast<uint8_t>(rng());
        if (round % 5 == 0 && data.size() > 8) data[2] = 0xFF, data[3] = 0xFB; // looks like MP3
        const uint32_t count = round % 3 == 0 ? static_cast<uint32_t>(rng()) : rng() % 20000;
        SoundDef s = makeSound(codec, rate, rng() & 1, rng() & 1, count, data);
        auto r = decodeSound(s);
        if (ok(r)) {
            // Never more than the declared frames, stretched to the mix rate.
            const uint64_t bound =
                uint64_t(count) * 44100 * 2 / (rate == 5512 ? 11025 : rate * 2) + 1;
            EXPECT_LE(frameCount(std::get<StereoPcm>(r)), bound) << round;
            EXPECT_EQ(std::get<StereoPcm>(r).size() % 2, 0u);
        }
        StreamHead head;
        head.format = s.format;
        head.samplesPerBlock = static_cast<uint16_t>(rng());
        StreamDecoder d(head);
        for (int b = 0; b < 3; ++b) {
            std::vector<uint8_t> block(data.begin() + b * long(data.size() / 3),
                                       data.begin() + (b + 1) * long(data.size() / 3));
            EXPECT_LE(frameCount(d.decodeBlock(block)), kMaxSoundFrames);
        }
    }
}

namespace {

std::vector<std::filesystem::path> corpusWith(const std::string& tag) {
    std::vector<std::filesystem::path> files;
    std::ifstream index(testpaths::corpusDir() / "INDEX.tsv");
    std::string line;
    std::getline(index, line);
    while (std::getline(index, line)) {
        std::istringstream cols(line);
        std::string file, col;
        std::getline(cols, file, '\t');
        for (int i = 1; i < 12; ++i)
            std::getline(cols, col, '\t');
        if (col.find(tag) != std::string::npos) files.push_back(testpaths::corpusDir() / file);
    }
    return files;
}

} // namespace

TEST(SoundCorpus, DefinedSoundsDecodeToTheirDeclaredLength) {
    auto files = corpusWith("sound(");
    if (files.empty()) GTEST_SKIP() << "corpus not present";
    int checked = 0;
    for (const auto& f : files) {
        auto movie = loadMovieFile(f);
        if (!ok(movie)) continue;
        for (const auto& [id, ch] : std::get<MoviePtr>(movie)->dictionary) {
            const auto* s = std::get_if<SoundDef>(ch.get());
            if (!s || s->format.codec > 3) continue;
            SCOPED_TRACE(f.filename().string() + " sound " + std::to_string(id));
            auto r = decodeSound(*s);
            ASSERT_TRUE(ok(r));
            const double expected =
                double(s->sampleCount) * 44100 / (s->format.rate == 5512 ? 5512.5 : s->format.rate);
            const double got = double(frameCount(std::get<StereoPcm>(r)));
            // Raw and ADPCM data hold what they declare; MP3 may end a little short.
            EXPECT_LE(got, expected + 8);
            EXPECT_GE(got, s->format.codec == 2 ? expected * 0.9 - 4096 : expected - 8);
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

TEST(SoundCorpus, StreamSoundDecodesToAboutABlockPerFrame) {
    auto files = corpusWith("stream(");
    if (files.empty()) GTEST_SKIP() << "corpus not present";
    int checked = 0, audible = 0;
    for (const auto& f : files) {
        auto movie = loadMovieFile(f);
        if (!ok(movie)) continue;
        const Timeline& root = std::get<MoviePtr>(movie)->root;
        if (!root.streamHead || root.streamHead->format.codec > 3) continue;
        std::vector<std::vector<uint8_t>> blocks;
        for (const Frame& fr : root.frames)
            if (!fr.streamBlock.empty()) blocks.push_back(fr.streamBlock);
        if (blocks.empty()) continue;
        SCOPED_TRACE(f.filename().string());
        StereoPcm pcm = decodeStream(*root.streamHead, blocks);
        const double rate =
            root.streamHead->format.rate == 5512 ? 5512.5 : root.streamHead->format.rate;
        const double expected =
            double(blocks.size()) * root.streamHead->samplesPerBlock * 44100 / rate;
        EXPECT_NEAR(double(frameCount(pcm)), expected, expected * 0.15 + 4096);
        audible += std::any_of(pcm.begin(), pcm.end(), [](int16_t v) { return v != 0; });
        ++checked;
    }
    EXPECT_GT(checked, 0);
    EXPECT_GT(audible, 0);
}
