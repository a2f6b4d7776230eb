// What PosixFileSystem offers a catalogue that other machines write too:
// folder identities, bytes kept between starts, digests, renames that never
// replace.
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "AtomicReplace.h"
#include "Codepage.h"
#include "DiskPaths.h"
#include "FileBytes.h"
#include "JournalText.h"
#include "PosixFileSystem.h"
#include "RewriteJournal.h"

namespace voicememo {

namespace {
// Where the bytes kept about a file lie: in a folder beside the rollback
// journals, named by the file's disk path, so two folders never share them.
std::string KeptFolder() { return RewriteJournal::Folder() + "/kept"; }

// The folder and those above it, each private to the user where made.
bool MakePrivateFolders(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        if (::mkdir(folder.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

std::string KeptPathOf(const std::string& diskPath, std::string_view name)
{
    return KeptFolder() + "/" + Sha256Hex(diskPath).substr(0, 32) + "." + std::string(name);
}
}  // namespace

std::optional<FolderIdentity> PosixFileSystem::IdentityOfFolder(const std::string& folder)
{
    const auto disk = ResolveDiskPath(folder);
    struct stat info {};
    if (!disk || ::stat(disk->c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return FolderIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

std::optional<std::string> PosixFileSystem::ReadKept(const std::string& path, std::string_view name)
{
    const auto disk = ResolveDiskPath(path);
    if (!disk)
        return std::nullopt;
    return ReadRegularFile(KeptPathOf(*disk, name));
}

void PosixFileSystem::Keep(const std::string& path, std::string_view name, const std::string& bytes)
{
    const auto disk = ResolveDiskPath(path);
    if (!disk || !MakePrivateFolders(KeptFolder()))
        return;
    ReplaceAtomically(KeptPathOf(*disk, name), bytes, 0600);
}

std::string PosixFileSystem::Digest(std::string_view bytes) { return Sha256Hex(bytes); }

bool PosixFileSystem::RenameNoReplace(const std::string& from, const std::string& to)
{
    const auto diskFrom = ResolveDiskPath(from);
    const auto diskTo = Cp932ToUtf8Exact(to);
    if (!diskFrom || !diskTo || diskTo->empty())
        return false;
    if (::renameat2(AT_FDCWD, diskFrom->c_str(), AT_FDCWD, diskTo->c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without that rename: a link to the new name fails when
    // the name is taken, where a rename would replace what is there.
    return ::link(diskFrom->c_str(), diskTo->c_str()) == 0 && ::unlink(diskFrom->c_str()) == 0;
}

}  // namespace voicememo
