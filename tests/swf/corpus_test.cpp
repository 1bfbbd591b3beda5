// Every movie of the shared corpus loads (or is refused with an error) and its
// first frames render without a crash; broken files keep the frames before the break.
#include "support/test_paths.h"

#include "swf/display/movie.h"
#include "swf/render/qt/painter_backend.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::filesystem::path> corpusMovies() {
    std::vector<std::filesystem::path> out;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(testpaths::corpusDir(), ec))
        if (e.path().extension() == ".swf") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(Corpus, EveryMovieLoadsAndRendersItsFirstFrames) {
    auto movies = corpusMovies();
    if (movies.empty()) GTEST_SKIP() << "corpus not present";
    int loaded = 0;
    for (const auto& path : movies) {
        SCOPED_TRACE(path.filename().string());
        auto r = swf::loadMovieFile(path);
        auto* mp = std::get_if<swf::MoviePtr>(&r);
        if (!mp) {
            EXPECT_FALSE(std::get<swf::Error>(r).message.empty());
            continue;
        }
        ++loaded;
        swf::Player player(*mp);
        swf::ShapeCache cache;
        QImage img = swf::renderImage(player, QSize(160, 120), cache);
        EXPECT_FALSE(img.isNull());
        for (int i = 0; i < 3; ++i) player.tick();
        player.gotoFrame(player.totalFrames());
        player.gotoFrame(1);
        swf::renderImage(player, QSize(160, 120), cache);
        EXPECT_GE(player.totalFrames(), 1);
    }
    EXPECT_GT(loaded, static_cast<int>(movies.size()) * 9 / 10);
}

TEST(Corpus, KnownBrokenFilesAreRefusedWithAReason) {
    const char* names[] = {"sh-empty.swf", "sh-invalid.swf", "jp-harman_encrypted.swf"};
    for (const char* n : names) {
        auto path = testpaths::corpusDir() / n;
        if (!std::filesystem::exists(path)) GTEST_SKIP() << "corpus not present";
        auto r = swf::loadMovieFile(path);
        ASSERT_TRUE(std::holds_alternative<swf::Error>(r)) << n;
    }
}

TEST(Corpus, AFileCutShortKeepsItsEarlierFrames) {
    auto path = testpaths::corpusDir() / "rf-swf_length_too_long.swf";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "corpus not present";
    auto r = swf::loadMovieFile(path);
    ASSERT_TRUE(std::holds_alternative<swf::MoviePtr>(r));
    EXPECT_GE(std::get<swf::MoviePtr>(r)->frameCount(), 1);
}

} // namespace
