#include "RewriteJournal.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <unistd.h>
#include <utility>

#include "AtomicReplace.h"
#include "ByteText.h"
#include "DiskPaths.h"
#include "FileIdentity.h"
#include "JournalText.h"

namespace voicememo {

namespace {

// How the names that journals are looked for under begin; one set aside
// for the user is named otherwise.
constexpr std::string_view kJournalPrefix = "rewrite-";

// How often a journal that changed hands while it was looked at (a rewrite
// ended, another process settled it) is looked for again.
constexpr int kLooks = 3;

// The name a journal is found under from its file's path.
std::string PathKey(std::string_view diskPath)
{
    return RewriteJournal::Folder() + "/" + std::string(kJournalPrefix) + Sha256Hex(diskPath);
}

// Its second name, under which it is found after its file moved; earlier
// versions named their journals so.
std::string IdentityKey(const FileIdentity& identity)
{
    return RewriteJournal::Folder() + "/" + std::string(kJournalPrefix) + std::to_string(identity.device) + "-" +
           std::to_string(identity.inode);
}

bool MakeFolders(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether the name still leads to the journal open at fd: a rewrite that
// ended, or a settling elsewhere, removes or replaces it.
bool StillNamed(int fd, const std::string& name)
{
    struct stat opened {
    }, named{};
    return ::fstat(fd, &opened) == 0 && ::lstat(name.c_str(), &named) == 0 && SameFile(opened, named);
}

// A journal's lock: held by whoever changes its file, a writer or a
// settling; Unknown where the file system keeps no locks.
enum class Lock { Free, Held, Unknown };

struct flock WholeFileForWriting()
{
    struct flock range {};
    range.l_type = F_WRLCK;
    range.l_whence = SEEK_SET;
    return range;
}

// Takes the lock for this open journal; Free when it was free and is ours now.
Lock TakeLock(int fd)
{
    struct flock range = WholeFileForWriting();
    if (::fcntl(fd, F_OFD_SETLK, &range) == 0)
        return Lock::Free;
    return errno == EAGAIN || errno == EACCES ? Lock::Held : Lock::Unknown;
}

// Looks at the lock without taking it, so a reader never holds up a writer.
Lock TestLock(int fd)
{
    struct flock range = WholeFileForWriting();
    if (::fcntl(fd, F_OFD_GETLK, &range) != 0)
        return Lock::Unknown;
    return range.l_type == F_UNLCK ? Lock::Free : Lock::Held;
}

// A journal held open under the name it was found by; closing it lets go of
// any lock taken on it.
struct OpenJournal {
    OpenJournal() = default;
    OpenJournal(const OpenJournal&) = delete;
    OpenJournal& operator=(const OpenJournal&) = delete;
    ~OpenJournal() { Close(); }
    void Close()
    {
        if (fd >= 0)
            ::close(std::exchange(fd, -1));
    }

    int fd = -1;
    std::string name;
};

enum class Found { None, Journal, Unreadable };

Found OpenByName(const std::string& name, int flags, OpenJournal& journal)
{
    journal.fd = ::open(name.c_str(), flags | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY);
    if (journal.fd >= 0) {
        journal.name = name;
        return Found::Journal;
    }
    // A journal folder the user cannot even look into holds none of theirs.
    if (errno == ENOENT || errno == ENOTDIR || ::access(name.c_str(), F_OK) != 0)
        return Found::None;
    return Found::Unreadable;
}

// The journal left for the file at diskPath: the one under its path, else
// the one under its identity (the folder was moved, or the path is spelt
// otherwise).
Found FindJournal(const std::string& diskPath, int flags, OpenJournal& journal)
{
    const Found byPath = OpenByName(PathKey(diskPath), flags, journal);
    if (byPath != Found::None)
        return byPath;
    struct stat info {};
    if (::stat(diskPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return Found::None;
    const Found byIdentity = OpenByName(IdentityKey({info.st_dev, info.st_ino}), flags, journal);
    if (byIdentity != Found::Journal)
        return byIdentity;
    // Another file at the path the journal names finds it there; nothing
    // there, or this file under another spelling of its path, leaves it ours.
    std::string bytes;
    const auto text = ReadAll(journal.fd, bytes, 0, 0) ? ParseJournal(bytes) : std::nullopt;
    struct stat there {};
    if (text && text->path != diskPath && ::stat(std::string(text->path).c_str(), &there) == 0 &&
        !SameFile(there, info)) {
        journal.Close();
        return Found::None;
    }
    return Found::Journal;
}

// Puts the content back in place of the file's, durably.
bool PutBack(const std::string& diskPath, std::string_view content)
{
    struct stat info {};
    const int fd = OpenRegularFile(diskPath, O_WRONLY, info);
    if (fd < 0)
        return false;
    const bool restored =
        PWriteAll(fd, content, 0) && ::ftruncate(fd, static_cast<off_t>(content.size())) == 0 && ::fsync(fd) == 0;
    return ::close(fd) == 0 && restored;
}

// Removes every name under which the journal is looked for: the one it was
// found under and its second one, which a damaged journal does not give.
void RemoveNames(const OpenJournal& journal)
{
    const std::string folder = RewriteJournal::Folder();
    for (const std::string& entry : FolderEntries(folder)) {
        const std::string name = folder + "/" + entry;
        if (entry.starts_with(kJournalPrefix) && StillNamed(journal.fd, name))
            ::unlink(name.c_str());
    }
    SyncFolder(folder);
}

// Keeps the journal for the user as "<file name>.<date>-<time>.journal" in
// the journals' folder, where no reader looks for it any more; its name
// there, or nothing when it could not be renamed.
std::optional<std::string> SetAside(const OpenJournal& journal, const std::optional<JournalText>& text,
                                    const std::string& diskPath)
{
    const std::string file = ExtractFileName(text ? text->path : std::string_view(diskPath));
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char stamp[32] = "";
    if (::localtime_r(&now, &local))
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    for (int number = 1; number < 100; ++number) {
        const std::string kept = RewriteJournal::Folder() + "/" + file + "." + stamp +
                                 (number > 1 ? "-" + std::to_string(number) : "") + ".journal";
        // A link never replaces a journal kept before; a file system without
        // links takes a rename to a name that is free.
        bool named = ::link(journal.name.c_str(), kept.c_str()) == 0;
        if (!named && errno == EEXIST)
            continue;
        if (!named)
            named = ::access(kept.c_str(), F_OK) != 0 && ::rename(journal.name.c_str(), kept.c_str()) == 0;
        if (!named)
            return std::nullopt;
        RemoveNames(journal);
        return kept;
    }
    return std::nullopt;
}

}  // namespace

std::string RewriteJournal::Folder()
{
    std::string base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && state[0] == '/') {
        base = state;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/') {
            const passwd* user = ::getpwuid(::geteuid());
            home = user ? user->pw_dir : "/tmp";
        }
        base = std::string(home) + "/.local/state";
    }
    while (base.size() > 1 && base.ends_with('/'))
        base.pop_back();
    return base + "/voicememo";
}

RewriteJournal::~RewriteJournal()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool RewriteJournal::Begin(int fd, const struct stat& info, const std::string& diskPath, std::string_view newContent,
                           RewriteJournal& journal)
{
    if (!ReadAll(fd, journal.oldContent_, static_cast<std::size_t>(info.st_size), 0) || !MakeFolders(Folder()))
        return false;
    const FileIdentity identity{info.st_dev, info.st_ino};
    journal.pathKey_ = PathKey(diskPath);
    // Written whole under another name first: a journal under its own name
    // is always complete.
    const std::string text = ComposeJournal(diskPath, identity, journal.oldContent_, newContent);
    if (ReplaceAtomically(journal.pathKey_, text, 0600).result != WriteResult::Done)
        return false;
    // Locked before the file changes. One that another process took up
    // meanwhile (to settle it, or for a rewrite of its own) leaves the file
    // not ours to rewrite now.
    journal.fd_ = ::open(journal.pathKey_.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (journal.fd_ < 0 || TakeLock(journal.fd_) == Lock::Held || !StillNamed(journal.fd_, journal.pathKey_)) {
        if (journal.fd_ >= 0)
            ::close(std::exchange(journal.fd_, -1));
        return false;
    }
    // Without the second name (a file system without links) a moved folder
    // only loses the way to the journal.
    const std::string identityKey = IdentityKey(identity);
    if (::link(journal.pathKey_.c_str(), identityKey.c_str()) == 0)
        journal.identityKey_ = identityKey;
    SyncFolder(Folder());
    return true;
}

void RewriteJournal::Commit()
{
    if (fd_ < 0)
        return;
    if (!identityKey_.empty())
        ::unlink(identityKey_.c_str());
    ::unlink(pathKey_.c_str());
    SyncFolder(Folder());
    // The lock goes last, once no name leads to the journal.
    ::close(std::exchange(fd_, -1));
}

bool RewriteJournal::RollBack(const std::string& diskPath)
{
    if (fd_ < 0 || !PutBack(diskPath, oldContent_))
        return false;
    Commit();
    return true;
}

SettledJournal SettleCutRewrite(const std::string& diskPath)
{
    const SettledJournal mustNotTouch{false, {}};
    for (int look = 0; look < kLooks; ++look) {
        OpenJournal journal;
        switch (FindJournal(diskPath, O_RDWR, journal)) {
        case Found::None:
            return {};
        case Found::Unreadable:
            return mustNotTouch;
        case Found::Journal:
            break;
        }
        if (TakeLock(journal.fd) == Lock::Held)
            return mustNotTouch;  // a rewrite of the file, or a settling, runs elsewhere
        if (!StillNamed(journal.fd, journal.name))
            continue;
        std::string bytes;
        if (!ReadAll(journal.fd, bytes, 0, 0))
            return mustNotTouch;
        const auto text = ParseJournal(bytes);
        // A file that is gone is no file a rewrite left: its journal is set
        // aside, so that a new file in its place is never taken for it.
        struct stat info {};
        std::optional<std::string> file;
        if (::stat(diskPath.c_str(), &info) == 0 || errno != ENOENT) {
            file = ReadRegularFile(diskPath);
            if (!file)
                return mustNotTouch;
        }
        if (text && file && IsLeftByCutRewrite(*file, text->oldContent, text->newContent)) {
            // The old content is durable in place before the journal goes: a
            // kill in between only plays it back again.
            if (!PutBack(diskPath, text->oldContent))
                return mustNotTouch;
            RemoveNames(journal);
            return {};
        }
        const auto kept = SetAside(journal, text, diskPath);
        return kept ? SettledJournal{true, *kept} : mustNotTouch;
    }
    return mustNotTouch;
}

JournalRead ReadBesideRewrites(const std::string& diskPath, std::size_t most)
{
    auto start = [most](std::string_view content) { return std::string(content.substr(0, most)); };
    for (int look = 0; look < kLooks; ++look) {
        OpenJournal journal;
        const Found found = FindJournal(diskPath, O_RDONLY, journal);
        if (found == Found::Unreadable)
            return {};
        if (found == Found::None) {
            auto content = ReadRegularFile(diskPath, most);
            // A journal made during the read means a rewrite overlapped it.
            OpenJournal after;
            if (FindJournal(diskPath, O_RDONLY, after) == Found::None)
                return {std::move(content)};
            continue;
        }
        std::string bytes;
        if (!ReadAll(journal.fd, bytes, 0, 0))
            return {};
        const auto text = ParseJournal(bytes);
        if (TestLock(journal.fd) != Lock::Free) {
            // A rewrite under way, or no telling: the content from before
            // it is the whole one.
            return text ? JournalRead{start(text->oldContent)} : JournalRead{};
        }
        // Cut short: the file stays as the rewrite left it, unless the
        // journal changed hands while the file was read.
        const auto file = ReadRegularFile(diskPath);
        if (!StillNamed(journal.fd, journal.name) || TestLock(journal.fd) != Lock::Free)
            continue;
        if (!file)
            return {};
        if (text && IsLeftByCutRewrite(*file, text->oldContent, text->newContent))
            return {start(text->oldContent)};
        return {start(*file), true};
    }
    return {};
}

// The old content is kept in the journal until the new one is durable, and a
// write that fails halfway is rolled back at once.
WriteResult RewriteInPlace(const std::string& diskPath, const std::string& bytes)
{
    struct stat info {};
    int fd = OpenRegularFile(diskPath, O_RDWR, info);
    if (fd < 0)
        return WriteResult::CannotCreate;
    RewriteJournal journal;
    if (!RewriteJournal::Begin(fd, info, diskPath, bytes, journal)) {
        ::close(fd);
        return WriteResult::CannotCreate;
    }
    // Take the room for longer content before the first byte is written: a
    // disk too full for it (or a file size limit) fails here, while the old
    // content is still whole. A file system that cannot reserve room takes
    // its chances with the write.
    const off_t oldSize = info.st_size;
    const off_t newSize = static_cast<off_t>(bytes.size());
    if (newSize > oldSize && ::fallocate(fd, 0, oldSize, newSize - oldSize) != 0 && errno != EOPNOTSUPP) {
        (void)::ftruncate(fd, oldSize);  // undo whatever part was taken
        ::close(fd);
        journal.Commit();
        return WriteResult::WriteFailed;
    }
    bool written = PWriteAll(fd, bytes, 0) && ::ftruncate(fd, newSize) == 0 && ::fsync(fd) == 0;
    written = (::close(fd) == 0) && written;
    if (!written) {
        journal.RollBack(diskPath);
        return WriteResult::WriteFailed;
    }
    journal.Commit();
    return WriteResult::Done;
}

}  // namespace voicememo
