// The main program's command line: reelvista [FILE.swf | FOLDER], --help, --version.
#pragma once

#include <QString>
#include <QStringList>

namespace desktop {

struct CommandLine {
    enum class Action { Run, Help, Version, Wrong };
    Action action = Action::Run;
    QStringList paths; // the arguments that are not options, in order
    QString error;     // with Wrong: what was wrong
};

// `args` without the program's name, before Qt has seen them: Qt's own options (-platform,
// -style and the like) are passed over. "--" ends the options; a lone "-" is a path.
CommandLine parseCommandLine(const QStringList& args);

QString helpText();
QString versionText();

} // namespace desktop
