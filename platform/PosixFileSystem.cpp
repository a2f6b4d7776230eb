#include "PosixFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ByteText.h"
#include "Codepage.h"
#include "Error.h"
#include "FileIdentity.h"
#include "Messages.h"

namespace voicememo {

namespace {

bool IsFolder(const std::string& diskPath)
{
    struct stat info {};
    return ::stat(diskPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& diskPath)
{
    struct stat info {};
    return ::stat(diskPath.c_str(), &info) == 0;
}

bool IsExistingFile(const std::string& diskPath)
{
    struct stat info {};
    return ::stat(diskPath.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

// A file whose write bits are all off is read-only, for root too, as a
// read-only file is on the system the calendar comes from.
bool IsReadOnlyFile(const std::string& diskPath)
{
    struct stat info {};
    return ::stat(diskPath.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) &&
           (info.st_mode & 0222) == 0;
}

std::string ParentOf(const std::string& diskPath)
{
    auto slash = diskPath.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : diskPath.substr(0, slash);
}

// The names of a folder's entries that keep passes, "." and ".." left out.
template <typename Keep>
std::vector<std::string> EntriesWhere(const std::string& diskFolder, Keep keep)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(diskFolder.empty() ? "." : diskFolder.c_str());
    if (!dir)
        return names;
    while (dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != ".." && keep(*entry))
            names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

std::vector<std::string> FolderEntries(const std::string& diskFolder)
{
    return EntriesWhere(diskFolder, [](const dirent&) { return true; });
}

// The entries that are not folders themselves; the entry's type spares a
// stat where the file system gives it.
std::vector<std::string> FileEntries(const std::string& diskFolder)
{
    const std::string prefix = diskFolder.empty() || diskFolder.ends_with('/') ? diskFolder : diskFolder + '/';
    return EntriesWhere(diskFolder, [&prefix](const dirent& entry) {
        if (entry.d_type == DT_DIR)
            return false;
        // A link or an entry of unknown type: what it names decides.
        return entry.d_type == DT_REG || IsExistingFile(prefix + entry.d_name);
    });
}

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Writes the bytes over the file's own content, for when no temporary file
// can be made beside it. Not atomic: a write that fails halfway leaves a
// damaged file, so this is only the way out when the atomic one is closed.
WriteResult RewriteInPlace(const std::string& diskPath, const std::string& bytes)
{
    int fd = ::open(diskPath.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return WriteResult::CannotCreate;
    // Take the room for longer content before the first byte is written: a
    // disk too full for it (or a file size limit) fails here, while the old
    // content is still whole. A file system that cannot reserve room takes
    // its chances with the write.
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return WriteResult::WriteFailed;
    }
    const off_t oldSize = info.st_size;
    const off_t newSize = static_cast<off_t>(bytes.size());
    if (newSize > oldSize && ::fallocate(fd, 0, oldSize, newSize - oldSize) != 0 && errno != EOPNOTSUPP) {
        (void)::ftruncate(fd, oldSize);  // undo whatever part was taken
        ::close(fd);
        return WriteResult::WriteFailed;
    }
    bool written = WriteAll(fd, bytes) && ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 &&
                   ::fsync(fd) == 0;
    written = (::close(fd) == 0) && written;
    return written ? WriteResult::Done : WriteResult::WriteFailed;
}

// Temporary files are named ".<name>.tmp-XXXXXX" beside the file they replace.
constexpr std::string_view kTemporaryInfix = ".tmp-";
constexpr std::size_t kTemporaryRandomLength = 6;  // mkstemp's "XXXXXX"

std::string ReplaceTemplate(const std::string& diskPath)
{
    auto slash = diskPath.find_last_of('/');
    std::string folder = slash == std::string::npos ? "" : diskPath.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? diskPath : diskPath.substr(slash + 1);
    return folder + "." + name + std::string(kTemporaryInfix) + std::string(kTemporaryRandomLength, 'X');
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A save holds an exclusive flock on its temporary file from its creation
// until the rename, and the kernel drops the lock when the process dies. So
// a temporary file of the same target that can be locked was left by a save
// that was killed (or lost its power) and is removed; one that is locked
// belongs to a save in progress, of this or another process, and stays.
// Files of other users that cannot be opened stay too.
void RemoveAbandonedTemporaries(const std::string& diskPath)
{
    auto slash = diskPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : diskPath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? diskPath : diskPath.substr(slash + 1);
    const std::string prefix = "." + name + std::string(kTemporaryInfix);
    for (const std::string& entry : FolderEntries(folder.empty() ? "." : folder)) {
        if (entry.size() != prefix.size() + kTemporaryRandomLength || !entry.starts_with(prefix))
            continue;
        const std::string path = folder + entry;
        // A temporary file takes the mode of the file it replaces, which
        // may let its owner write but not read it.
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            fd = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {}, named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
            ::lstat(path.c_str(), &named) == 0 && SameFile(opened, named))
            ::unlink(path.c_str());
        ::close(fd);
    }
}

// Creates the temporary file for a replace and locks it; -1 with errno set
// when it cannot be created. A cleanup in another process may remove the
// file between its creation and the lock: the lock then holds a file
// without a name, and a fresh one is made.
int CreateLockedTemporary(const std::string& diskPath, std::string& temporary)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = ReplaceTemplate(diskPath);
        int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (fd < 0)
            return -1;
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        struct stat opened {}, named {};
        if (locked == 0 && ::fstat(fd, &opened) == 0 && ::lstat(temporary.c_str(), &named) == 0 &&
            SameFile(opened, named))
            return fd;
        ::close(fd);
    }
    errno = EAGAIN;
    return -1;
}

}  // namespace

std::string ErrnoMessage(int error, bool parentMissing)
{
    switch (error) {
    case ENOENT:
        return std::string(parentMissing ? messages::kInvalidFileName : messages::kFileNotFound);
    case ENOTDIR:
        return std::string(messages::kInvalidFileName);
    case EMFILE:
    case ENFILE:
        return std::string(messages::kTooManyOpenFiles);
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return std::string(messages::kAccessDenied);
    default: {
        std::string text(messages::kIoError);
        text.replace(text.find("%d"), 2, DecimalText(error));
        return text;
    }
    }
}

std::optional<std::string> ResolveDiskPath(const std::string& path)
{
    auto converted = Cp932ToUtf8Exact(path);
    if (!converted)
        return std::nullopt;
    const std::string& diskPath = *converted;
    if (diskPath.empty() || Exists(diskPath))
        return diskPath;

    std::string resolved = diskPath[0] == '/' ? "/" : "";
    bool matching = true;  // false once a component is missing: the rest is kept as written
    std::size_t pos = 0;
    while (pos < diskPath.size()) {
        std::size_t end = diskPath.find('/', pos);
        if (end == std::string::npos)
            end = diskPath.size();
        std::string component = diskPath.substr(pos, end - pos);
        pos = end + 1;
        if (component.empty())
            continue;
        std::string folder = resolved;
        std::string candidate = folder + component;
        if (matching && !Exists(candidate)) {
            std::vector<std::string> matches;
            std::string wanted = LowerAscii(component);
            for (auto& name : FolderEntries(folder))
                if (LowerAscii(name) == wanted)
                    matches.push_back(name);
            if (matches.empty()) {
                matching = false;
            } else {
                std::sort(matches.begin(), matches.end());
                candidate = folder + matches.front();
            }
        }
        resolved = candidate;
        if (end < diskPath.size())
            resolved += '/';
    }
    return resolved;
}

bool PosixFileSystem::FileExists(const std::string& path)
{
    auto disk = ResolveDiskPath(path);
    return disk && IsExistingFile(*disk);
}

std::optional<std::string> PosixFileSystem::ReadFile(const std::string& path)
{
    auto disk = ResolveDiskPath(path);
    if (!disk || !IsExistingFile(*disk))
        return std::nullopt;
    int fd = ::open(disk->c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    // Read straight into a buffer of the file's size, grown only if the
    // file grows meanwhile (or its size is not known, as in /proc).
    std::string content;
    struct stat info {};
    std::size_t size = ::fstat(fd, &info) == 0 && info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 0;
    content.resize(size + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == content.size())
            content.resize(content.size() * 2 + 65536);
        ssize_t got = ::read(fd, content.data() + filled, content.size() - filled);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    content.resize(filled);
    ::close(fd);
    return content;
}

WriteResult PosixFileSystem::ReplaceFile(const std::string& path, const std::string& bytes)
{
    auto named = ResolveDiskPath(path);
    if (!named)
        return WriteResult::CannotCreate;
    // A link stays a link: the file it leads to is the one replaced, and
    // the rules below apply to that file.
    auto disk = FollowLinks(*named);
    if (!disk || IsFolder(*disk) || IsReadOnlyFile(*disk))
        return WriteResult::CannotCreate;
    const bool exists = Exists(*disk);
    if (exists && ::access(disk->c_str(), W_OK) != 0)
        return WriteResult::CannotCreate;

    // Write beside the file, then rename over it: a failure at any step
    // leaves the old file exactly as it was.
    RemoveAbandonedTemporaries(*disk);
    std::string temporary;
    int fd = CreateLockedTemporary(*disk, temporary);
    if (fd < 0) {
        // Nothing may be created in its folder (or on its disk), yet the
        // file itself may be written: rewrite it where it is, as the
        // calendar's own system would.
        if (exists && (errno == EACCES || errno == EPERM || errno == EROFS))
            return RewriteInPlace(*disk, bytes);
        return WriteResult::CannotCreate;
    }
    struct stat old {};
    mode_t mode;
    if (::stat(disk->c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    // The lock lives as long as any descriptor of the open file: a copy
    // holds it past the close until the rename, so that no cleanup removes
    // the file in between.
    const int lockHolder = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    bool written = lockHolder >= 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    written = (::close(fd) == 0) && written;
    if (!written) {
        ::unlink(temporary.c_str());
        if (lockHolder >= 0)
            ::close(lockHolder);
        return WriteResult::WriteFailed;
    }
    const bool renamed = ::rename(temporary.c_str(), disk->c_str()) == 0;
    if (!renamed)
        ::unlink(temporary.c_str());
    ::close(lockHolder);
    if (!renamed)
        return WriteResult::CannotCreate;
    // Make the rename itself durable; a failure here loses nothing already visible.
    int folderFd = ::open(ParentOf(*disk).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return WriteResult::Done;
}

void PosixFileSystem::CreateEmptyFile(const std::string& path)
{
    auto disk = ResolveDiskPath(path);
    if (!disk)
        throw Error(std::string(messages::kInvalidFileName));
    if (IsFolder(*disk) || IsReadOnlyFile(*disk))
        throw Error(ErrnoMessage(EACCES, false));
    int fd = ::open(disk->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        int error = errno;
        bool parentMissing = !IsFolder(ParentOf(*disk));
        throw Error(ErrnoMessage(error, parentMissing));
    }
    ::close(fd);
}

bool PosixFileSystem::DeleteFile(const std::string& path)
{
    auto disk = ResolveDiskPath(path);
    // A read-only file is kept, for root too, as ReplaceFile keeps it.
    return disk && IsExistingFile(*disk) && !IsReadOnlyFile(*disk) &&
           ::unlink(disk->c_str()) == 0;
}

std::vector<std::string> PosixFileSystem::ListFiles(const std::string& folder,
                                                     const std::string& prefix,
                                                     const std::string& suffix)
{
    std::vector<std::string> names;
    auto disk = ResolveDiskPath(folder);
    if (!disk || !IsFolder(*disk))
        return names;
    const std::string lowPrefix = LowerAscii(prefix);
    const std::string lowSuffix = LowerAscii(suffix);
    // Each name with its lower-cased form, the sort key, made once.
    std::vector<std::pair<std::string, std::string>> matching;
    for (const auto& diskName : FileEntries(*disk)) {
        auto name = Utf8ToCp932Exact(diskName);
        if (!name)
            continue;  // a name code page 932 cannot hold cannot be named in the catalogue
        std::string low = LowerAscii(*name);
        if (low.size() >= lowPrefix.size() + lowSuffix.size() && low.starts_with(lowPrefix) &&
            low.ends_with(lowSuffix))
            matching.emplace_back(std::move(low), std::move(*name));
    }
    std::sort(matching.begin(), matching.end());
    names.reserve(matching.size());
    for (auto& entry : matching)
        names.push_back(std::move(entry.second));
    return names;
}

}  // namespace voicememo
