#include "AtomicReplace.h"

#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ByteText.h"
#include "FileBytes.h"

namespace voicememo {

namespace {

constexpr std::string_view kTemporaryInfix = ".tmp-";
constexpr std::size_t kTemporaryRandomLength = 6;  // mkstemp's "XXXXXX"
// Where locks do not work, a temporary file untouched this long belongs to
// no replace in progress: one writes its file within seconds.
constexpr time_t kUnlockedLeftoverSeconds = 10 * 60;

std::string TemporaryPrefix(const std::string& diskPath, std::string_view infix = kTemporaryInfix)
{
    return "." + ExtractFileName(diskPath) + std::string(infix);
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A lock that the file system cannot give at all, as opposed to one that
// another holder has.
bool LocksDoNotWork(int error) { return error != EWOULDBLOCK && error != EINTR; }

// Creates the temporary file and locks it where locks work; -1 with errno
// set when it cannot be created. A cleanup in another process may remove
// the file between its creation and the lock: a fresh one is made then.
int CreateTemporary(const std::string& diskPath, std::string& temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = ExtractFolder(diskPath) + TemporaryPrefix(diskPath) + std::string(kTemporaryRandomLength, 'X');
        int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0)
            return -1;
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {}
        struct stat opened {
        }, named{};
        const bool stillNamed =
            ::fstat(fd, &opened) == 0 && ::lstat(temporary.c_str(), &named) == 0 && SameFile(opened, named);
        if (stillNamed && (locked == 0 || LocksDoNotWork(errno)))
            return fd;
        if (stillNamed)
            ::unlink(temporary.c_str());
        ::close(fd);
    }
    errno = EAGAIN;
    return -1;
}

}  // namespace

void TakeOverOwner(int fd, const struct stat& replaced)
{
    if (::fchown(fd, replaced.st_uid, replaced.st_gid) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), replaced.st_gid);
}

ReplaceOutcome ReplaceAtomically(const std::string& diskPath, const std::string& bytes, mode_t mode,
                                 const struct stat* replaced, const std::function<bool()>* beforeRename)
{
    RemoveAbandonedTemporaries(diskPath);
    std::string temporary;
    const int fd = CreateTemporary(diskPath, temporary);
    if (fd < 0)
        return {WriteResult::CannotCreate, errno};
    if (replaced)
        TakeOverOwner(fd, *replaced);
    ::fchmod(fd, mode);
    // The lock lives as long as any descriptor of the open file: a copy
    // holds it past the close until the rename, so that no cleanup removes
    // the file in between.
    const int lockHolder = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    bool written = lockHolder >= 0 && PWriteAll(fd, bytes, 0) && ::fsync(fd) == 0;
    int writeError = written ? 0 : errno;
    if (::close(fd) != 0 && written) {
        written = false;
        writeError = errno;
    }
    const bool renamed =
        written && (!beforeRename || (*beforeRename)()) && ::rename(temporary.c_str(), diskPath.c_str()) == 0;
    if (!renamed)
        ::unlink(temporary.c_str());
    if (lockHolder >= 0)
        ::close(lockHolder);
    if (!written)
        return {WriteResult::WriteFailed, 0, writeError};
    if (!renamed)
        return {WriteResult::CannotCreate, 0};
    SyncFolder(ParentOf(diskPath));
    return {};
}

// A temporary file of the same target that can be locked was left by a
// replace that was killed (or lost its power) and is removed; one that is
// locked belongs to a replace in progress, of this or another process, and
// stays. Files of other users that cannot be opened stay too.
void RemoveAbandonedTemporaries(const std::string& diskPath, std::string_view infix)
{
    const std::string folder = ExtractFolder(diskPath);
    const std::string prefix = TemporaryPrefix(diskPath, infix);
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return;
    while (dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.size() != prefix.size() + kTemporaryRandomLength || !name.starts_with(prefix))
            continue;
        const std::string path = folder + std::string(name);
        // A temporary file takes the mode of the file it replaces, which
        // may let its owner write but not read it.
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {
        }, named{};
        bool abandoned = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        const bool locksDoNotWork = !abandoned && LocksDoNotWork(errno);
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && ::lstat(path.c_str(), &named) == 0 &&
            SameFile(opened, named)) {
            if (locksDoNotWork)
                abandoned = std::time(nullptr) - opened.st_mtime > kUnlockedLeftoverSeconds;
            if (abandoned)
                ::unlink(path.c_str());
        }
        ::close(fd);
    }
    ::closedir(dir);
}

}  // namespace voicememo
