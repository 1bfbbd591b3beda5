// libFuzzer target: load a movie from the input, play a few frames, jump about,
// and render each into a small image.
#include "swf/display/movie.h"
#include "swf/media/sound_decode.h"
#include "swf/render/qt/painter_backend.h"

#include <QGuiApplication>

#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static auto* app = new QGuiApplication(*argc, *argv); // lives for the whole run
    (void)app;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto loaded = swf::loadMovie(std::span<const uint8_t>(data, size));
    auto* mp = std::get_if<swf::MoviePtr>(&loaded);
    if (!mp) return 0;
    swf::Player player(*mp);
    swf::ShapeCache cache;
    std::unique_ptr<swf::StreamDecoder> stream;
    if ((*mp)->root.streamHead) stream = std::make_unique<swf::StreamDecoder>(*(*mp)->root.streamHead);
    QImage img(64, 48, QImage::Format_ARGB32_Premultiplied);
    for (int i = 0; i < 4; ++i) {
        {
            QPainter p(&img);
            swf::renderFrame(player, p, QRectF(0, 0, 64, 48), cache);
        }
        player.tick();
        for (const auto& ev : player.takeSoundEvents()) swf::decodeSound(*ev.sound);
        for (const auto* block : player.takeStreamBlocks())
            if (stream) stream->decodeBlock(*block);
    }
    player.gotoFrame(player.totalFrames());
    player.gotoFrame(1);
    player.mouseMove(100, 100);
    player.press(100, 100);
    player.release(100, 100);
    QPainter p(&img);
    swf::renderFrame(player, p, QRectF(0, 0, 64, 48), cache);
    return 0;
}
