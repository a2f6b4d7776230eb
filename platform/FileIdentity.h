#pragma once
// Which file a path reaches, told by the file itself rather than its name,
// and whether this process may write it: what a program needs to replace a
// file only while it is still the one it set out to replace.
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>

namespace voicememo {

// A file as the system knows it: one device and inode, whatever its names.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// A file held open, so that its identity stays its own: a file removed
// while held keeps its inode, where otherwise the next new file could get
// the same number and pass for it. Holds no lock and needs no permission
// on the file.
class HeldFile {
public:
    HeldFile() = default;
    // The file the path reaches through any links; held empty when none.
    static HeldFile Open(const std::string& diskPath);
    // Takes over an open descriptor of the file.
    explicit HeldFile(int fd) : fd_(fd) {}
    ~HeldFile();
    HeldFile(HeldFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    HeldFile& operator=(HeldFile&& other) noexcept;

    // Nothing when no file is held.
    std::optional<FileIdentity> identity() const;

private:
    int fd_ = -1;
};

// Where a write to the path lands: the end of its chain of symbolic links
// (a file that may not exist yet), or the path itself when it is no link.
// Nothing for a chain that loops or runs too long.
std::optional<std::string> FollowLinks(std::string diskPath);

// Whether the effective user may write the existing file the path reaches.
// A file whose write bits are all off is read-only, for root too, as the
// dialog treats it.
bool MayWriteFile(const std::string& diskPath);

}  // namespace voicememo
