// The .skn skin file: a Qt style sheet and the pictures it uses, in one file.
//
//   REELVISTA-SKIN 1\n
//   <name> <size>\n<size bytes>\n      one entry per file; "style.qss" is the style sheet
//   END\n
//
// Names are 1 to 64 characters of letters, digits, '.', '_' and '-', not starting with '.'.
// The style sheet refers to a picture of the package as url(skin:<name>).
#pragma once

#include "swf/format/types.h"

#include <QByteArray>
#include <QString>

#include <map>

namespace skins {

inline const QString kStyleSheetEntry = QStringLiteral("style.qss");
inline constexpr qint64 kMaxSkinFileSize = 32 * 1024 * 1024;
inline constexpr int kMaxEntries = 256;

struct SkinPackage {
    std::map<QString, QByteArray> files; // name -> contents, style.qss among them

    QString styleSheet() const;
};

bool isValidEntryName(const QString& name);

// Reads a package; a file that breaks any rule above (or has no style sheet) is an error.
swf::Result<SkinPackage> parseSkin(const QByteArray& data);
swf::Result<SkinPackage> readSkinFile(const QString& path);

QByteArray serializeSkin(const SkinPackage& package);
// Writes through a temporary file beside `path` and a rename.
swf::Result<std::monostate> writeSkinFile(const QString& path, const SkinPackage& package);

} // namespace skins
