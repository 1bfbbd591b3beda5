#include "app/lock/settings/locker_handoff.h"


namespace lock {

namespace {

constexpr char kTag[] = "RVLOCK1\n";

} // namespace

QString refusalMessage(int exitCode) {
    switch (static_cast<LockerExit>(exitCode)) {
    case LockerExit::GrabRefused:
        return QStringLiteral("The screen was not locked: another program is holding the "
                              "keyboard or the mouse (an open menu, perhaps). Close it and "
                              "lock again.");
    case LockerExit::WaylandRefused:
        return QStringLiteral("The screen was not locked: in a Wayland session no program "
                              "can hold the keyboard and the mouse for itself. Use the "
                              "desktop's own screen lock, or log in to an X11 session.");
    case LockerExit::NoDisplay:
        return QStringLiteral("The screen was not locked: there is no X display to lock.");
    case LockerExit::BadHandoff:
    case LockerExit::NotConfigured:
        return lockFailedMessage();
    case LockerExit::Unlocked:
        break;
    }
    return {};
}

QString lockFailedMessage() {
    return QStringLiteral("The screen was not locked: the lock screen program OrbisaneSCR.scr "
                          "could not be started.");
}

QByteArray encodeWorkingCopy(const ScreenSaverSettings& settings) {
    QByteArray bytes = kTag;
    for (const QString& text : {settings.moviePath, settings.password}) {
        const QByteArray utf8 = text.toUtf8();
        const quint32 size = quint32(utf8.size());
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.append(char((size >> shift) & 0xff));
        bytes.append(utf8);
    }
    bytes.append(settings.mute ? '1' : '0');
    return bytes;
}

std::optional<ScreenSaverSettings> decodeWorkingCopy(const QByteArray& bytes) {
    if (bytes.size() > kMaxHandoffSize || !bytes.startsWith(kTag)) return std::nullopt;
    qsizetype at = qsizetype(sizeof kTag) - 1;
    QString texts[2];
    for (QString& text : texts) {
        if (bytes.size() - at < 4) return std::nullopt;
        quint32 size = 0;
        for (int i = 0; i < 4; ++i)
            size = (size << 8) | quint8(bytes[at + i]);
        at += 4;
        if (size > quint32(bytes.size() - at)) return std::nullopt;
        text = QString::fromUtf8(bytes.mid(at, qsizetype(size)));
        at += qsizetype(size);
    }
    if (bytes.size() - at != 1 || (bytes[at] != '0' && bytes[at] != '1')) return std::nullopt;
    return ScreenSaverSettings{texts[0], texts[1], bytes[at] == '1'};
}

} // namespace lock
