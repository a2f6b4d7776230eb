#pragma once
// What the catalogue needs of the files on disk. Paths are code page 932
// byte strings; the implementation converts them for the file system.
// Names compare without regard to ASCII case, as on the system whose files
// the calendar shares with us.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ByteText.h"
#include "WriterWatch.h"

namespace voicememo {

// What became of a voice file that a deleted memo named.
enum class Discard {
    Trashed,         // moved to the desktop's trash, from where it can be taken back
    Deleted,         // deleted: it was a link (removed, its target kept), or deleted for good when asked to
    NoTrash,         // kept: no safe trash could be had there; only DeleteForGoodIn deletes it then
    Missing,         // nothing was there
    OutsideFolder,   // kept: it is not in our folder (links resolved), or the path is not absolute
    NotRegularFile,  // kept: a folder, a FIFO, a device ...
    Failed,          // kept: it could not be moved or deleted (no right to)
    NamedElsewhere,  // kept: another memo of the list still names it
};

enum class WriteResult {
    Done,
    CannotCreate,  // the file could not be created or replaced
    WriteFailed,   // the bytes could not all be written and made durable
};

// What one look at a file's status tells of it: enough to notice that
// another program wrote it since (a new file renamed over it, or its bytes
// rewritten), without reading it.
struct FileStamp {
    bool exists = false;  // false: no file there (a folder counts as none)
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;  // the status change, which no program can set back
    bool operator==(const FileStamp&) const = default;
};

// Where a folder lies: the same pair for every path that reaches it (a
// double slash, a link to it, a bind mount).
struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FolderIdentity&) const = default;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True when a file (not a folder) of that name exists.
    virtual bool FileExists(const std::string& path) = 0;

    // True when a file of that name exists and holds at least one byte (a
    // voice file whose recording was abandoned holds none).
    virtual bool FileHoldsBytes(const std::string& path)
    {
        const auto content = FileExists(path) ? ReadFile(path) : std::nullopt;
        return content && !content->empty();
    }

    // The whole content, or nothing when the file exists but cannot be read
    // (or vanished meanwhile).
    virtual std::optional<std::string> ReadFile(const std::string& path) = 0;

    // The file's first bytes, at most count of them; nothing as for ReadFile.
    virtual std::optional<std::string> ReadFileStart(const std::string& path, std::size_t count)
    {
        auto content = ReadFile(path);
        if (content && content->size() > count)
            content->resize(count);
        return content;
    }

    // Replaces the file atomically with the bytes: on any failure the old
    // file stays exactly as it was.
    virtual WriteResult ReplaceFile(const std::string& path, const std::string& bytes) = 0;
    // Why this thread's last ReplaceFile gave WriteFailed, in the user's
    // words (code page 932): "ディスクがいっぱいです"; empty when it cannot
    // be told.
    virtual std::string WhyWriteFailed() { return {}; }

    // As ReplaceFile, but stillSo is asked just before the new file takes
    // the old one's place: when it says no (another program wrote the file
    // meanwhile), nothing is replaced, and nothing returned.
    virtual std::optional<WriteResult> ReplaceFileIf(const std::string& path, const std::string& bytes,
                                                     const std::function<bool()>& stillSo)
    {
        if (!stillSo())
            return std::nullopt;
        return ReplaceFile(path, bytes);
    }

    // What tells whether other programs hold the file open for writing;
    // nothing where that cannot be watched at all.
    virtual std::unique_ptr<WriterWatch> WatchWriters(const std::string& path)
    {
        (void)path;
        return nullptr;
    }

    // Creates an empty file, or empties the existing one. Throws Error with
    // the system's message ("不正なﾌｧｲﾙ名です" for a missing folder, ...).
    virtual void CreateEmptyFile(const std::string& path) = 0;

    // Creates an empty file only where nothing has the name yet: false,
    // and the file there left as it is, when one does (a file that just
    // arrived, a link). A folder of that name throws as CreateEmptyFile
    // does.
    virtual bool CreateNewFile(const std::string& path)
    {
        if (FileExists(path))
            return false;
        CreateEmptyFile(path);
        return true;
    }

    // Deletes the file when one exists; false when nothing was deleted.
    virtual bool DeleteFile(const std::string& path) = 0;

    // Discards the file the absolute path names only when it is the
    // folder's own: a regular file whose real location (links resolved) is
    // in the folder goes to the trash (kept where none can be had); a link
    // in the folder is removed itself, never its target. Anything else is
    // kept. A file system that cannot tell keeps everything.
    virtual Discard DiscardFileIn(const std::string& path, const std::string& folder)
    {
        (void)path;
        (void)folder;
        return Discard::OutsideFolder;
    }

    // As DiscardFileIn, but deletes for good what no trash could take: only
    // once the user has agreed to lose it.
    virtual Discard DeleteForGoodIn(const std::string& path, const std::string& folder)
    {
        (void)path;
        (void)folder;
        return Discard::OutsideFolder;
    }

    // The file's stamp, from one look at its status; nothing when it cannot
    // be told, and then whoever asked reads the file to compare it.
    virtual std::optional<FileStamp> StampOf(const std::string&) { return std::nullopt; }

    // Removes what replaces of the file killed midway left beside it, as
    // every replace does first: for a save that has nothing to write.
    virtual void RemoveWriteLeftovers(const std::string&) {}

    // The names of the folder's files (folders left out) whose names begin
    // with prefix and end with suffix, compared without regard to ASCII
    // case, sorted by their ASCII-lower-cased names. A missing folder gives
    // no names; names code page 932 cannot hold are left out.
    virtual std::vector<std::string> ListFiles(const std::string& folder, const std::string& prefix,
                                               const std::string& suffix) = 0;

    // The path as the disk names it, for another program (the player, the
    // recorder): nothing when it cannot be named there. As it stands unless
    // the implementation converts paths.
    virtual std::optional<std::string> DiskPath(const std::string& path) { return path; }

    // The form in which texts are compared to decide "the same file": two
    // paths name one file when their keys are equal, and a text names a
    // file when the path's key occurs in the text's key. Two byte forms of
    // one character give one key, and ASCII letters are lowered.
    virtual std::string ComparisonKey(std::string_view text) { return LowerAscii(text); }

    // The folder's identity (links followed); nothing when no folder is
    // there or it cannot be told.
    virtual std::optional<FolderIdentity> IdentityOfFolder(const std::string&) { return std::nullopt; }

    // Bytes this machine keeps about a file from one start to the next (in
    // the user's state folder, never beside the file, so a sync tool does
    // not carry them to another machine), under a name of the caller's:
    // nothing when none are kept. Keep replaces them; a failure is not
    // reported, and only costs what they would have told.
    virtual std::optional<std::string> ReadKept(const std::string& path, std::string_view name)
    {
        (void)path;
        (void)name;
        return std::nullopt;
    }
    virtual void Keep(const std::string& path, std::string_view name, const std::string& bytes)
    {
        (void)path;
        (void)name;
        (void)bytes;
    }
    // A digest of the bytes that tells one content from another (SHA-256,
    // as hexadecimal text).
    virtual std::string Digest(std::string_view bytes);

    // Renames a file within its folder, never over another file: false
    // when the new name is taken or the rename fails.
    virtual bool RenameNoReplace(const std::string& from, const std::string& to)
    {
        (void)from;
        (void)to;
        return false;
    }

    // When the file is a symbolic link that leads out of its folder (to
    // neither a file within that folder nor one bearing the link's own
    // name), the file it leads to (code page 932): the catalogue and
    // the settings are then read, never written through it. Nothing for a
    // file that is no link, or a link that may be written through.
    virtual std::optional<std::string> LinkLeadingOut(const std::string&) { return std::nullopt; }

    // What the files did on their own that the user is to be told of (a
    // rollback journal that did not fit its file, set aside), as messages
    // in code page 932, each given once: the ones not taken before.
    virtual std::vector<std::string> TakeNotices() { return {}; }
};

}  // namespace voicememo
