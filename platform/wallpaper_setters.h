// The wallpaper through the running desktop's own settings. Only the detected desktop's
// setter is used, never another desktop's settings; when it fails, or the desktop is not
// known, an X11 session falls back to the plain X11 setters:
//   GNOME and relatives  gsettings org.gnome.desktop.background picture-uri, picture-uri-dark
//   Cinnamon             gsettings org.cinnamon.desktop.background picture-uri
//   MATE                 gsettings org.mate.background picture-filename (a path)
//     (all three: a picture-options of 'none', which shows no picture, becomes 'zoom')
//   KDE Plasma           plasma-apply-wallpaperimage, else the shell's evaluateScript
//   Xfce                 xfconf-query, every .../last-image key of xfce4-desktop
//   LXQt, LXDE           pcmanfm-qt / pcmanfm --set-wallpaper
//   sway                 swaymsg output * bg FILE fill
//   plain X11            feh --bg-fill, xwallpaper --zoom, else the root window's pixmap
// Desktops ignore a setting set to the value it already has, which is what setting the
// same file again looks like: the stored settings are set empty first, then to the file.
#pragma once

#include "platform/io_status.h"
#include "platform/wallpaper.h"
#include "platform/wallpaper_desktop.h"

#include <QByteArray>

#include <functional>

namespace platform {

class DesktopWallpaper final : public Wallpaper {
  public:
    // Shows an image file on the X root window of a display.
    using RootPixmapSetter = std::function<Status(const QString& file, const QByteArray& display)>;

    explicit DesktopWallpaper(DesktopEnvironment env, RootPixmapSetter rootPixmap = {});

    WallpaperOutcome setWallpaper(const QString& file) override;

  private:
    bool setForDesktop(Desktop desktop, const QString& file, QStringList& tried);
    bool setOnX11(const QString& file, QStringList& tried);

    DesktopEnvironment env_;
    RootPixmapSetter rootPixmap_;
};

// A text as a GVariant string literal, as gsettings reads its values: 'it\'s'.
QString gvariantString(const QString& text);

} // namespace platform
