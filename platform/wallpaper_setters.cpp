#include "platform/wallpaper_setters.h"

#include "platform/wallpaper_programs.h"
#include "platform/wallpaper_root_pixmap.h"

#include <QUrl>

namespace platform {

namespace {

// Runs one setting program; a failure goes into `tried` under `name`.
bool attempt(const QString& name, const QString& program, const QStringList& arguments,
             QStringList& tried) {
    const ProgramRun run = runProgram(program, arguments);
    if (!run.ok) tried << name + QStringLiteral(": ") + run.failure;
    return run.ok;
}

QString fileUri(const QString& file) {
    return QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
}

// A desktop of the GNOME family: `keys` of `schema` set empty, then to `value`. The first
// key decides; the others may be missing from older versions of the schema.
bool setThroughGSettings(const QString& schema, const QStringList& keys, const QString& value,
                         QStringList& tried) {
    const QString gsettings = QStringLiteral("gsettings");
    const QString set = QStringLiteral("set");
    for (qsizetype i = 0; i < keys.size(); ++i) {
        runProgram(gsettings, {set, schema, keys[i], QStringLiteral("''")});
        const ProgramRun run = runProgram(gsettings, {set, schema, keys[i], gvariantString(value)});
        if (i == 0 && !run.ok) {
            tried << gsettings + ' ' + schema + QStringLiteral(": ") + run.failure;
            return false;
        }
    }
    const QString options = QStringLiteral("picture-options");
    const ProgramRun current = runProgram(gsettings, {QStringLiteral("get"), schema, options});
    if (current.ok && current.output.trimmed() == "'none'")
        runProgram(gsettings, {set, schema, options, QStringLiteral("'zoom'")});
    return true;
}

// The Plasma shell's script for every desktop: its image wallpaper shows each image in
// turn.
QString plasmaScript(const QStringList& images) {
    QString script = QStringLiteral(
        "var all = desktops();\n"
        "for (var i = 0; i < all.length; ++i) {\n"
        "    var d = all[i];\n"
        "    d.wallpaperPlugin = 'org.kde.image';\n"
        "    d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];\n");
    for (QString image : images) {
        image.replace('\\', QLatin1String("\\\\")).replace('\'', QLatin1String("\\'"));
        script += QStringLiteral("    d.writeConfig('Image', '") + image + QStringLiteral("');\n");
    }
    return script + QStringLiteral("}\n");
}

QStringList plasmaScriptCall(const QStringList& images) {
    return {QStringLiteral("--session"),
            QStringLiteral("--print-reply"),
            QStringLiteral("--dest=org.kde.plasmashell"),
            QStringLiteral("--type=method_call"),
            QStringLiteral("/PlasmaShell"),
            QStringLiteral("org.kde.PlasmaShell.evaluateScript"),
            QStringLiteral("string:") + plasmaScript(images)};
}

bool setOnPlasma(const QString& file, QStringList& tried) {
    const QString dbusSend = QStringLiteral("dbus-send");
    const QString apply = QStringLiteral("plasma-apply-wallpaperimage");
    if (programInstalled(apply)) {
        // The tool writes the image's address only: the shell is made to forget the
        // old one first.
        if (programInstalled(dbusSend)) runProgram(dbusSend, plasmaScriptCall({QString()}));
        if (attempt(apply, apply, {file}, tried)) return true;
    }
    return attempt(QStringLiteral("plasmashell evaluateScript"), dbusSend,
                   plasmaScriptCall({QString(), fileUri(file)}), tried);
}

bool setOnXfce(const QString& file, const QString& monitor, QStringList& tried) {
    const QString name = QStringLiteral("xfconf-query");
    const QStringList channel{QStringLiteral("-c"), QStringLiteral("xfce4-desktop")};
    const ProgramRun list = runProgram(name, channel + QStringList{QStringLiteral("-l")});
    if (!list.ok) {
        tried << name + QStringLiteral(": ") + list.failure;
        return false;
    }
    QStringList keys;
    for (const QByteArray& line : list.output.split('\n'))
        if (const QString key = QString::fromUtf8(line.trimmed());
            key.endsWith(QLatin1String("/last-image")))
            keys << key;
    if (keys.isEmpty()) {
        const QString key = QStringLiteral("/backdrop/screen0/monitor") +
                            (monitor.isEmpty() ? QStringLiteral("0") : monitor) +
                            QStringLiteral("/workspace0/last-image");
        return attempt(name, name,
                       channel + QStringList{QStringLiteral("-p"), key, QStringLiteral("-n"),
                                             QStringLiteral("-t"), QStringLiteral("string"),
                                             QStringLiteral("-s"), file},
                       tried);
    }
    bool all = true;
    for (const QString& key : keys) {
        runProgram(name, channel + QStringList{QStringLiteral("-p"), key, QStringLiteral("-s"),
                                               QString()});
        all = attempt(name, name,
                      channel + QStringList{QStringLiteral("-p"), key, QStringLiteral("-s"), file},
                      tried) &&
              all;
    }
    return all;
}

} // namespace

QString gvariantString(const QString& text) {
    QString escaped = text;
    escaped.replace('\\', QLatin1String("\\\\")).replace('\'', QLatin1String("\\'"));
    return '\'' + escaped + '\'';
}

DesktopWallpaper::DesktopWallpaper(DesktopEnvironment env, RootPixmapSetter rootPixmap)
    : env_(std::move(env)), rootPixmap_(std::move(rootPixmap)) {
    if (!rootPixmap_) rootPixmap_ = setRootPixmapFromFile;
}

WallpaperOutcome DesktopWallpaper::setWallpaper(const QString& file) {
    WallpaperOutcome outcome;
    outcome.set = setForDesktop(detectDesktop(env_), file, outcome.tried) ||
                  (isX11Session(env_) && setOnX11(file, outcome.tried));
    return outcome;
}

bool DesktopWallpaper::setForDesktop(Desktop desktop, const QString& file, QStringList& tried) {
    const QString pictureUri = QStringLiteral("picture-uri");
    switch (desktop) {
    case Desktop::Gnome:
        return setThroughGSettings(QStringLiteral("org.gnome.desktop.background"),
                                   {pictureUri, QStringLiteral("picture-uri-dark")},
                                   fileUri(file), tried);
    case Desktop::Cinnamon:
        return setThroughGSettings(QStringLiteral("org.cinnamon.desktop.background"),
                                   {pictureUri}, fileUri(file), tried);
    case Desktop::Mate:
        return setThroughGSettings(QStringLiteral("org.mate.background"),
                                   {QStringLiteral("picture-filename")}, file, tried);
    case Desktop::Plasma:
        return setOnPlasma(file, tried);
    case Desktop::Xfce:
        return setOnXfce(file, env_.primaryMonitor, tried);
    case Desktop::LXQt:
        return attempt(QStringLiteral("pcmanfm-qt"), QStringLiteral("pcmanfm-qt"),
                       {QStringLiteral("--set-wallpaper"), file}, tried);
    case Desktop::LXDE:
        return attempt(QStringLiteral("pcmanfm"), QStringLiteral("pcmanfm"),
                       {QStringLiteral("--set-wallpaper"), file}, tried);
    case Desktop::Sway:
        return attempt(QStringLiteral("swaymsg"), QStringLiteral("swaymsg"),
                       {QStringLiteral("output"), QStringLiteral("*"), QStringLiteral("bg"), file,
                        QStringLiteral("fill")},
                       tried);
    case Desktop::Unknown:
        break;
    }
    return false;
}

bool DesktopWallpaper::setOnX11(const QString& file, QStringList& tried) {
    for (const auto& [program, option] :
         {std::pair{QStringLiteral("feh"), QStringLiteral("--bg-fill")},
          std::pair{QStringLiteral("xwallpaper"), QStringLiteral("--zoom")}})
        if (programInstalled(program) && attempt(program, program, {option, file}, tried))
            return true;
    const Status root = rootPixmap_(file, env_.display.toLocal8Bit());
    if (const auto* error = std::get_if<swf::Error>(&root)) {
        tried << QStringLiteral("X root window: ") + QString::fromStdString(error->message);
        return false;
    }
    return true;
}

std::unique_ptr<Wallpaper> makeDesktopWallpaper() {
    return std::make_unique<DesktopWallpaper>(DesktopEnvironment::fromProcess());
}

} // namespace platform
