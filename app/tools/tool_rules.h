// Small rules the file tools share: how they test the current file's type, how they treat
// names from a file dialog, and how they make the main window list its folder again.
#pragma once

#include "app/tools/tool_host.h"

#include <QString>

namespace tools {

// Case-sensitive tests of the current file's type. Which one applies is each command's.
inline bool endsWithSwf(const QString& path) {
    return path.endsWith(QLatin1String("swf"));
}
inline bool endsWithDotSwf(const QString& path) {
    return path.endsWith(QLatin1String(".swf"));
}

// A name from a file dialog up to its first NUL character.
QString cutAtNul(const QString& name);

// `text` less its last `count` characters (empty when it has fewer).
QString withoutLast(const QString& text, int count);

// The status text after a file was chosen: "Selected <count> Files", or "Selected 0 Files"
// when the chosen name is empty or the bare pattern "*.swf".
QString selectedFilesText(const QString& chosenName, int count);

// Makes the main window list its folder again from scratch: the folder list goes to the
// root and back, with a folder change run in between.
void reListFolder(ToolHost& host);

} // namespace tools
