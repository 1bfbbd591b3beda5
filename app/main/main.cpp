// Reelvista: the main window over the folder the program was started in, or over the
// folder or movie named on its command line. One program runs at a time: a later start
// hands its path to the running one and ends.
#include "command_line.h"
#include "form1.h"
#include "form1_desktop.h"
#include "open_target.h"
#include "single_instance.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

namespace {

QStringList argumentsOf(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

int say(std::FILE* to, const QString& text, int status) {
    std::fputs(text.toLocal8Bit().constData(), to);
    return status;
}

} // namespace

int main(int argc, char** argv) {
    using desktop::CommandLine;
    // Read before Qt looks for a display: help, version and mistakes need none.
    const CommandLine line = desktop::parseCommandLine(argumentsOf(argc, argv));
    if (line.action == CommandLine::Action::Help) return say(stdout, desktop::helpText(), 0);
    if (line.action == CommandLine::Action::Version) return say(stdout, desktop::versionText(), 0);
    if (line.action == CommandLine::Action::Wrong)
        return say(stderr,
                   QStringLiteral("reelvista: %1\nTry 'reelvista --help'.\n").arg(line.error), 2);
    const desktop::OpenTarget target = desktop::pickTarget(line.paths, QDir::currentPath());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Reelvista"));
    QApplication::setDesktopFileName(QStringLiteral("reelvista"));

    desktop::SingleInstance instance;
    // The running program is told the path as this start sees it.
    const QString request = target.usable() ? (target.kind == desktop::OpenTarget::Kind::Movie
                                                   ? target.movie
                                                   : target.folder)
                                            : QString();
    switch (instance.start(request)) {
    case desktop::SingleInstance::Start::Handed:
        if (!line.paths.isEmpty() && !target.usable())
            return say(stderr, QStringLiteral("reelvista: %1\n").arg(target.problem), 1);
        return 0;
    case desktop::SingleInstance::Start::Busy:
        return say(stderr,
                   QStringLiteral("reelvista: Reelvista is running with a dialog, the full-screen "
                                  "player or the lock screen open; try again once it is closed.\n"),
                   1);
    case desktop::SingleInstance::Start::NoAnswer:
        return say(stderr,
                   QStringLiteral("reelvista: a running Reelvista does not answer (%1).\n")
                       .arg(instance.socketPath()),
                   1);
    case desktop::SingleInstance::Start::Alone:
        say(stderr,
            QStringLiteral("reelvista: cannot listen on %1; other starts will not find this one.\n")
                .arg(instance.socketPath()),
            0);
        break;
    case desktop::SingleInstance::Start::Primary:
        break;
    }

    Form1Services services;
    if (target.usable()) services.startFolder = target.folder;
    Form1 form(std::move(services));
    Form1Desktop desktopHooks(form);
    instance.setReceiver([&desktopHooks](const QString& path) { return desktopHooks.takeRequest(path); });
    form.Form_Load();
    if (!line.paths.isEmpty()) desktopHooks.openAtStart(target);
    return QApplication::exec();
}
