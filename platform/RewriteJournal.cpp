#include "RewriteJournal.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <pwd.h>
#include <string_view>
#include <unistd.h>

#include "AtomicReplace.h"
#include "FileBytes.h"
#include "FileIdentity.h"

namespace voicememo {

namespace {

constexpr std::string_view kMagic = "voicememo rewrite journal 1\n";

std::string JournalPath(const struct stat& info)
{
    return RewriteJournal::Folder() + "/rewrite-" + std::to_string(info.st_dev) + "-" + std::to_string(info.st_ino);
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

// What a journal holds: the path of the file it belongs to, and that file's
// old content.
struct JournalContent {
    std::string path;
    std::string_view content;
};

std::optional<JournalContent> ParseJournal(std::string_view bytes)
{
    if (!bytes.starts_with(kMagic))
        return std::nullopt;
    bytes.remove_prefix(kMagic.size());
    const auto pathEnd = bytes.find('\n');
    if (pathEnd == std::string_view::npos)
        return std::nullopt;
    JournalContent journal{std::string(bytes.substr(0, pathEnd)), {}};
    bytes.remove_prefix(pathEnd + 1);
    const auto sizeEnd = bytes.find('\n');
    if (sizeEnd == std::string_view::npos || sizeEnd == 0 ||
        bytes.substr(0, sizeEnd).find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const std::string size(bytes.substr(0, sizeEnd));
    bytes.remove_prefix(sizeEnd + 1);
    if (std::to_string(bytes.size()) != size)
        return std::nullopt;  // not the whole content
    journal.content = bytes;
    return journal;
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
    return base + "/voicememo";
}

bool RewriteJournal::Begin(int fd, const struct stat& info, const std::string& diskPath, RewriteJournal& journal)
{
    std::string old;
    if (!ReadAll(fd, old, static_cast<std::size_t>(info.st_size), 0))
        return false;
    const std::string folder = Folder();
    if (!MakeFolders(folder))
        return false;
    std::string bytes(kMagic);
    bytes += diskPath + "\n" + std::to_string(old.size()) + "\n";
    bytes += old;
    // Written whole under another name first: a journal under its own name
    // is always complete.
    journal.path_ = JournalPath(info);
    return ReplaceAtomically(journal.path_, bytes, 0600).result == WriteResult::Done;
}

void RewriteJournal::Commit()
{
    if (path_.empty())
        return;
    ::unlink(path_.c_str());
    SyncFolder(Folder());
    path_.clear();
}

namespace {

enum class JournalFound { None, Unreadable, Read };

// Reads the journal left for the regular file at diskPath, if any.
JournalFound FindJournal(const std::string& diskPath, std::string& journalPath, std::string& bytes)
{
    struct stat info {};
    if (::stat(diskPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return JournalFound::None;
    journalPath = JournalPath(info);
    // A journal folder the user cannot even look into holds none of theirs.
    if (::access(journalPath.c_str(), F_OK) != 0)
        return JournalFound::None;
    const int journalFd = ::open(journalPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (journalFd < 0)
        return JournalFound::Unreadable;
    const bool read = ReadAll(journalFd, bytes, 0, 0);
    ::close(journalFd);
    return read ? JournalFound::Read : JournalFound::Unreadable;
}

}  // namespace

std::optional<std::string> RewriteJournal::OldContentOfRewrite(const std::string& diskPath)
{
    std::string journalPath, bytes;
    if (FindJournal(diskPath, journalPath, bytes) != JournalFound::Read)
        return std::nullopt;
    const auto journal = ParseJournal(bytes);
    if (!journal || journal->path != diskPath)
        return std::nullopt;
    return std::string(journal->content);
}

bool RewriteJournal::RollBackCutRewrite(const std::string& diskPath)
{
    std::string journalPath, bytes;
    switch (FindJournal(diskPath, journalPath, bytes)) {
    case JournalFound::None:
        return true;
    case JournalFound::Unreadable:
        return false;
    case JournalFound::Read:
        break;
    }
    const auto journal = ParseJournal(bytes);
    if (journal && journal->path == diskPath) {
        // The old content goes back in place, made durable before the
        // journal goes: a kill in between only plays it back again.
        const int fd = ::open(diskPath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            return false;
        const bool restored = PWriteAll(fd, journal->content, 0) &&
                              ::ftruncate(fd, static_cast<off_t>(journal->content.size())) == 0 && ::fsync(fd) == 0;
        if (::close(fd) != 0 || !restored)
            return false;
    }
    // Played back, or a journal of a file that is gone (its inode taken by
    // another) or that is no journal of ours: either way it has done.
    ::unlink(journalPath.c_str());
    SyncFolder(Folder());
    return true;
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
    if (!RewriteJournal::Begin(fd, info, diskPath, journal)) {
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
        RewriteJournal::RollBackCutRewrite(diskPath);
        return WriteResult::WriteFailed;
    }
    journal.Commit();
    return WriteResult::Done;
}

}  // namespace voicememo
