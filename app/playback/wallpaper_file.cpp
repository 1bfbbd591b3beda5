#include "app/playback/wallpaper_file.h"

#include "platform/program_folder.h"

#include <QDir>
#include <QFile>

#include <unistd.h>

namespace playback {

QString wallpaperFilePath(const QString& programDir, const QString& dataHome, const QString& home) {
    const QString name = QString::fromLatin1(kWallpaperFileName);
    if (!programDir.isEmpty() && ::access(QFile::encodeName(programDir).constData(), W_OK) == 0)
        return platform::inFolder(programDir, name);
    const QString base = QDir::isAbsolutePath(dataHome)
                             ? dataHome
                             : platform::inFolder(home, QStringLiteral(".local/share"));
    return platform::inFolder(platform::inFolder(base, QStringLiteral("reelvista")), name);
}

QString wallpaperFilePath(const QString& programDir) {
    return wallpaperFilePath(programDir, qEnvironmentVariable("XDG_DATA_HOME"),
                             QDir::homePath());
}

} // namespace playback
