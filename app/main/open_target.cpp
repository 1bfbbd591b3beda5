#include "open_target.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace desktop {

namespace {

OpenTarget refused(const QString& path, const QString& why) {
    OpenTarget t;
    t.problem = QStringLiteral("Cannot open %1: %2").arg(path, why);
    return t;
}

} // namespace

bool isMovieName(const QString& path) {
    return path.endsWith(QLatin1String(".swf"), Qt::CaseInsensitive);
}

OpenTarget classifyPath(const QString& path, const QString& base) {
    if (path.isEmpty()) return refused(QStringLiteral("\"\""), QStringLiteral("no path given."));
    QString local = path;
    if (path.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(path);
        if (!url.isValid() || !url.isLocalFile())
            return refused(path, QStringLiteral("not a local file."));
        local = url.toLocalFile();
    }
    const QFileInfo info(QDir(base), local);
    const QString absolute = QDir::cleanPath(info.absoluteFilePath());
    if (!info.exists()) return refused(absolute, QStringLiteral("no such file or folder."));

    OpenTarget t;
    if (info.isDir()) {
        if (!info.isReadable() || !info.isExecutable())
            return refused(absolute, QStringLiteral("the folder cannot be read."));
        t.kind = OpenTarget::Kind::Folder;
        t.folder = absolute;
        return t;
    }
    if (!info.isFile() || !isMovieName(absolute))
        return refused(absolute, QStringLiteral("not a .swf movie."));
    if (!info.isReadable()) return refused(absolute, QStringLiteral("the file cannot be read."));
    t.kind = OpenTarget::Kind::Movie;
    t.movie = absolute;
    t.folder = QFileInfo(absolute).absolutePath();
    return t;
}

OpenTarget pickTarget(const QStringList& paths, const QString& base) {
    if (paths.isEmpty()) return {};
    OpenTarget firstFolder;
    OpenTarget firstRefusal;
    for (const QString& path : paths) {
        OpenTarget t = classifyPath(path, base);
        if (t.kind == OpenTarget::Kind::Movie) return t;
        if (t.kind == OpenTarget::Kind::Folder && !firstFolder.usable()) firstFolder = t;
        if (!t.usable() && firstRefusal.problem.isEmpty()) firstRefusal = t;
    }
    return firstFolder.usable() ? firstFolder : firstRefusal;
}

QStringList localPaths(const QMimeData& data) {
    QStringList paths;
    if (!data.hasUrls()) return paths;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) paths << url.toLocalFile();
    return paths;
}

} // namespace desktop
