#include "PosixFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "AtomicReplace.h"
#include "ByteText.h"
#include "Codepage.h"
#include "Diagnostics.h"
#include "DiskPaths.h"
#include "Error.h"
#include "FileBytes.h"
#include "FileIdentity.h"
#include "Messages.h"
#include "RewriteJournal.h"

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

namespace {

std::optional<std::string> ReadRegularFile(const std::string& diskPath)
{
    struct stat info {};
    int fd = OpenRegularFile(diskPath, O_RDONLY, info);
    if (fd < 0)
        return std::nullopt;
    std::string content;
    const bool read = ReadAll(fd, content, static_cast<std::size_t>(info.st_size), 0);
    ::close(fd);
    if (!read)
        return std::nullopt;
    return content;
}

}  // namespace

std::optional<std::string> PosixFileSystem::ReadFile(const std::string& path)
{
    auto disk = TargetOf(path);
    if (!disk || !RewriteJournal::RollBackCutRewrite(*disk))
        return std::nullopt;
    return ReadRegularFile(*disk);
}

std::optional<std::string> ReadOnlyPosixFileSystem::ReadFile(const std::string& path)
{
    auto disk = TargetOf(path);
    if (!disk)
        return std::nullopt;
    // A journal seen before or after the read means a rewrite overlapped
    // it: the content from before that rewrite is the whole one.
    if (auto old = RewriteJournal::OldContentOfRewrite(*disk))
        return old;
    auto content = ReadRegularFile(*disk);
    if (auto old = RewriteJournal::OldContentOfRewrite(*disk))
        return old;
    return content;
}

WriteResult PosixFileSystem::ReplaceFile(const std::string& path, const std::string& bytes)
{
    // A link stays a link: the file it leads to is the one replaced, and
    // the rules below apply to that file.
    auto disk = TargetOf(path);
    if (!disk || !RewriteJournal::RollBackCutRewrite(*disk))
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
    const ReplaceOutcome outcome = ReplaceAtomically(*disk, bytes, mode);
    // Nothing may be created in its folder (or on its disk), yet the file
    // itself may be written: rewrite it where it is, as the calendar's own
    // system would.
    const int error = outcome.temporaryError;
    if (outcome.result == WriteResult::CannotCreate && exists &&
        (error == EACCES || error == EPERM || error == EROFS)) {
        qCInfo(lcFiles, "フォルダに書き込めないため、その場で書き直します: %s", disk->c_str());
        return RewriteInPlace(*disk, bytes);
    }
    return outcome.result;
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
    if (!RewriteJournal::RollBackCutRewrite(*disk))
        return false;
    return ::unlink(disk->c_str()) == 0;
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

std::string PosixFileSystem::ComparisonKey(std::string_view text) { return LowerAscii(Cp932ToUtf8(text)); }

}  // namespace voicememo
