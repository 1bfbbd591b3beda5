// Runs the desktops' own setting programs (gsettings, xfconf-query, swaymsg, ...), found
// on PATH, and waits for them with a time limit.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

struct ProgramRun {
    bool ok = false;     // started, finished in time and exited with status 0
    QByteArray output;   // what it wrote to standard output
    QString failure;     // why not ok: "not installed", "exit status 1: ...", ...
};

// Whether `program` is found on PATH.
bool programInstalled(const QString& program);

// Runs `program` (looked up on PATH) with `arguments`, without a shell. A program still
// running after `timeoutMs` is killed and counts as failed.
ProgramRun runProgram(const QString& program, const QStringList& arguments, int timeoutMs = 10000);

} // namespace platform
