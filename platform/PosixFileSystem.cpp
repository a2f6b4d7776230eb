#include "PosixFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "AtomicReplace.h"
#include "ByteText.h"
#include "Codepage.h"
#include "Diagnostics.h"
#include "DiskPaths.h"
#include "Error.h"
#include "FileBytes.h"
#include "FileIdentity.h"
#include "Messages.h"
#include "OutwardLinks.h"
#include "RewriteJournal.h"
#include "Trash.h"
#include "WriterLease.h"

namespace voicememo {

namespace {

bool IsFolder(const std::string& diskPath)
{
    struct stat info {};
    return ::stat(diskPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// May the user replace, rewrite or delete the file? Only a regular file,
// and only when the user may write it (MayWriteFile).
bool MayWrite(const std::string& diskPath, const struct stat& info)
{
    return S_ISREG(info.st_mode) && MayWriteFile(diskPath);
}

// The file a path names, at the end of its links; nothing when the path
// cannot be converted or its links loop.
std::optional<std::string> TargetOf(const std::string& path)
{
    // The usual case, a file there as written and no link, takes one look.
    if (auto asWritten = Cp932ToUtf8Exact(path)) {
        struct stat info {};
        if (!asWritten->empty() && ::lstat(asWritten->c_str(), &info) == 0 && !S_ISLNK(info.st_mode))
            return asWritten;
    }
    auto named = ResolveDiskPath(path);
    return named ? FollowLinks(*named) : std::nullopt;
}

// What ReplaceFileIf asks before the rename, for the ReplaceFile it calls.
thread_local const std::function<bool()>* beforeRename = nullptr;

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

bool PosixFileSystem::FileExists(const std::string& path)
{
    auto disk = ResolveDiskPath(path);
    return disk && IsExistingFile(*disk);
}

bool PosixFileSystem::FileHoldsBytes(const std::string& path)
{
    auto disk = ResolveDiskPath(path);
    struct stat info {};
    return disk && ::stat(disk->c_str(), &info) == 0 && !S_ISDIR(info.st_mode) && info.st_size > 0;
}

bool PosixFileSystem::SettleJournal(const std::string& diskPath)
{
    const SettledJournal settled = SettleCutRewrite(diskPath);
    if (!settled.setAsideAt.empty())
        Tell(FormatMessage(messages::kJournalSetAside, Utf8ToCp932(diskPath), Utf8ToCp932(settled.setAsideAt)));
    return settled.fileWhole;
}

void PosixFileSystem::Tell(std::string message)
{
    const std::lock_guard lock(noticesMutex_);
    if (told_.insert(message).second)
        notices_.push_back(std::move(message));
}

std::vector<std::string> PosixFileSystem::TakeNotices()
{
    const std::lock_guard lock(noticesMutex_);
    return std::exchange(notices_, {});
}

std::optional<std::string> PosixFileSystem::ReadFile(const std::string& path)
{
    return ReadFileStart(path, kWholeFile);
}

std::optional<std::string> PosixFileSystem::ReadFileStart(const std::string& path, std::size_t count)
{
    auto disk = TargetOf(path);
    if (!disk || !SettleJournal(*disk))
        return std::nullopt;
    return ReadRegularFile(*disk, count);
}

std::optional<std::string> ReadOnlyPosixFileSystem::ReadFileStart(const std::string& path, std::size_t count)
{
    auto disk = TargetOf(path);
    if (!disk)
        return std::nullopt;
    JournalRead read = ReadBesideRewrites(*disk, count);
    if (read.journalNotApplied)
        Tell(FormatMessage(messages::kJournalNotApplied, Utf8ToCp932(*disk)));
    return std::move(read.content);
}

namespace {

// errno of this thread's last replace that could not write its bytes.
thread_local int lastWriteError = 0;

// What the system said, in the user's words.
std::string SystemReason(int error)
{
    switch (error) {
    case ENOSPC:
        return "ディスクがいっぱいです";
    case EDQUOT:
        return "ディスクの使用量が上限に達しています";
    case EFBIG:
        return "ファイルが大きすぎます";
    case EIO:
        return "ディスクの読み書きに失敗しました";
    case EROFS:
        return "読み取り専用のドライブです";
    case EACCES:
    case EPERM:
        return "アクセスが拒否されました";
    default:
        return "システムエラー、エラー番号 " + std::to_string(error);
    }
}

}  // namespace

std::string PosixFileSystem::WhyWriteFailed()
{
    return lastWriteError == 0 ? std::string() : Utf8ToCp932(SystemReason(lastWriteError));
}

WriteResult PosixFileSystem::ReplaceFile(const std::string& path, const std::string& bytes)
{
    lastWriteError = 0;
    // A link stays a link: the file it leads to is the one replaced, and
    // the rules below apply to that file.
    auto disk = TargetOf(path);
    if (!disk || !SettleJournal(*disk))
        return WriteResult::CannotCreate;
    struct stat old {};
    const bool exists = ::stat(disk->c_str(), &old) == 0;
    if (exists && !MayWrite(*disk, old)) {
        RemoveAbandonedTemporaries(*disk);
        return WriteResult::CannotCreate;
    }
    mode_t mode;
    if (exists) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const ReplaceOutcome outcome = ReplaceAtomically(*disk, bytes, mode, exists ? &old : nullptr, beforeRename);
    // Nothing may be created in its folder (or on its disk), yet the file
    // itself may be written: rewrite it where it is, as the calendar's own
    // system would.
    const int error = outcome.temporaryError;
    if (outcome.result == WriteResult::CannotCreate && exists &&
        (error == EACCES || error == EPERM || error == EROFS)) {
        if (beforeRename && !(*beforeRename)())
            return WriteResult::CannotCreate;
        qCInfo(lcFiles, "フォルダーに書き込めないため、その場で書き直します: %s", disk->c_str());
        const WriteResult rewritten = RewriteInPlace(*disk, bytes);
        // The journal's own steps follow the failed write: only an errno
        // that a write alone gives is surely the cause.
        const int cause = errno;
        const bool told = cause == ENOSPC || cause == EDQUOT || cause == EFBIG || cause == EIO;
        lastWriteError = rewritten == WriteResult::WriteFailed && told ? cause : 0;
        return rewritten;
    }
    lastWriteError = outcome.writeError;
    return outcome.result;
}

std::optional<WriteResult> PosixFileSystem::ReplaceFileIf(const std::string& path, const std::string& bytes,
                                                          const std::function<bool()>& stillSo)
{
    bool refused = false;
    const std::function<bool()> ask = [&] {
        refused = !stillSo();
        return !refused;
    };
    // Unset however ReplaceFile ends: a later replace must never ask it.
    struct Asking {
        explicit Asking(const std::function<bool()>& question) { beforeRename = &question; }
        ~Asking() { beforeRename = nullptr; }
    } asking(ask);
    const WriteResult result = ReplaceFile(path, bytes);
    return refused ? std::nullopt : std::optional(result);
}

std::unique_ptr<WriterWatch> PosixFileSystem::WatchWriters(const std::string& path)
{
    auto disk = TargetOf(path);
    if (!disk)
        disk = ResolveDiskPath(path);
    if (!disk)
        return nullptr;
    // A rewrite of ours cut short is settled before the lease is taken: its
    // rollback would wait on our own lease.
    return std::make_unique<WriterLease>(*disk, [this, path]() -> std::optional<std::string> {
        auto target = TargetOf(path);
        return target && SettleJournal(*target) ? target : std::nullopt;
    });
}

void PosixFileSystem::CreateEmptyFile(const std::string& path)
{
    auto disk = ResolveDiskPath(path);
    if (!disk)
        throw Error(std::string(messages::kInvalidFileName));
    struct stat info {};
    if (::stat(disk->c_str(), &info) == 0 && !MayWrite(*disk, info))
        throw Error(ErrnoMessage(EACCES, false));
    int fd = ::open(disk->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        int error = errno;
        bool parentMissing = !IsFolder(ParentOf(*disk));
        throw Error(ErrnoMessage(error, parentMissing));
    }
    ::close(fd);
}

bool PosixFileSystem::CreateNewFile(const std::string& path)
{
    auto disk = ResolveDiskPath(path);
    if (!disk)
        throw Error(std::string(messages::kInvalidFileName));
    const int fd = ::open(disk->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd >= 0) {
        ::close(fd);
        return true;
    }
    const int error = errno;
    // A folder (or a link to one) is no file that arrived: refused as
    // opening it for writing always was.
    if (error == EEXIST)
        return IsFolder(*disk) ? throw Error(ErrnoMessage(EISDIR, false)) : false;
    throw Error(ErrnoMessage(error, !IsFolder(ParentOf(*disk))));
}

bool PosixFileSystem::DeleteFile(const std::string& path)
{
    // A link stays: the file it leads to is deleted, and the link left
    // dangling, so that the next save makes that file again.
    auto disk = TargetOf(path);
    struct stat info {};
    if (!disk || ::stat(disk->c_str(), &info) != 0 || !MayWrite(*disk, info))
        return false;
    RemoveAbandonedTemporaries(*disk);
    // A rewrite cut short is settled first, so its journal can never be
    // played back onto another file that takes the same place.
    if (!SettleJournal(*disk))
        return false;
    return ::unlink(disk->c_str()) == 0;
}

namespace {

// The path with every link and "." or ".." resolved; nothing when some part
// of it is missing.
std::optional<std::string> RealLocation(const std::string& diskPath)
{
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(diskPath.c_str(), nullptr), &std::free);
    return real ? std::optional<std::string>(real.get()) : std::nullopt;
}

}  // namespace

Discard PosixFileSystem::DiscardFileIn(const std::string& path, const std::string& folder)
{
    return DiscardIn(path, folder, false);
}

Discard PosixFileSystem::DeleteForGoodIn(const std::string& path, const std::string& folder)
{
    return DiscardIn(path, folder, true);
}

Discard PosixFileSystem::DiscardIn(const std::string& path, const std::string& folder, bool forGood)
{
    // A relative path would be taken from wherever the program was started.
    auto disk = path.starts_with(kPathSeparator) ? ResolveDiskPath(path) : std::nullopt;
    auto diskFolder = ResolveDiskPath(folder);
    auto realFolder = diskFolder ? RealLocation(*diskFolder) : std::nullopt;
    if (!disk || !realFolder)
        return Discard::OutsideFolder;
    struct stat info {};
    if (::lstat(disk->c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Discard::Missing : Discard::Failed;
    const bool isLink = S_ISLNK(info.st_mode);
    // A link is judged where it lies; anything else where it really is.
    auto real = RealLocation(isLink ? ParentOf(*disk) : *disk);
    const std::string where = real && isLink ? *real : real ? ParentOf(*real) : std::string();
    if (!real || where != *realFolder)
        return Discard::OutsideFolder;
    if (isLink)
        return ::unlink(disk->c_str()) == 0 ? Discard::Deleted : Discard::Failed;
    if (!S_ISREG(info.st_mode))
        return Discard::NotRegularFile;
    if (!MayWrite(*real, info))
        return Discard::Failed;
    if (MoveToTrash(*real))
        return Discard::Trashed;
    if (!forGood)
        return Discard::NoTrash;
    qCInfo(lcFiles, "ゴミ箱がないため、ボイスファイルを削除します: %s", real->c_str());
    return ::unlink(real->c_str()) == 0 ? Discard::Deleted : Discard::Failed;
}

namespace {

FileStamp StampFrom(const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return {};
    auto nanoseconds = [](const timespec& time) { return std::int64_t{time.tv_sec} * 1'000'000'000 + time.tv_nsec; };
    return {true,
            static_cast<std::uint64_t>(info.st_dev),
            static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size),
            nanoseconds(info.st_mtim),
            nanoseconds(info.st_ctim)};
}

bool NoSuchFile(int error) { return error == ENOENT || error == ENOTDIR; }

}  // namespace

std::optional<FileStamp> PosixFileSystem::StampOf(const std::string& path)
{
    struct stat info {};
    if (auto asWritten = Cp932ToUtf8Exact(path); asWritten && !asWritten->empty()) {
        if (::stat(asWritten->c_str(), &info) == 0)
            return StampFrom(info);
        if (!NoSuchFile(errno))
            return std::nullopt;
    }
    // Not there as written: perhaps in other letters, or a link leading nowhere.
    auto disk = ResolveDiskPath(path);
    if (!disk)
        return std::nullopt;
    if (::stat(disk->c_str(), &info) == 0)
        return StampFrom(info);
    return NoSuchFile(errno) ? std::optional(FileStamp{}) : std::nullopt;
}

void PosixFileSystem::RemoveWriteLeftovers(const std::string& path)
{
    if (auto disk = TargetOf(path))
        RemoveAbandonedTemporaries(*disk);
}

std::vector<std::string> PosixFileSystem::ListFiles(const std::string& folder, const std::string& prefix,
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
        if (low.size() >= lowPrefix.size() + lowSuffix.size() && low.starts_with(lowPrefix) && low.ends_with(lowSuffix))
            matching.emplace_back(std::move(low), std::move(*name));
    }
    std::sort(matching.begin(), matching.end());
    names.reserve(matching.size());
    for (auto& entry : matching)
        names.push_back(std::move(entry.second));
    return names;
}

std::optional<std::string> PosixFileSystem::DiskPath(const std::string& path) { return ResolveDiskPath(path); }

std::optional<std::string> PosixFileSystem::LinkLeadingOut(const std::string& path)
{
    const auto disk = ResolveDiskPath(path);
    const auto target = disk ? OutwardLinkTarget(*disk) : std::nullopt;
    return target ? std::optional(Utf8ToCp932(*target)) : std::nullopt;
}

std::string PosixFileSystem::ComparisonKey(std::string_view text) { return LowerAscii(Cp932ToUtf8(text)); }

}  // namespace voicememo
