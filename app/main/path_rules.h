// Rules the main window applies to paths and texts it shows.
#pragma once

#include <QString>

#include <optional>

namespace browse {

// A path beginning with a doubled "/" (a file name joined to the root folder "/") with
// the doubled separator made single; nothing when the path does not begin so.
std::optional<QString> repairDoubledRoot(const QString& path);

// A folder's path joined to a file name with "/" (giving "//name" in the root folder).
QString joinFolderAndName(const QString& folder, const QString& name);

// The test for a movie name: the last four characters are exactly ".swf".
bool endsWithSwf(const QString& path);

// Status line texts.
QString folderCountText(int count);
QString loadingText();
QString selectedFilesText(int count);

} // namespace browse
