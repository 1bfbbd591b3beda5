#include "path_rules.h"

namespace browse {

std::optional<QString> repairDoubledRoot(const QString& path) {
    if (!path.startsWith(QLatin1String("//"))) return std::nullopt;
    return "/" + path.mid(2);
}

QString joinFolderAndName(const QString& folder, const QString& name) {
    return folder + "/" + name;
}

bool endsWithSwf(const QString& path) {
    return path.endsWith(QLatin1String(".swf"), Qt::CaseSensitive);
}

QString folderCountText(int count) {
    return "There are " + QString::number(count) + " .swf files in this direction.";
}

QString loadingText() {
    return QStringLiteral("Loading now... Please wait ...");
}

QString selectedFilesText(int count) {
    return "Selected " + QString::number(count) + " Files";
}

} // namespace browse
