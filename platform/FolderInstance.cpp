#include "FolderInstance.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <optional>

namespace voicememo {

namespace {

// How long a later start tries to reach the first: the first may just have
// taken the lock and not yet be listening.
constexpr int kReachMs = 5000;
constexpr int kRetryPauseMs = 50;
// A request is one short line; anything longer is no request of ours.
constexpr qsizetype kMostRequestBytes = 4096;
// A later start sends its line as soon as it is connected: a connection
// that sends none in this time is dropped.
constexpr int kRequestDeadlineMs = 1000;
// Requests read at once, and connections the system holds waiting beyond
// them: a flood of connections costs the window a few files and nothing
// more, and a later start waits its turn (it tries for kReachMs).
constexpr int kMostOpenRequests = 4;
constexpr int kMostWaitingConnections = 4;

// Whether the folder is ours alone: a real folder (no link), owned by us,
// that no one else may enter. Another user's folder of that name, made
// first in the shared temporary folder, could take our lock away.
bool Private(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// The runtime folder is the user's own, on local storage and emptied at each
// log-in, so a lock is never shared with another user's copy or left over
// from another session; the program's folder itself may be read-only.
// Without XDG_RUNTIME_DIR the folder Qt falls back to in the temporary
// folder is made, 0700.
QString RuntimeFolder()
{
    QByteArray path = qgetenv("XDG_RUNTIME_DIR");
    if (path.isEmpty()) {
        const passwd* user = ::getpwuid(::geteuid());
        path = QFile::encodeName(QDir::tempPath()) + "/runtime-" +
               (user ? QByteArray(user->pw_name) : QByteArray::number(::geteuid()));
        ::mkdir(path.constData(), S_IRWXU);
    }
    return QFile::decodeName(path);
}

QString PathFor(const QString& runtime, const std::string& folder, const char* suffix)
{
    const QByteArray key =
        QCryptographicHash::hash(QByteArray::fromStdString(folder), QCryptographicHash::Sha256).toHex().left(32);
    return runtime + QStringLiteral("/voicememo-") + QString::fromLatin1(key) + QString::fromLatin1(suffix);
}

std::optional<sockaddr_un> SocketAddress(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || static_cast<std::size_t>(name.size()) >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    return address;
}

bool SendAll(int fd, const QByteArray& bytes)
{
    for (qsizetype sent = 0; sent < bytes.size();) {
        const ssize_t put =
            ::send(fd, bytes.constData() + sent, static_cast<std::size_t>(bytes.size() - sent), MSG_NOSIGNAL);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        sent += put;
    }
    return true;
}

// Asks the first copy to come forward, with the activation token the
// compositor gave this start (a Wayland compositor lets a window come
// forward only with one).
bool AskToRaise(const QString& serverPath)
{
    const auto address = SocketAddress(serverPath);
    if (!address)
        return false;
    const QByteArray request = "raise " + qgetenv("XDG_ACTIVATION_TOKEN").trimmed() + "\n";
    const QDeadlineTimer deadline(kReachMs);
    while (!deadline.hasExpired()) {
        // Not blocking: while the first's queue is full, connect says so
        // and is tried again, up to the deadline.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0) {
            const bool sent = SendAll(fd, request);
            ::close(fd);
            return sent;
        }
        ::close(fd);
        QThread::msleep(kRetryPauseMs);
    }
    return false;
}

// One later start's request, read as it comes; its socket closes with it,
// at the latest at its deadline.
class Request : public QObject {
public:
    Request(int fd, QObject* parent, std::function<void(const QByteArray& line)> answer)
        : QObject(parent),
          fd_(fd),
          notifier_(fd, QSocketNotifier::Read),
          answer_(std::move(answer))
    {
        connect(&notifier_, &QSocketNotifier::activated, this, &Request::readSome);
        deadline_.setSingleShot(true);
        connect(&deadline_, &QTimer::timeout, this, [this] {
            notifier_.setEnabled(false);
            deleteLater();
        });
        deadline_.start(kRequestDeadlineMs);
    }
    ~Request() override { ::close(fd_); }

private:
    void readSome()
    {
        char buffer[512];
        ssize_t got = 0;
        while ((got = ::read(fd_, buffer, sizeof buffer)) > 0 && received_.size() <= kMostRequestBytes)
            received_.append(buffer, got);
        const bool ended = got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR);
        const qsizetype lineEnd = received_.indexOf('\n');
        if (lineEnd < 0 && !ended && received_.size() <= kMostRequestBytes)
            return;  // the rest of the line is still to come
        notifier_.setEnabled(false);
        deadline_.stop();
        deleteLater();
        if (lineEnd >= 0)
            answer_(received_.left(lineEnd).trimmed());
    }

