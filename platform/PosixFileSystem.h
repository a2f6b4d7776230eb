#pragma once
// The files on a Linux disk, seen with the rules the catalogue expects:
// code page 932 names converted to UTF-8, names resolved without regard to
// ASCII case, atomic replacement (AtomicReplace.h).
// - Only regular files are read, replaced, rewritten or deleted; a FIFO, a
//   socket or a device is never opened, and is kept as it is.
// - A symbolic link is followed: the file it leads to gets the new content,
//   or is deleted, and the link stays.
// - A file is replaced, rewritten or deleted only when the user may write
//   it (the effective user's rights); a file that has no write bit at all
//   is read-only, for root too.
// - Where no file can be created beside a writable file (a folder the user
//   may not write to), the file is rewritten in place instead, under a
//   rollback journal (RewriteJournal.h).
#include <mutex>
#include <set>

#include "FileSystem.h"

namespace voicememo {

// The message the user sees for a failed file operation.
// parentMissing tells a missing folder on the way from a missing file.
std::string ErrnoMessage(int error, bool parentMissing);

class PosixFileSystem : public FileSystem {
public:
    bool FileExists(const std::string& path) override;
    // From the file's status alone: nothing is read.
    bool FileHoldsBytes(const std::string& path) override;
    std::optional<std::string> ReadFile(const std::string& path) override;
    std::optional<std::string> ReadFileStart(const std::string& path, std::size_t count) override;
    WriteResult ReplaceFile(const std::string& path, const std::string& bytes) override;
    std::string WhyWriteFailed() override;
    // stillSo is asked after the new file is durable, right before the
    // rename (or the rewrite in place).
    std::optional<WriteResult> ReplaceFileIf(const std::string& path, const std::string& bytes,
                                             const std::function<bool()>& stillSo) override;
    // inotify on the file's folder and a read lease on the file
    // (WriterLease.h).
    std::unique_ptr<WriterWatch> WatchWriters(const std::string& path) override;
    void CreateEmptyFile(const std::string& path) override;
    // O_EXCL: a file that arrives at the last moment is never emptied.
    bool CreateNewFile(const std::string& path) override;
    bool DeleteFile(const std::string& path) override;
    // The trash is the desktop's (freedesktop) trash, as Trash.h takes it.
    Discard DiscardFileIn(const std::string& path, const std::string& folder) override;
    Discard DeleteForGoodIn(const std::string& path, const std::string& folder) override;
    // One stat when the file is there as written; a link is followed.
    std::optional<FileStamp> StampOf(const std::string& path) override;
    void RemoveWriteLeftovers(const std::string& path) override;
    std::vector<std::string> ListFiles(const std::string& folder, const std::string& prefix,
                                       const std::string& suffix) override;
    // ResolveDiskPath: UTF-8, each missing component found without regard
    // to ASCII case.
    std::optional<std::string> DiskPath(const std::string& path) override;
    // The text decoded (to UTF-8), so that the byte forms code page 932 has
    // for some characters compare equal, with ASCII letters lowered.
    std::string ComparisonKey(std::string_view text) override;
    std::optional<FolderIdentity> IdentityOfFolder(const std::string& folder) override;
    // Kept in the user's state folder, beside the rollback journals.
    std::optional<std::string> ReadKept(const std::string& path, std::string_view name) override;
    void Keep(const std::string& path, std::string_view name, const std::string& bytes) override;
    std::string Digest(std::string_view bytes) override;
    bool RenameNoReplace(const std::string& from, const std::string& to) override;
    // OutwardLinkTarget (OutwardLinks.h) of the file the path names.
    std::optional<std::string> LinkLeadingOut(const std::string& path) override;
    // Each journal set aside (RewriteJournal.h), once; safe from any thread.
    std::vector<std::string> TakeNotices() override;

protected:
    // Keeps a message for TakeNotices, unless it was given before.
    void Tell(std::string message);

private:
    // Settles a rewrite in place that was cut short, before the file is
    // touched; false when the file must not be.
    bool SettleJournal(const std::string& diskPath);
    Discard DiscardIn(const std::string& path, const std::string& folder, bool forGood);

    std::mutex noticesMutex_;
    std::vector<std::string> notices_;
    std::set<std::string> told_;
};

// The same files for a program that reads beside the dialog: a read never
// writes. Where a rewrite in place is under way, or was cut short, the
// content from before it is read from its journal, as a rollback would put
// it back; a journal that does not fit its file is told of once
// (TakeNotices) and the file is read as it is. The file and the journal are
// left for the dialog.
class ReadOnlyPosixFileSystem : public PosixFileSystem {
public:
    std::optional<std::string> ReadFileStart(const std::string& path, std::size_t count) override;
};

}  // namespace voicememo
