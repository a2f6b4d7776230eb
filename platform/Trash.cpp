#include "Trash.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <stdio.h>
#include <unistd.h>
#include <unordered_map>
#include <utility>

namespace voicememo {

namespace {

// A folder held open, so that what was checked is what is used even when
// another user renames things around it meanwhile.
class OpenFolder {
public:
    OpenFolder() = default;
    explicit OpenFolder(int fd) : fd_(fd) {}
    OpenFolder(OpenFolder&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    OpenFolder& operator=(OpenFolder&& other) noexcept
    {
        std::swap(fd_, other.fd_);
        return *this;
    }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    ~OpenFolder()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int fd() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

struct stat StatusOf(const OpenFolder& folder)
{
    struct stat info {};
    if (!folder || ::fstat(folder.fd(), &info) != 0)
        info.st_mode = 0;
    return info;
}

// The name in parent as a folder itself, never a link's end.
OpenFolder OpenNoLink(int parent, const std::string& name)
{
    return OpenFolder(::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// A folder only we may enter: ours, no access for group or others. Anyone
// else's, or one they may look into, would hand our deleted takes and the
// notes of where they lay to them.
bool Private(const struct stat& info)
{
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// The name in parent as a private folder of ours, made 0700 when absent.
OpenFolder OpenPrivate(int parent, const std::string& name)
{
    ::mkdirat(parent, name.c_str(), 0700);
    OpenFolder folder = OpenNoLink(parent, name);
    return Private(StatusOf(folder)) ? std::move(folder) : OpenFolder();
}

// The folder's files/ or info/: inside a private trash, being ours is enough.
OpenFolder OpenPart(const OpenFolder& trash, const char* name)
{
    ::mkdirat(trash.fd(), name, 0700);
    OpenFolder part = OpenNoLink(trash.fd(), name);
    const struct stat info = StatusOf(part);
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() ? std::move(part) : OpenFolder();
}

std::string ParentOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

// The user's data folder ($XDG_DATA_HOME, else ~/.local/share), made when
// absent; empty with neither set: no guess at a home.
std::string DataHome()
{
    std::string home;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/')
        home = data;
    else if (const char* user = std::getenv("HOME"); user && user[0] == '/')
        home = std::string(user) + "/.local/share";
    else
        return {};
    for (std::size_t slash = home.find('/', 1); slash != std::string::npos; slash = home.find('/', slash + 1))
        ::mkdir(home.substr(0, slash).c_str(), 0700);
    ::mkdir(home.c_str(), 0700);
    return home;
}

// The top of the file system the folder is on: its highest folder on the
// same device.
std::string TopOf(const std::string& folder, dev_t device)
{
    std::string top = folder;
    while (top != "/") {
        const std::string up = ParentOf(top);
        struct stat info {};
        if (::stat(up.c_str(), &info) != 0 || info.st_dev != device)
            break;
        top = up;
    }
    return top;
}

struct TrashPlace {
    std::string path;  // the trash folder
    OpenFolder folder;
    std::string pathsFrom;  // where the notes' paths are taken from: "" for absolute paths
};

// The trash the desktop would use for a file on that device, by the
// freedesktop rules and no laxer: the user's own trash when it is on the
// same file system; else that file system's top folder's shared .Trash
// (a real folder with the sticky bit) holding a private folder of ours, or
// its private .Trash-<uid>. Nothing otherwise: a move to another file
// system would copy the take, and someone else's trash would hand it to them.
std::optional<TrashPlace> TrashFor(const std::string& folder, dev_t device)
{
    if (const std::string data = DataHome(); !data.empty()) {
        OpenFolder home(::open(data.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        OpenFolder trash = home ? OpenPrivate(home.fd(), "Trash") : OpenFolder();
        if (trash && StatusOf(trash).st_dev == device)
            return TrashPlace{data + "/Trash", std::move(trash), {}};
    }
    const std::string top = TopOf(folder, device);
    OpenFolder topFolder(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!topFolder)
        return std::nullopt;
    const std::string uid = std::to_string(::geteuid());
    const std::string base = top == "/" ? std::string() : top;
    OpenFolder shared = OpenNoLink(topFolder.fd(), ".Trash");
    if (const struct stat info = StatusOf(shared); S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) != 0)
        if (OpenFolder trash = OpenPrivate(shared.fd(), uid); trash && StatusOf(trash).st_dev == device)
            return TrashPlace{base + "/.Trash/" + uid, std::move(trash), top};
    if (OpenFolder trash = OpenPrivate(topFolder.fd(), ".Trash-" + uid); trash && StatusOf(trash).st_dev == device)
        return TrashPlace{base + "/.Trash-" + uid, std::move(trash), top};
    return std::nullopt;
}

// The path as the note holds it: URL-escaped, every byte but the unreserved
// ones and '/'.
std::string Escaped(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            escaped += c;
        } else {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 15];
        }
    }
    return escaped;
}

std::string TrashNote(const TrashPlace& place, const std::string& diskPath)
{
    const std::string noted = place.pathsFrom.empty()  ? diskPath
                              : place.pathsFrom == "/" ? diskPath.substr(1)
                                                       : diskPath.substr(place.pathsFrom.size() + 1);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + Escaped(noted) + "\nDeletionDate=" + date + "\n";
}

bool WriteAll(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Renames without ever replacing: a file system without such a rename gets
// a link, which never replaces either, or a look first.
bool MoveNoReplace(int fromFolder, const std::string& from, int toFolder, const std::string& to)
{
    if (::renameat2(fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL)
        return false;
    if (::linkat(fromFolder, from.c_str(), toFolder, to.c_str(), 0) == 0)
        return ::unlinkat(fromFolder, from.c_str(), 0) == 0;
    struct stat there {};
    if (errno != EPERM || ::fstatat(toFolder, to.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::renameat(fromFolder, from.c_str(), toFolder, to.c_str()) == 0;
}

// The n-th name tried for the file in the trash: "Voice1.wav", then
// "Voice1.2.wav", "Voice1.3.wav" ...
std::string NameInTrash(const std::string& name, int n)
{
    if (n == 1)
        return name;
    const auto dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    return hasExtension ? name.substr(0, dot) + "." + std::to_string(n) + name.substr(dot)
                        : name + "." + std::to_string(n);
}

// What this program moved to the trash: a deleted memo's take comes back
// from there when another machine's change brings the memo back.
struct Trashed {
    std::mutex mutex;
    std::unordered_map<std::string, std::string> whereOf;  // by the path it lay at
};

Trashed& TrashedHere()
{
    static Trashed trashed;
    return trashed;
}

}  // namespace

std::optional<std::string> MoveToTrash(const std::string& diskPath)
{
    struct stat file {};
    if (diskPath.empty() || diskPath[0] != '/' || ::lstat(diskPath.c_str(), &file) != 0)
        return std::nullopt;
    // The note names where it really lies, for the desktop to put it back.
    const std::string name = diskPath.substr(diskPath.rfind('/') + 1);
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(ParentOf(diskPath).c_str(), nullptr), &std::free);
    if (!real || name.empty() || name == "." || name == "..")
        return std::nullopt;
    const std::string folder = real.get();
    std::optional<TrashPlace> place = TrashFor(folder, file.st_dev);
    if (!place)
        return std::nullopt;
    const OpenFolder files = OpenPart(place->folder, "files");
    const OpenFolder info = OpenPart(place->folder, "info");
    if (!files || !info)
        return std::nullopt;
    const std::string note = TrashNote(*place, (folder == "/" ? "" : folder) + "/" + name);
    constexpr int kMostNames = 10000;
    for (int n = 1; n < kMostNames; ++n) {
        const std::string trashName = NameInTrash(name, n);
        const std::string noteName = trashName + ".trashinfo";
        // The note is made first and exclusively: it claims the name.
        const int fd =
            ::openat(info.fd(), noteName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return std::nullopt;
        }
        const bool noted = WriteAll(fd, note) && ::fsync(fd) == 0;
        ::close(fd);
        if (noted && MoveNoReplace(AT_FDCWD, diskPath, files.fd(), trashName)) {
            std::string where = place->path + "/files/" + trashName;
            const std::lock_guard lock(TrashedHere().mutex);
            TrashedHere().whereOf[diskPath] = where;
            return where;
        }
        const int error = errno;
        ::unlinkat(info.fd(), noteName.c_str(), 0);
        if (!noted || error != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> WhereTrashed(const std::string& diskPath)
{
    const std::lock_guard lock(TrashedHere().mutex);
    const auto found = TrashedHere().whereOf.find(diskPath);
    return found == TrashedHere().whereOf.end() ? std::nullopt : std::optional(found->second);
}

bool TakeBackFromTrash(const std::string& where, const std::string& diskPath)
{
    // A file system without a rename that never replaces gets a link, which
    // never replaces either.
    if (::renameat2(AT_FDCWD, where.c_str(), AT_FDCWD, diskPath.c_str(), RENAME_NOREPLACE) != 0 &&
        !(errno == EINVAL && ::link(where.c_str(), diskPath.c_str()) == 0 && ::unlink(where.c_str()) == 0))
        return false;
    // "files/<name>" is noted in "info/<name>.trashinfo".
    const std::string files = ParentOf(where);
    ::unlink((ParentOf(files) + "/info/" + where.substr(files.size() + 1) + ".trashinfo").c_str());
    const std::lock_guard lock(TrashedHere().mutex);
    if (auto found = TrashedHere().whereOf.find(diskPath);
        found != TrashedHere().whereOf.end() && found->second == where)
        TrashedHere().whereOf.erase(found);
    return true;
}

}  // namespace voicememo
