// Starts the locker, the screen saver program in its lock role, as a process of its own, and
// reports how it went. Tests replace it.
#pragma once

#include "app/lock/settings/screen_saver_settings.h"

#include <QObject>
#include <QProcess>

#include <functional>
#include <memory>

namespace lock {

struct LockerEnd {
    enum class Kind {
        Unlocked, // ended by the password
        Refused,  // refused to lock, having changed nothing; `exitCode` says why
        Failed,   // could not be started, or ended otherwise (crashed, killed)
    };
    Kind kind = Kind::Failed;
    int exitCode = -1;
    // Whether it had reported the screen locked before it ended.
    bool wasLocked = false;
};

class LockerLauncher {
  public:
    virtual ~LockerLauncher() = default;
    // Starts the locker with `workingCopy`; onLocked and onEnded follow.
    virtual void launch(const ScreenSaverSettings& workingCopy) = 0;
    virtual bool running() const = 0;

    std::function<void()> onLocked;
    // The movie's first frame is on the screen.
    std::function<void()> onShown;
    std::function<void(const LockerEnd&)> onEnded;
};

// The real one: `program` started with the lock role in its environment and the working
// copy written to its standard input, which is then closed.
class LockerProcess final : public QObject, public LockerLauncher {
    Q_OBJECT
  public:
    explicit LockerProcess(QString program);
    ~LockerProcess() override;

    void launch(const ScreenSaverSettings& workingCopy) override;
    bool running() const override { return process_ != nullptr; }
    qint64 processId() const { return process_ ? process_->processId() : 0; }

  private:
    void readOutput();
    void finish(LockerEnd end);

    QString program_;
    std::unique_ptr<QProcess> process_;
    QByteArray output_;
    bool locked_ = false;
    bool shown_ = false;
};

} // namespace lock
