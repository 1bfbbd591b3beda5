#include "app/lock/locker_launcher.h"

#include "app/lock/settings/locker_handoff.h"

namespace lock {

LockerProcess::LockerProcess(QString program) : program_(std::move(program)) {}

LockerProcess::~LockerProcess() = default;

void LockerProcess::launch(const ScreenSaverSettings& workingCopy) {
    if (process_) return;
    locked_ = false;
    shown_ = false;
    output_.clear();
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kRoleVariable), QString::fromLatin1(kLockRole));
    env.remove(QStringLiteral("XSS_SLEEP_LOCK_FD"));
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcess* raw = process.get();
    connect(raw, &QProcess::readyReadStandardOutput, this, &LockerProcess::readOutput);
    connect(raw, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        readOutput();
        LockerEnd end;
        end.exitCode = code;
        end.wasLocked = locked_;
        if (status == QProcess::NormalExit && code == int(LockerExit::Unlocked))
            end.kind = LockerEnd::Kind::Unlocked;
        else if (status == QProcess::NormalExit && !refusalMessage(code).isEmpty() && !locked_)
            end.kind = LockerEnd::Kind::Refused;
        finish(end);
    });
    connect(raw, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) finish(LockerEnd{});
    });
    process_ = std::move(process);
    raw->start(program_, {});
    if (!process_ || process_.get() != raw) return; // failed at once
    raw->write(encodeWorkingCopy(workingCopy));
    raw->closeWriteChannel();
}

void LockerProcess::readOutput() {
    if (!process_) return;
    output_ += process_->readAllStandardOutput();
    if (output_.size() > 4096) output_ = output_.right(64);
    const QList<QByteArray> lines = output_.split('\n');
    if (!locked_ && lines.contains(kLockedLine)) {
        locked_ = true;
        if (onLocked) onLocked();
    }
    if (locked_ && !shown_ && lines.contains(kShownLine)) {
        shown_ = true;
        if (onShown) onShown();
    }
}

void LockerProcess::finish(LockerEnd end) {
    if (!process_) return;
    // Dropped once its signal has been handled.
    process_.release()->deleteLater();
    if (onEnded) onEnded(end);
}

} // namespace lock
