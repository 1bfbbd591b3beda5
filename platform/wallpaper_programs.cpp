#include "platform/wallpaper_programs.h"

#include <QProcess>
#include <QStandardPaths>

namespace platform {

namespace {

// The first line of what the program said about its failure, kept short.
QString firstLine(const QByteArray& text) {
    QString line = QString::fromLocal8Bit(text).trimmed().section('\n', 0, 0).trimmed();
    constexpr int kLongest = 120;
    if (line.size() > kLongest) line = line.left(kLongest) + QStringLiteral("...");
    return line;
}

} // namespace

bool programInstalled(const QString& program) {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

ProgramRun runProgram(const QString& program, const QStringList& arguments, int timeoutMs) {
    ProgramRun run;
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        run.failure = QStringLiteral("not installed");
        return run;
    }
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(path, arguments);
    if (!process.waitForStarted(timeoutMs)) {
        run.failure = QStringLiteral("cannot start: ") + process.errorString();
        return run;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        run.failure = QStringLiteral("did not finish in %1 s").arg(timeoutMs / 1000.0);
        return run;
    }
    run.output = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit) {
        run.failure = QStringLiteral("crashed");
        return run;
    }
    if (process.exitCode() != 0) {
        run.failure = QStringLiteral("exit status %1").arg(process.exitCode());
        if (const QString said = firstLine(process.readAllStandardError()); !said.isEmpty())
            run.failure += QStringLiteral(": ") + said;
        return run;
    }
    run.ok = true;
    return run;
}

} // namespace platform
