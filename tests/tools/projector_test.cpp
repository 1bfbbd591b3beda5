// Building projectors and taking movies out of them, on real files.
#include "app/tools/exe2swf.h"
#include "app/tools/projector_format.h"
#include "app/tools/swf2exe.h"
#include "tool_fakes.h"

#include <sys/stat.h>

namespace {

using namespace tooltest;
using tools::convertExe2Swf;
using tools::convertSwf2Exe;
using tools::MovieFoundBy;

Bytes trailerFor(std::uint32_t length) {
    auto t = tools::encodeProjectorTrailer(length);
    return Bytes(t.begin(), t.end());
}

TEST(ProjectorBuild, WritesStubMovieAndTrailerAsAnExecutableReplacingALongerFile) {
    ScratchDir dir;
    writeBytes(dir.path("exeh"), filler(1234, 1));
    writeBytes(dir.path("a.swf"), movieBytes(300));
    writeBytes(dir.path("a.exe"), filler(10000));
    const mode_t oldMask = ::umask(022);
    auto result = convertSwf2Exe(dir.path("exeh"), dir.path("a.swf"), dir.path("a.exe"));
    ::umask(oldMask);
    ASSERT_TRUE(swf::ok(result)) << std::get<swf::Error>(result).message;

    const Bytes trailer{0x56, 0x34, 0x12, 0xFA, 0x2C, 0x01, 0x00, 0x00};
    EXPECT_EQ(readBytes(dir.path("a.exe")),
              concat(concat(filler(1234, 1), movieBytes(300)), trailer));
    struct stat st {};
    ASSERT_EQ(::stat(dir.path("a.exe").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.exe", "a.swf", "exeh"}));
}

TEST(ProjectorBuild, OutputMayNameTheMovieOrTheStubItself) {
    ScratchDir dir;
    const Bytes projector = concat(concat(filler(100), movieBytes(50)), trailerFor(50));
    for (const char* out : {"a.swf", "exeh"}) {
        writeBytes(dir.path("exeh"), filler(100));
        writeBytes(dir.path("a.swf"), movieBytes(50));
        ASSERT_TRUE(swf::ok(convertSwf2Exe(dir.path("exeh"), dir.path("a.swf"), dir.path(out))));
        EXPECT_EQ(readBytes(dir.path(out)), projector) << out;
    }
}

TEST(ProjectorBuild, FailuresLeaveNoOutputAndAnExistingOneUntouched) {
    ScratchDir dir;
    writeBytes(dir.path("a.swf"), movieBytes(50));
    writeBytes(dir.path("old.exe"), filler(77));
    std::filesystem::create_directory(dir.path("sub"));
    auto fails = [&](const char* stub, const char* movie, const char* out) {
        return !swf::ok(convertSwf2Exe(dir.path(stub), dir.path(movie), dir.path(out)));
    };
    EXPECT_TRUE(fails("exeh", "a.swf", "old.exe")); // no stub
    writeBytes(dir.path("exeh"), filler(100));
    EXPECT_TRUE(fails("exeh", "none.swf", "old.exe"));
    EXPECT_TRUE(fails("exeh", "sub", "old.exe"));
    EXPECT_TRUE(fails("exeh", "a.swf", "no/such/x.exe"));
    EXPECT_TRUE(fails("exeh", "a.swf", "sub"));
    EXPECT_EQ(readBytes(dir.path("old.exe")), filler(77));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"a.swf", "exeh", "old.exe", "sub"}));
}

// Extracts from `bytes`; returns the offset found (nullopt: none) after checking that the
// output holds exactly the bytes from there on, or does not exist.
std::optional<std::uint64_t> extract(const Bytes& bytes, std::optional<MovieFoundBy> way = {}) {
    ScratchDir dir;
    writeBytes(dir.path("p.exe"), bytes);
    auto result = convertExe2Swf(dir.path("p.exe"), dir.path("p.swf"));
    if (!swf::ok(result)) {
        ADD_FAILURE() << std::get<swf::Error>(result).message;
        return std::nullopt;
    }
    const auto& found = std::get<std::optional<tools::MovieLocation>>(result);
    if (!found) {
        EXPECT_EQ(dir.names(), std::vector<std::string>{"p.exe"});
        return std::nullopt;
    }
    if (way) {
        EXPECT_EQ(found->foundBy, *way);
    }
    EXPECT_EQ(readBytes(dir.path("p.swf")), Bytes(bytes.begin() + found->offset, bytes.end()));
    return found->offset;
}

Bytes withSignatures(std::size_t length, std::vector<std::size_t> at, char first = 'F') {
    Bytes bytes = filler(length);
    for (std::size_t p : at)
        bytes[p] = std::uint8_t(first), bytes[p + 1] = 'W', bytes[p + 2] = 'S';
    return bytes;
}

