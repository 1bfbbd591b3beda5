#include "app/lock/settings/screen_saver_settings.h"

#include "platform/posix_file.h"
#include "platform/replacing_file.h"

#include <QDir>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <vector>

namespace lock {

namespace {

// A settings file is three short lines; anything much larger is not one.
constexpr std::uint64_t kMaxFileSize = 1 << 16;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Makes `folder` and the folders above it that are missing, each open to its owner alone.
platform::Status makeFolder(const std::filesystem::path& folder) {
    if (folder.empty()) return platform::success();
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return platform::success();
        return swf::Error{"not a folder: " + folder.string()};
    }
    if (folder.has_parent_path() && folder.parent_path() != folder) {
        auto above = makeFolder(folder.parent_path());
        if (!swf::ok(above)) return above;
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return platform::systemError("cannot make the folder", folder, errno);
    return platform::success();
}

} // namespace

QString settingsFilePath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + "/.config";
    return base + "/reelvista/scr.ini";
}

QStringList readFields(const QByteArray& text) {
    QStringList fields;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (true) {
        while (i < n && (isBlank(text[i]) || isLineEnd(text[i])))
            ++i;
        if (i >= n) break;
        QByteArray field;
        if (text[i] == '"') {
            const qsizetype close = text.indexOf('"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            field = text.mid(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
            // Whatever follows the closing quote up to the separator belongs to no field.
            while (i < n && text[i] != ',' && !isLineEnd(text[i]))
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != ',' && !isLineEnd(text[i]))
                ++i;
            qsizetype end = i;
            while (end > start && isBlank(text[end - 1]))
                --end;
            field = text.mid(start, end - start);
        }
        fields.append(QString::fromUtf8(field));
        if (i < n && text[i] == ',') ++i;
    }
    return fields;
}

QByteArray formatSettings(const QString& moviePath, const QString& password, int muteBox) {
    return '"' + moviePath.toUtf8() + "\"\r\n\"" + password.toUtf8() + "\"\r\n" +
           QByteArray::number(muteBox) + "\r\n";
}

swf::Result<QStringList> readSettingsFields(const QString& path) {
    auto opened = platform::InputFile::open(path.toStdString());
    if (auto* e = std::get_if<swf::Error>(&opened)) return *e;
    const platform::InputFile& file = std::get<platform::InputFile>(opened);
    if (file.size() > kMaxFileSize) return swf::Error{"too large for a settings file: " +
                                                      path.toStdString()};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(file.size()));
    auto read = file.readAt(0, bytes);
    if (auto* e = std::get_if<swf::Error>(&read)) return *e;
    bytes.resize(std::get<std::size_t>(read));
    QStringList fields = readFields(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
    if (fields.size() < 3) return swf::Error{"fewer than three settings in " + path.toStdString()};
    return fields;
}

swf::Result<ScreenSaverSettings> readSettingsFile(const QString& path) {
    auto read = readSettingsFields(path);
    if (auto* e = std::get_if<swf::Error>(&read)) return *e;
    const QStringList& f = std::get<QStringList>(read);
    return ScreenSaverSettings{f[0], f[1], f[2] != QLatin1String("0")};
}

platform::Status writeSettingsFile(const QString& path, const QByteArray& text) {
    const std::filesystem::path target = path.toStdString();
    auto folder = makeFolder(target.parent_path());
    if (!swf::ok(folder)) return folder;
    auto created = platform::ReplacingFile::create(target, 0600);
    if (auto* e = std::get_if<swf::Error>(&created)) return *e;
    platform::ReplacingFile& file = std::get<platform::ReplacingFile>(created);
    auto written = file.write(std::span(reinterpret_cast<const std::uint8_t*>(text.constData()),
                                        std::size_t(text.size())));
    if (!swf::ok(written)) return written;
    return file.commit();
}

} // namespace lock
