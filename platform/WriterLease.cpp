#include "WriterLease.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <linux/magic.h>
#include <strings.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <utility>

#include "ByteText.h"
#include "FileBytes.h"

namespace voicememo {

namespace {

// Disks whose files other machines write: inotify sees only this
// machine's writes, and a lease only this machine's openers.
bool IsNetworkDisk(const std::string& folder)
{
    struct statfs info {};
    if (::statfs(folder.c_str(), &info) != 0)
        return true;  // cannot tell: as unsafe as a network disk
    switch (static_cast<unsigned long>(info.f_type)) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case FUSE_SUPER_MAGIC:
    case V9FS_MAGIC:
    case CEPH_SUPER_MAGIC:
    case AFS_SUPER_MAGIC:
    case CODA_SUPER_MAGIC:
    case 0x0BD00BD0:  // Lustre
    case 0x01161970:  // GFS2
    case 0x7461636F:  // OCFS2
        return true;
    default:
        return false;
    }
}

}  // namespace

WriterLease::WriterLease(const std::string& diskPath, std::function<std::optional<std::string>()> locate)
    : locate_(std::move(locate)),
      name_(ExtractFileName(diskPath))
{
    const std::string folder = ParentOf(diskPath);
    networkDisk_ = IsNetworkDisk(folder);
    // A lease break is told by SIGIO, whose default ends the program; the
    // break is read from the lease itself (Undisturbed) instead.
    struct sigaction now {};
    if (::sigaction(SIGIO, nullptr, &now) == 0 && now.sa_handler == SIG_DFL)
        ::signal(SIGIO, SIG_IGN);
    if (networkDisk_)
        return;
    inotify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // The folder, not the file: a file renamed over it is watched too.
    if (inotify_ >= 0 && ::inotify_add_watch(inotify_, folder.c_str(),
                                             IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM |
                                                 IN_DELETE | IN_ONLYDIR) < 0) {
        ::close(inotify_);
        inotify_ = -1;
    }
}

WriterLease::~WriterLease()
{
    Release();
    if (inotify_ >= 0)
        ::close(inotify_);
}

void WriterLease::ReadEvents()
{
    if (inotify_ < 0)
        return;
    alignas(inotify_event) std::array<char, 16384> buffer;
    for (;;) {
        const ssize_t got = ::read(inotify_, buffer.data(), buffer.size());
        if (got <= 0)
            return;
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                writing_ = false;  // events lost: the lease tells, where it can be had
                continue;
            }
            if (event->mask & IN_IGNORED) {
                ::close(inotify_);  // the folder went: nothing more is heard
                inotify_ = -1;
                return;
            }
            // Names differ in case only where the catalogue was found so.
            if (event->len == 0 || ::strcasecmp(event->name, name_.c_str()) != 0)
                continue;
            if (event->mask & IN_MODIFY)
                writing_ = true;
            // Closed, or another file in its place: nobody writes this one on.
            if (event->mask & (IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE))
                writing_ = false;
        }
    }
}

WriterWatch::State WriterLease::Look()
{
    Release();
    ReadEvents();
    if (networkDisk_)
        return CannotTell;
    const State leased = TakeLease();
    if (leased != CannotTell || inotify_ < 0)
        return leased;
    // Another user's file: the events alone. A writer they miss opened it
    // before the window started and has not written since; whatever it
    // wrote before is what the window read.
    return writing_ ? Open : Closed;
}

WriterWatch::State WriterLease::TakeLease()
{
    const auto path = locate_();
    if (!path)
        return CannotTell;
    // O_NONBLOCK: an open that breaks another's lease does not wait.
    const int fd = ::open(path->c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? Closed : CannotTell;  // no file: nothing half written
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return CannotTell;
    }
    if (::fcntl(fd, F_SETLEASE, F_RDLCK) == 0) {
        // No signal at a break: Undisturbed asks.
        ::fcntl(fd, F_SETOWN, 0);
        lease_ = fd;
        writing_ = false;
        return Closed;
    }
    const int error = errno;
    ::close(fd);
    // EAGAIN: some program holds it open for writing. EACCES: not ours.
    return error == EAGAIN ? Open : CannotTell;
}

bool WriterLease::Undisturbed()
{
    if (lease_ >= 0)
        return ::fcntl(lease_, F_GETLEASE) == F_RDLCK;
    ReadEvents();
    return !writing_;
}

void WriterLease::Release()
{
    if (lease_ >= 0) {
        ::fcntl(lease_, F_SETLEASE, F_UNLCK);
        ::close(lease_);
        lease_ = -1;
    }
}

}  // namespace voicememo
