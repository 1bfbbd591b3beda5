// Captured pictures as Windows bitmap (.bmp) files, written by Qt's image writer.
#pragma once

#include "app/playback/capture_picture.h"

#include "platform/io_status.h"

#include <QByteArray>
#include <QString>

namespace playback {

// The BMP file of a picture: 8 bits per pixel with its palette when it has one, else 24
// bits per pixel.
swf::Result<QByteArray> encodeBitmap(const Picture& picture);

// Writes the picture's BMP file to `path` through a temporary file beside it, renamed
// into place at the end: a failed write leaves an earlier file of that name as it was.
platform::Status saveBitmapFile(const Picture& picture, const QString& path);

// The writing part alone: `bytes` become the file `path` in the same way.
platform::Status writeReplacing(const QByteArray& bytes, const QString& path);

} // namespace playback
