#include "command_line.h"

namespace desktop {

namespace {

// Qt's own options, which the application object takes out of the arguments: these are
// passed over (with their values).
const QStringList kQtOptionsWithValue = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle", "display", "geometry", "style", "stylesheet", "session",
    "name", "title", "visual", "qmljsdebugger"};
const QStringList kQtFlags = {"reverse", "nograb", "dograb", "sync", "widgetcount", "testability"};

// The option's name without its dashes ("-style", "--style" and "-style=x" give "style").
QString optionName(const QString& arg) {
    QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
    return name.left(name.indexOf(QLatin1Char('=')));
}

} // namespace

CommandLine parseCommandLine(const QStringList& args) {
    CommandLine line;
    bool options = true;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool option = options && arg.size() > 1 && arg.startsWith(QLatin1Char('-'));
        if (option && kQtFlags.contains(optionName(arg))) continue;
        if (option && kQtOptionsWithValue.contains(optionName(arg))) {
            if (!arg.contains(QLatin1Char('='))) ++i;
            continue;
        }
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (options && (arg == QLatin1String("--version") || arg == QLatin1String("-v"))) {
            line.action = CommandLine::Action::Version;
            return line;
        } else if (option) {
            line.action = CommandLine::Action::Wrong;
            line.error = QStringLiteral("unknown option %1").arg(arg);
            return line;
        } else {
            line.paths << arg;
        }
    }
    return line;
}

QString helpText() {
    return QStringLiteral(
        "Usage: reelvista [FILE.swf | FOLDER]\n"
        "Browse and play Shockwave Flash movies.\n"
        "\n"
        "  FOLDER       list the folder's movies in the preview grid\n"
        "  FILE.swf     list the movie's folder and play the movie in the mini player\n"
        "  -h, --help     show this help and end\n"
        "  -v, --version  show the version and end\n"
        "\n"
        "Of several paths the first movie counts, else the first folder. When Reelvista\n"
        "is already running, the path goes to the running program and this one ends.\n"
        "See reelvista(1).\n");
}

QString versionText() {
    return QStringLiteral("reelvista " REELVISTA_VERSION_TEXT "\n");
}

} // namespace desktop
