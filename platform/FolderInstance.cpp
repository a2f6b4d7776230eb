#include "FolderInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace voicememo {

namespace {

// How long a later start tries to reach the first: the first may just have
// taken the lock and not yet be listening.
constexpr int kReachMs = 5000;
constexpr int kAttemptMs = 500;
constexpr int kRetryPauseMs = 50;

// The runtime folder is the user's own, on local storage and emptied at each
// log-in, so a lock is never shared with another user's copy or left over
// from another session; the program's folder itself may be read-only.
QString PathFor(const std::string& folder, const char* suffix)
{
    const QByteArray key =
        QCryptographicHash::hash(QByteArray::fromStdString(folder), QCryptographicHash::Sha256).toHex().left(32);
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/voicememo-") +
           QString::fromLatin1(key) + QString::fromLatin1(suffix);
}

// Asks the first copy to come forward, with the activation token the
// compositor gave this start (a Wayland compositor lets a window come
// forward only with one).
bool AskToRaise(const QString& serverPath)
{
    const QByteArray request = "raise " + qgetenv("XDG_ACTIVATION_TOKEN").trimmed() + "\n";
    const QDeadlineTimer deadline(kReachMs);
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(serverPath);
        if (socket.waitForConnected(kAttemptMs)) {
            socket.write(request);
            return socket.waitForBytesWritten(kAttemptMs);
        }
        QThread::msleep(kRetryPauseMs);
    }
    return false;
}

}  // namespace

FolderInstance::FolderInstance(const std::string& folder)
    : lockPath_(PathFor(folder, ".lock")),
      serverPath_(PathFor(folder, ".socket")),
      lock_(lockPath_)
{
    // Held for as long as the program runs: stale only when its process is
    // gone, never by age.
    lock_.setStaleLockTime(0);
}

FolderInstance::~FolderInstance() = default;

FolderInstance::Claim FolderInstance::claim(std::function<void(const QString& token)> raise)
{
    if (!lock_.tryLock(0)) {
        if (lock_.error() != QLockFile::LockFailedError)
            return Claim::Unchecked;
        AskToRaise(serverPath_);  // not reached: the other copy is busy, and still holds the folder
        return Claim::AnotherRuns;
    }
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(serverPath_);  // left by a copy that was killed
    if (server_->listen(serverPath_)) {
        QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(),
                         [server = server_.get(), raise = std::move(raise)] {
                             while (QLocalSocket* socket = server->nextPendingConnection()) {
                                 QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                                 // The request's line, once whole: "raise" and the token.
                                 auto answer = [socket, raise] {
                                     if (!socket->canReadLine())
                                         return;
                                     const QByteArray line = socket->readLine().trimmed();
                                     socket->disconnectFromServer();
                                     raise(QString::fromUtf8(line.mid(line.indexOf(' ') + 1)).trimmed());
                                 };
                                 QObject::connect(socket, &QLocalSocket::readyRead, socket, answer);
                                 answer();
                             }
                         });
    }
    return Claim::First;
}

}  // namespace voicememo
