// The plain X11 wallpaper: the root window's background pixmap, published through the
// _XROOTPMAP_ID and ESETROOT_PMAP_ID properties that pseudo-transparent programs and
// other wallpaper setters read. The pixmap outlives the program: its connection's
// resources are kept when it closes. The pixmap left by an earlier run (of this or any
// setter following the same convention: both properties name it) is freed.
#pragma once

#include "platform/io_status.h"

#include <QByteArray>
#include <QImage>
#include <QString>

namespace platform {

// Shows `image` on the root window of the X display `display` (empty: $DISPLAY), scaled
// to cover the whole screen and centred.
Status setRootPixmap(const QImage& image, const QByteArray& display);

// The same for an image file.
Status setRootPixmapFromFile(const QString& file, const QByteArray& display);

} // namespace platform
