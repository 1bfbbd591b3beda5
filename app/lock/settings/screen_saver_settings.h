// The screen saver's settings: the movie it shows, the password that ends it and whether
// the speakers are muted meanwhile. The configuration dialog writes them to one settings
// file per user and the screen saver reads them from there; both find the file through
// settingsFilePath().
//
// The file holds three lines, each ended by CR LF: the movie path in double quotes, the
// password in double quotes, and the mute flag as 1 or 0. Strings are written without
// escaping, so a path or password holding a double quote does not survive the round trip.
#pragma once

#include "platform/io_status.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace lock {

struct ScreenSaverSettings {
    QString moviePath;
    QString password;
    bool mute = true;
    bool operator==(const ScreenSaverSettings&) const = default;
};

// $XDG_CONFIG_HOME/reelvista/scr.ini, or ~/.config/reelvista/scr.ini where that variable is
// unset, empty or not an absolute path.
QString settingsFilePath();

// The fields of a settings text as the quote-aware reader takes them: leading blanks are
// skipped; a field that begins with a double quote runs to the next double quote (or the end
// of the text), any other field to the next comma or line end. Empty lines between fields
// are skipped.
QStringList readFields(const QByteArray& text);

// The file's text for the three values; the mute line is `muteBox` as the dialog's check box
// gives it (1 or 0).
QByteArray formatSettings(const QString& moviePath, const QString& password, int muteBox);

// Reads the three fields; the mute flag is set unless the third field is exactly "0". An
// error when the file is missing, unreadable, not a regular file, oversized, or holds fewer
// than three fields.
swf::Result<ScreenSaverSettings> readSettingsFile(const QString& path);
// The raw fields, for readers that keep the third one as text.
swf::Result<QStringList> readSettingsFields(const QString& path);

// Writes the file through a temporary file and a rename, readable by its owner alone; a
// missing folder is made, open to its owner alone. The earlier file stays whole on failure.
platform::Status writeSettingsFile(const QString& path, const QByteArray& text);

} // namespace lock
