#include "FileIdentity.h"

#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ByteText.h"

namespace voicememo {

HeldFile HeldFile::Open(const std::string& diskPath)
{
    // O_PATH: no read or write permission is needed to hold the file.
    return HeldFile(::open(diskPath.c_str(), O_PATH | O_CLOEXEC));
}

HeldFile::~HeldFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

HeldFile& HeldFile::operator=(HeldFile&& other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

std::optional<FileIdentity> HeldFile::identity() const
{
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

std::optional<std::string> FollowLinks(std::string diskPath)
{
    constexpr int kMostLinks = 40;  // as the kernel allows on one lookup
    for (int hop = 0; hop < kMostLinks; ++hop) {
        struct stat info {};
        if (::lstat(diskPath.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return diskPath;
        char buffer[PATH_MAX];
        ssize_t length = ::readlink(diskPath.c_str(), buffer, sizeof buffer);
        if (length <= 0 || static_cast<std::size_t>(length) == sizeof buffer)
            return std::nullopt;
        std::string target(buffer, static_cast<std::size_t>(length));
        if (target[0] != '/') {
            // Relative to the folder that holds the link.
            target = ExtractFolder(diskPath) + target;
        }
        diskPath = std::move(target);
    }
    return std::nullopt;
}

bool MayWriteFile(const std::string& diskPath)
{
    struct stat info {};
    // AT_EACCESS: the effective user decides, as for the open that follows,
    // not the real one that access() asks about.
    return ::stat(diskPath.c_str(), &info) == 0 && (info.st_mode & 0222) != 0 &&
           ::faccessat(AT_FDCWD, diskPath.c_str(), W_OK, AT_EACCESS) == 0;
}

}  // namespace voicememo
