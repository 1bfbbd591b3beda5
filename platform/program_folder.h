// The program folder: the folder of the running executable. Files shipped with the
// program (default.swf, skins/, exeh, help) are found there.
#pragma once

#include <QString>

namespace platform {

// Without a running QCoreApplication, the folder of /proc/self/exe.
QString programFolder();

// `relative` (e.g. "skins/winaqua.skn") inside `folder`, with one "/" between them.
QString inFolder(const QString& folder, const QString& relative);

} // namespace platform