TEST(ProjectorExtract, StubSizeScan) {
    const std::optional<std::uint64_t> none;
    struct Case {
        const char* what;
        std::size_t length;
        std::vector<std::size_t> at;
        char first;
        std::optional<std::uint64_t> found;
    } cases[] = {
        {"first candidate c-1", 90500, {90099}, 'F', 90099},
        {"first candidate c+199", 90500, {90299}, 'F', 90299},
        {"first candidate c+200", 90500, {90300}, 'F', none},
        {"middle candidate c-2", 291200, {290798}, 'F', none},
        {"middle candidate c+199", 291200, {290999}, 'F', 290999},
        {"last candidate c-1", 819600, {819167}, 'F', 819167},
        {"last candidate c+199", 819600, {819367}, 'F', 819367},
        {"last candidate c+200", 819600, {819368}, 'F', none},
        {"compressed", 95000, {90150}, 'C', 90150},
        {"other signature", 95000, {90150}, 'Z', none},
        {"first candidate wins", 100000, {94199, 90250}, 'F', 90250},
        {"lowest position wins", 100000, {90250, 90120}, 'F', 90120},
        {"later candidate", 100000, {94199, 94300}, 'F', 94199},
        {"90120 bytes", 90120, {90099}, 'F', 90099},
        {"90119 bytes", 90119, {90099}, 'F', none},
        {"21 bytes before the end", 90300, {90279}, 'F', 90279},
        {"20 bytes before the end", 90300, {90280}, 'F', none},
        {"short file", 50000, {0, 100, 40000}, 'F', none},
        {"empty file", 0, {}, 'F', none},
    };
    for (const Case& c : cases)
        EXPECT_EQ(extract(withSignatures(c.length, c.at, c.first), MovieFoundBy::StubSizeScan),
                  c.found)
            << c.what;
}

TEST(ProjectorExtract, TrailerFindsMoviesBehindAnyStubWhenTheScanFindsNothing) {
    const Bytes movie = movieBytes(1000, 'C');
    for (std::size_t stubSize : {0u, 5000u, 200000u, 900000u})
        EXPECT_EQ(extract(concat(concat(filler(stubSize), movie), trailerFor(1000)),
                          MovieFoundBy::Trailer),
                  stubSize);
    Bytes badMagic = concat(concat(filler(5000), movie), trailerFor(1000));
    badMagic[badMagic.size() - 5] = 0xFB;
    for (const Bytes& bad :
         {concat(concat(filler(5000), movie), trailerFor(6001)),
          concat(concat(filler(5000), movie), trailerFor(999)),
          concat(concat(filler(5000), movie), trailerFor(0xFFFFFFFF)), badMagic, trailerFor(0)})
        EXPECT_EQ(extract(bad), std::nullopt);
    // A scan result stands even when a trailer points elsewhere.
    Bytes both = concat(concat(withSignatures(100000, {90200}), movie), trailerFor(1000));
    EXPECT_EQ(extract(both, MovieFoundBy::StubSizeScan), 90200u);
}

TEST(ProjectorExtract, ReplacesALongerOutputWholeAndLetsEventsRunAtEveryPosition) {
    ScratchDir dir;
    writeBytes(dir.path("p.exe"), withSignatures(830000, {819318}));
    writeBytes(dir.path("p.swf"), filler(50000));
    int pumped = 0;
    ASSERT_TRUE(swf::ok(convertExe2Swf(dir.path("p.exe"), dir.path("p.swf"), [&] { ++pumped; })));
    EXPECT_EQ(std::filesystem::file_size(dir.path("p.swf")), 830000u - 819318u);
    EXPECT_GE(pumped, 6 * 201 + 151);
    EXPECT_FALSE(swf::ok(convertExe2Swf(dir.path("none.exe"), dir.path("none.swf"))));
    EXPECT_FALSE(swf::ok(convertExe2Swf(dir.path(), dir.path("none.swf"))));
}

TEST(ProjectorRoundTrip, MovieComesBackFollowedByTheTrailer) {
    for (std::size_t stubSize : {90100u, 376800u, 12345u, 600000u}) {
        ScratchDir dir;
        writeBytes(dir.path("exeh"), filler(stubSize));
        writeBytes(dir.path("Movie.swf"), movieBytes(4321, 'C'));
        ASSERT_TRUE(swf::ok(
            convertSwf2Exe(dir.path("exeh"), dir.path("Movie.swf"), dir.path("Movie.exe"))));
        auto result = convertExe2Swf(dir.path("Movie.exe"), dir.path("back.swf"));
        ASSERT_TRUE(swf::ok(result) && std::get<0>(result).has_value()) << stubSize;
        EXPECT_EQ(readBytes(dir.path("back.swf")), concat(movieBytes(4321, 'C'), trailerFor(4321)));
    }
}

} // namespace
