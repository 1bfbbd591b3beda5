#include "app/playback/capture_bitmap_file.h"

#include "platform/file_system.h"
#include "platform/replacing_file.h"

#include <QBuffer>
#include <QImageWriter>

namespace playback {

swf::Result<QByteArray> encodeBitmap(const Picture& picture) {
    if (picture.isNull()) return swf::Error{"no picture was captured"};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    // Qt's writer keeps an 8-bit picture's colour table and writes 32-bit pixels as 24.
    if (!writer.write(picture.bitmap))
        return swf::Error{"cannot encode the bitmap: " + writer.errorString().toStdString()};
    return bytes;
}

platform::Status saveBitmapFile(const Picture& picture, const QString& path) {
    auto bytes = encodeBitmap(picture);
    if (auto* error = std::get_if<swf::Error>(&bytes)) return *error;
    return writeReplacing(std::get<QByteArray>(bytes), path);
}

platform::Status writeReplacing(const QByteArray& data, const QString& path) {
    auto file = platform::ReplacingFile::create(platform::toFsPath(path), 0666);
    if (auto* error = std::get_if<swf::Error>(&file)) return *error;
    auto& out = std::get<platform::ReplacingFile>(file);
    if (auto written = out.write({reinterpret_cast<const std::uint8_t*>(data.constData()),
                                  static_cast<size_t>(data.size())});
        std::holds_alternative<swf::Error>(written))
        return written;
    return out.commit();
}

} // namespace playback
