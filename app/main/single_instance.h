// One main program at a time: the first start listens on a local socket in the user's
// runtime folder; a later start hands its request (the path it was given, or nothing)
// to the running program over that socket and ends.
//
// A request is a 4-byte big-endian length and that many bytes of UTF-8 text; the answer
// is one byte, 'y' when the running program took the request and 'n' when it is busy.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <functional>

class QLocalSocket;

namespace desktop {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    enum class Start {
        Primary, // this is the running program now
        Handed,  // the running program took the request
        Busy,    // the running program refused it for now (a dialog is open, say)
        NoAnswer, // something listens but does not answer
        Alone,   // no socket could be set up: running without the hand-over
    };

    // "reelvista.socket" in the user's runtime folder ($XDG_RUNTIME_DIR).
    static QString defaultSocketPath();

    explicit SingleInstance(QString socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Hands `request` over to a running program, or becomes the running program. A socket
    // left behind by a program that ended is taken over.
    Start start(const QString& request, int answerTimeoutMs = 5000);

    // Runs for each request handed over while this is the running program; returns
    // whether it was taken.
    void setReceiver(std::function<bool(const QString&)> receiver) { receiver_ = std::move(receiver); }

    const QString& socketPath() const { return path_; }

    // Longest request accepted, in bytes.
    static constexpr quint32 kMaxRequest = 64 * 1024;

  private:
    enum class Sent { Taken, Refused, NoAnswer, NobodyThere };
    Sent send(const QString& request, int answerTimeoutMs) const;
    void accept();
    void readFrom(QLocalSocket* socket);

    QString path_;
    QLocalServer server_;
    std::function<bool(const QString&)> receiver_;
};

} // namespace desktop
