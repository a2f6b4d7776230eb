#pragma once
// Opening regular files only, whole reads and writes on open files, retried where the system returns
// early, and making a folder's entries durable.
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

struct stat;

namespace voicememo {

// Opens a regular file only, with the open flags given; -1 otherwise. A FIFO,
// a socket or a device would block the open or the read for good, or be
// changed by it. info describes what was opened.
int OpenRegularFile(const std::string& diskPath, int flags, struct stat& info);

inline constexpr std::size_t kWholeFile = std::numeric_limits<std::size_t>::max();

// Reads the file from offset to its end, or its first most bytes from there,
// into bytes; sizeHint (the size expected, 0 when unknown) spares growing
// the buffer.
bool ReadAll(int fd, std::string& bytes, std::size_t sizeHint, off_t offset, std::size_t most = kWholeFile);
// The regular file's content, or its first most bytes; nothing when it
// cannot be read or is no regular file.
std::optional<std::string> ReadRegularFile(const std::string& diskPath, std::size_t most = kWholeFile);
// Writes the bytes at offset, whatever the file position.
bool PWriteAll(int fd, std::string_view bytes, off_t offset);

// The folder of a path ("." when none, "/" for the root's entries).
std::string ParentOf(const std::string& diskPath);
// Makes the folder's entries (a rename, a removal) durable; a failure loses
// nothing already visible, so it is not reported.
void SyncFolder(const std::string& folder);

}  // namespace voicememo