    int fd_;
    QSocketNotifier notifier_;
    QTimer deadline_;
    std::function<void(const QByteArray& line)> answer_;
    QByteArray received_;
};

}  // namespace

FolderInstance::FolderInstance(const std::string& folder)
    : runtime_(RuntimeFolder()),
      private_(Private(QFile::encodeName(runtime_))),
      lockPath_(private_ ? PathFor(runtime_, folder, ".lock") : QString()),
      serverPath_(private_ ? PathFor(runtime_, folder, ".socket") : QString()),
      lock_(lockPath_)
{
    // Held for as long as the program runs: stale only when its process is
    // gone, never by age.
    lock_.setStaleLockTime(0);
}

FolderInstance::~FolderInstance()
{
    if (serverFd_ < 0)
        return;
    serverNotifier_.reset();
    ::close(serverFd_);
    ::unlink(QFile::encodeName(serverPath_).constData());
}

FolderInstance::Claim FolderInstance::claim(std::function<void(const QString& token)> raise)
{
    if (!private_)
        return Claim::Unchecked;
    if (!lock_.tryLock(0)) {
        if (lock_.error() != QLockFile::LockFailedError)
            return Claim::Unchecked;
        AskToRaise(serverPath_);  // not reached: the other copy is busy, and still holds the folder
        return Claim::AnotherRuns;
    }
    raise_ = std::move(raise);
    Listen();
    return Claim::First;
}

// A plain local socket rather than Qt's network module, which a start would
// otherwise load with its Kerberos and proxy libraries for this alone.
void FolderInstance::Listen()
{
    const auto address = SocketAddress(serverPath_);
    if (!address)
        return;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    // A socket left by a copy that was killed goes; we hold the lock.
    ::unlink(address->sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
        ::chmod(address->sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(fd, kMostWaitingConnections) != 0) {
        ::close(fd);
        return;
    }
    serverFd_ = fd;
    serverNotifier_ = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(serverNotifier_.get(), &QSocketNotifier::activated, serverNotifier_.get(),
                     [this] { TakeRequests(); });
}

void FolderInstance::TakeRequests()
{
    // At the most requests the rest wait in the system's queue, unread, so
    // the socket wakes the window no more until one of them ends; a full
    // queue turns further connections away.
    while (requests_.children().size() < kMostOpenRequests) {
        const int fd = ::accept4(serverFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                serverNotifier_->setEnabled(true);
                return;  // none waiting any more
            }
            // Out of files, say: the socket would wake the window at once
            // again, so it is looked at again only in a while.
            serverNotifier_->setEnabled(false);
            QTimer::singleShot(kRequestDeadlineMs, serverNotifier_.get(), [this] { TakeRequests(); });
            return;
        }
        // The request's line: "raise", and the token after a space when
        // the later start was given one.
        auto* request = new Request(fd, &requests_, [this](const QByteArray& line) {
            const qsizetype space = line.indexOf(' ');
            if (line.left(space < 0 ? line.size() : space) != "raise")
                return;
            raise_(space < 0 ? QString() : QString::fromUtf8(line.mid(space + 1)).trimmed());
        });
        // Those that waited are taken once this request has gone.
        QObject::connect(request, &QObject::destroyed, serverNotifier_.get(),
                         [this] { QTimer::singleShot(0, serverNotifier_.get(), [this] { TakeRequests(); }); });
    }
    serverNotifier_->setEnabled(false);
}

}  // namespace voicememo
