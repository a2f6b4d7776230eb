#include "FileBytes.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace voicememo {

int OpenRegularFile(const std::string& diskPath, int flags, struct stat& info)
{
    if (::stat(diskPath.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    int fd = ::open(diskPath.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    // Checked again on what was opened: the name may have changed meanwhile.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    // The status flags asked for, now without O_NONBLOCK (the kernel adds none
    // of its own among those F_SETFL sets).
    ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

bool ReadAll(int fd, std::string& bytes, std::size_t sizeHint, off_t offset, std::size_t most)
{
    // One byte past the size expected, so that the end is seen in one read.
    const std::size_t buffer = std::min(sizeHint + 1, most);
    bytes.reserve(buffer);
    bytes.resize(buffer);
    std::size_t filled = 0;
    for (;;) {
        if (filled == most)
            break;
        if (filled == bytes.size())
            bytes.resize(std::min(bytes.size() * 2 + 65536, most));
        ssize_t got = ::pread(fd, bytes.data() + filled, bytes.size() - filled, offset + static_cast<off_t>(filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            break;
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return true;
}

std::optional<std::string> ReadRegularFile(const std::string& diskPath, std::size_t most)
{
    struct stat info {};
    int fd = OpenRegularFile(diskPath, O_RDONLY, info);
    if (fd < 0)
        return std::nullopt;
    std::string content;
    const bool read = ReadAll(fd, content, static_cast<std::size_t>(info.st_size), 0, most);
    ::close(fd);
    if (!read)
        return std::nullopt;
    return content;
}

bool PWriteAll(int fd, std::string_view bytes, off_t offset)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

std::string ParentOf(const std::string& diskPath)
{
    auto slash = diskPath.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : diskPath.substr(0, slash);
}

void SyncFolder(const std::string& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace voicememo
