// Where the frame set as wallpaper is kept: "OrbisaneWallpaper.bmp" in the program folder
// when the program may write there (a build tree, a copy in the user's folders), else in
// the user's data folder, $XDG_DATA_HOME/reelvista/ (by default ~/.local/share/reelvista/),
// as an installed program's folder is not writable. Each use overwrites the same file.
#pragma once

#include <QString>

namespace playback {

inline constexpr char kWallpaperFileName[] = "OrbisaneWallpaper.bmp";

// The file's path. `dataHome` is $XDG_DATA_HOME, `home` is $HOME; a data home that is not
// an absolute path is ignored, as the XDG rules ask.
QString wallpaperFilePath(const QString& programDir, const QString& dataHome, const QString& home);

// The same from the process's environment.
QString wallpaperFilePath(const QString& programDir);

} // namespace playback
