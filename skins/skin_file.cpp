#include "skins/skin_file.h"

#include <QFile>
#include <QSaveFile>

namespace skins {

namespace {

const QByteArray kHeader = QByteArrayLiteral("REELVISTA-SKIN 1\n");
const QByteArray kEnd = QByteArrayLiteral("END\n");
constexpr int kMaxLine = 128;

swf::Error fail(const QString& what) {
    return swf::Error{("skin file: " + what).toStdString()};
}

} // namespace

QString SkinPackage::styleSheet() const {
    auto it = files.find(kStyleSheetEntry);
    return it == files.end() ? QString() : QString::fromUtf8(it->second);
}

bool isValidEntryName(const QString& name) {
    if (name.isEmpty() || name.size() > 64 || name.startsWith('.')) return false;
    for (QChar c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
        if (!ok) return false;
    }
    return true;
}

swf::Result<SkinPackage> parseSkin(const QByteArray& data) {
    if (data.size() > kMaxSkinFileSize) return fail("too large");
    if (!data.startsWith(kHeader)) return fail("not a skin file");
    SkinPackage package;
    qsizetype at = kHeader.size();
    for (;;) {
        const qsizetype eol = data.indexOf('\n', at);
        if (eol < 0 || eol - at > kMaxLine) return fail("truncated entry line");
        const QByteArray line = data.mid(at, eol - at);
        at = eol + 1;
        if (line + '\n' == kEnd) break;
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() != 2) return fail("bad entry line");
        const QString name = QString::fromLatin1(fields[0]);
        bool ok = false;
        const qlonglong size = fields[1].toLongLong(&ok);
        if (!isValidEntryName(name) || !ok || size < 0 || fields[1].startsWith('+'))
            return fail("bad entry line");
        if (size > data.size() - at - 1) return fail("truncated entry " + name);
        if (data[at + size] != '\n') return fail("entry " + name + " has the wrong size");
        if (package.files.count(name)) return fail("entry " + name + " twice");
        if (static_cast<int>(package.files.size()) >= kMaxEntries) return fail("too many entries");
        package.files[name] = data.mid(at, size);
        at += size + 1;
    }
    if (at != data.size()) return fail("data after the end");
    if (!package.files.count(kStyleSheetEntry)) return fail("no style sheet");
    return package;
}

swf::Result<SkinPackage> readSkinFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return fail("cannot open " + path);
    if (file.size() > kMaxSkinFileSize) return fail("too large");
    return parseSkin(file.read(kMaxSkinFileSize + 1));
}

QByteArray serializeSkin(const SkinPackage& package) {
    QByteArray out = kHeader;
    for (const auto& [name, contents] : package.files) {
        out += name.toLatin1() + ' ' + QByteArray::number(contents.size()) + '\n';
        out += contents;
        out += '\n';
    }
    out += kEnd;
    return out;
}

swf::Result<std::monostate> writeSkinFile(const QString& path, const SkinPackage& package) {
    for (const auto& entry : package.files)
        if (!isValidEntryName(entry.first)) return fail("bad entry name " + entry.first);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return fail("cannot write " + path);
    const QByteArray data = serializeSkin(package);
    if (file.write(data) != data.size() || !file.commit()) return fail("cannot write " + path);
    return std::monostate{};
}

} // namespace skins
