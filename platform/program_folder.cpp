#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace platform {

QString programFolder() {
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QFileInfo(QFileInfo("/proc/self/exe").symLinkTarget()).absolutePath();
}

QString inFolder(const QString& folder, const QString& relative) {
    if (folder.endsWith('/')) return folder + relative;
    return folder + '/' + relative;
}

} // namespace platform
