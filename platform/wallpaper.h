// The desktop wallpaper as a persistent setting of the user's desktop: setting it to an
// image file shows that file as the background now and in later sessions.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace platform {

struct WallpaperOutcome {
    bool set = false;
    // Each setter that was tried, in order, with why it failed ("feh: not installed").
    QStringList tried;
};

class Wallpaper {
  public:
    virtual ~Wallpaper() = default;
    // Sets the wallpaper to `file`, an image the desktop can read. A file of the same name
    // set again with new content shows the new content.
    virtual WallpaperOutcome setWallpaper(const QString& file) = 0;
};

// The running desktop's wallpaper, found from the process's environment.
std::unique_ptr<Wallpaper> makeDesktopWallpaper();

} // namespace platform
