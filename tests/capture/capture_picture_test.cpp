// Captured pictures: the palette rule, the BMP files Qt's writer makes of them, writing
// through a temporary file, and where the wallpaper file goes.
#include "capture_fixtures.h"

#include "app/playback/capture_bitmap_file.h"
#include "app/playback/capture_picture.h"
#include "app/playback/wallpaper_file.h"

#include <QImageReader>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

using capturetest::bmpField;
using capturetest::fileBytes;
using playback::Picture;

QImage gradientImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x + y) % 256));
    return image;
}

int squaredDistance(QRgb a, QRgb b) {
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return dr * dr + dg * dg + db * db;
}

TEST(PaletteRule, EachPixelIsTheNearestEntryWithoutDithering) {
    const QList<QRgb> palette = capturetest::PaletteDisplay(256).systemPaletteEntries(0, 256);
    const QImage image = gradientImage(64, 48);
    const QImage indexed = playback::toPaletteIndices(image, palette);
    ASSERT_EQ(indexed.format(), QImage::Format_Indexed8);
    ASSERT_EQ(indexed.size(), image.size());
    EXPECT_EQ(indexed.colorTable(), palette);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const int chosen = indexed.pixelIndex(x, y);
            int best = 0;
            for (int i = 1; i < palette.size(); ++i)
                if (squaredDistance(pixel, palette[i]) < squaredDistance(pixel, palette[best]))
                    best = i;
            ASSERT_EQ(chosen, best) << x << "," << y;
        }
    // Without dithering, one colour is one entry all over the picture.
    QImage flat(32, 32, QImage::Format_RGB32);
    flat.fill(qRgb(100, 155, 50)); // entry 100
    const QImage flatIndexed = playback::toPaletteIndices(flat, palette);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(flatIndexed.pixelIndex(x, y), 100);
}

TEST(PaletteRule, APaletteGoesWithAnIndexedBitmapOnly) {
    const QList<QRgb> palette = capturetest::PaletteDisplay(256).systemPaletteEntries(0, 256);
    const Picture truecolour = playback::CreateBitmapPicture(gradientImage(8, 8), palette);
    EXPECT_FALSE(truecolour.hasPalette());
    const Picture indexed = playback::CreateBitmapPicture(
        playback::toPaletteIndices(gradientImage(8, 8), palette), palette);
    EXPECT_TRUE(indexed.hasPalette());
    EXPECT_TRUE(playback::toPaletteIndices(QImage(), palette).isNull());
    EXPECT_TRUE(playback::toPaletteIndices(gradientImage(4, 4), {}).isNull());
}

class BitmapFiles : public ::testing::Test {
  protected:
    QTemporaryDir dir;
    QString path = dir.filePath("frame.bmp");
};

TEST_F(BitmapFiles, TrueColourIs24BitsAPaletteIs8BitsWithItsEntries) {
    const QImage image = gradientImage(37, 21); // odd width: rows are padded
    ASSERT_TRUE(std::holds_alternative<std::monostate>(
        playback::saveBitmapFile(playback::CreateBitmapPicture(image, {}), path)));
    QByteArray file = fileBytes(path);
    ASSERT_GE(file.size(), 54);
    EXPECT_EQ(file.left(2), "BM");
    EXPECT_EQ(bmpField(file, 2, 4), uint32_t(file.size()));
    EXPECT_EQ(bmpField(file, 18, 4), 37u);
    EXPECT_EQ(bmpField(file, 22, 4), 21u);
    EXPECT_EQ(bmpField(file, 28, 2), 24u);
    EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), image);

    const QList<QRgb> palette = capturetest::PaletteDisplay(256).systemPaletteEntries(0, 256);
    const QImage indexed = playback::toPaletteIndices(image, palette);
    ASSERT_TRUE(std::holds_alternative<std::monostate>(
        playback::saveBitmapFile(playback::CreateBitmapPicture(indexed, palette), path)));
    file = fileBytes(path);
    EXPECT_EQ(bmpField(file, 28, 2), 8u);
    const uint32_t pixelsAt = bmpField(file, 10, 4);
    const uint32_t headerSize = bmpField(file, 14, 4);
    ASSERT_EQ(pixelsAt, 14 + headerSize + 256 * 4);
    for (int i = 0; i < 256; ++i) {
        const int at = 14 + int(headerSize) + i * 4; // blue, green, red, reserved
        ASSERT_EQ(qRgb(uint8_t(file[at + 2]), uint8_t(file[at + 1]), uint8_t(file[at])),
                  palette[i])
            << i;
    }
    const QImage back = QImage(path);
    ASSERT_EQ(back.size(), indexed.size());
    for (int y = 0; y < back.height(); ++y)
        for (int x = 0; x < back.width(); ++x)
            ASSERT_EQ(back.pixel(x, y), palette[indexed.pixelIndex(x, y)]);
}

TEST_F(BitmapFiles, AFailedWriteLeavesTheEarlierFileAndNoTemporaryFile) {
    const QImage first = gradientImage(16, 16);
    ASSERT_TRUE(std::holds_alternative<std::monostate>(
        playback::saveBitmapFile(playback::CreateBitmapPicture(first, {}), path)));
    const QByteArray before = fileBytes(path);

    // Nothing captured.
    EXPECT_TRUE(std::holds_alternative<swf::Error>(playback::saveBitmapFile(Picture{}, path)));
    EXPECT_EQ(fileBytes(path), before);

    // The disk refuses the bytes part way: a file size limit (which binds root as well).
    {
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 4096;
        setrlimit(RLIMIT_FSIZE, &small);
        const auto status = playback::saveBitmapFile(
            playback::CreateBitmapPicture(gradientImage(400, 300), {}), path);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_TRUE(std::holds_alternative<swf::Error>(status));
    }
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"frame.bmp"});

    EXPECT_TRUE(std::holds_alternative<swf::Error>(playback::saveBitmapFile(
        playback::CreateBitmapPicture(first, {}), dir.filePath("missing/frame.bmp"))));
}

TEST(WallpaperFile, ProgramFolderWhenWritableElseTheUsersDataFolder) {
    QTemporaryDir program;
    EXPECT_EQ(playback::wallpaperFilePath(program.path(), "/data", "/home/u"),
              program.path() + "/OrbisaneWallpaper.bmp");
    const QString gone = program.path() + "/not-there";
    EXPECT_EQ(playback::wallpaperFilePath(gone, "/data", "/home/u"),
              "/data/reelvista/OrbisaneWallpaper.bmp");
    // An unset or relative data home stands for ~/.local/share.
    EXPECT_EQ(playback::wallpaperFilePath(gone, "", "/home/u"),
              "/home/u/.local/share/reelvista/OrbisaneWallpaper.bmp");
    EXPECT_EQ(playback::wallpaperFilePath(gone, "rel/data", "/home/u"),
              "/home/u/.local/share/reelvista/OrbisaneWallpaper.bmp");
    if (geteuid() != 0) { // root may write anywhere
        QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_EQ(playback::wallpaperFilePath(program.path(), "/data", "/home/u"),
                  "/data/reelvista/OrbisaneWallpaper.bmp");
        QFile::setPermissions(program.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

} // namespace
