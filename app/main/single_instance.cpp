#include "single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>

namespace desktop {

namespace {

constexpr int kConnectMs = 1000;
// A client that connects and then says nothing is dropped after this long.
constexpr int kIdleClientMs = 5000;

} // namespace

QString SingleInstance::defaultSocketPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder + QStringLiteral("/reelvista.socket");
}

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent), path_(std::move(socketPath)) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

SingleInstance::~SingleInstance() {
    server_.close(); // removes the socket file
}

SingleInstance::Start SingleInstance::start(const QString& request, int answerTimeoutMs) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        switch (send(request, answerTimeoutMs)) {
        case Sent::Taken: return Start::Handed;
        case Sent::Refused: return Start::Busy;
        case Sent::NoAnswer: return Start::NoAnswer;
        case Sent::NobodyThere: break;
        }
        if (server_.listen(path_)) return Start::Primary;
        if (server_.serverError() != QAbstractSocket::AddressInUseError) return Start::Alone;
        // Someone may have started listening just now: ask again before taking the name
        // over from a program that has gone.
        if (attempt == 1 && QLocalServer::removeServer(path_) && server_.listen(path_))
            return Start::Primary;
    }
    return Start::Alone;
}

SingleInstance::Sent SingleInstance::send(const QString& request, int answerTimeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(path_);
    if (!socket.waitForConnected(kConnectMs)) return Sent::NobodyThere;
    const QByteArray text = request.toUtf8().left(kMaxRequest);
    uchar length[4];
    qToBigEndian<quint32>(static_cast<quint32>(text.size()), length);
    socket.write(reinterpret_cast<const char*>(length), 4);
    socket.write(text);
    if (!socket.waitForBytesWritten(answerTimeoutMs)) return Sent::NoAnswer;
    char answer = 0;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(answerTimeoutMs)) return Sent::NoAnswer;
    socket.getChar(&answer);
    socket.disconnectFromServer();
    return answer == 'y' ? Sent::Taken : answer == 'n' ? Sent::Refused : Sent::NoAnswer;
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        QTimer::singleShot(kIdleClientMs, socket, [socket] { socket->abort(); });
        readFrom(socket);
    }
}

void SingleInstance::readFrom(QLocalSocket* socket) {
    if (socket->property("answered").toBool() || socket->bytesAvailable() < 4) return;
    uchar length[4];
    socket->peek(reinterpret_cast<char*>(length), 4);
    const quint32 size = qFromBigEndian<quint32>(length);
    if (size > kMaxRequest) {
        socket->abort();
        return;
    }
    if (socket->bytesAvailable() < 4 + static_cast<qint64>(size)) return;
    socket->skip(4);
    const QString request = QString::fromUtf8(socket->read(size));
    socket->setProperty("answered", true);
    const bool taken = receiver_ && receiver_(request);
    socket->putChar(taken ? 'y' : 'n');
    socket->flush();
    socket->disconnectFromServer();
}

} // namespace desktop
