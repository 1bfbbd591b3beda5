#include "app/tools/tool_rules.h"

namespace tools {

QString cutAtNul(const QString& name) {
    const qsizetype nul = name.indexOf(QChar(u'\0'));
    return nul < 0 ? name : name.left(nul);
}

QString withoutLast(const QString& text, int count) {
    return text.left(std::max<qsizetype>(0, text.size() - count));
}

QString selectedFilesText(const QString& chosenName, int count) {
    const bool chosen = !chosenName.isEmpty() && chosenName != QLatin1String("*.swf");
    return QStringLiteral("Selected %1 Files").arg(chosen ? count : 0);
}

void reListFolder(ToolHost& host) {
    const QString folder = host.folderPath();
    host.setFolderPath(QStringLiteral("/"));
    host.Dir1_Change();
    host.setFolderPath(folder);
}

} // namespace tools
