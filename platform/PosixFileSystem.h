#pragma once
// The files on a Linux disk, seen with the rules the catalogue expects:
// code page 932 names converted to UTF-8, names resolved without regard to
// ASCII case, atomic replacement. A symbolic link is replaced through: the
// file it leads to gets the new content and the link stays. A file that has
// no write bit is read-only, for root too: never replaced, never deleted.
// Where no file can be created beside a writable file (a folder the user
// may not write to), the file is rewritten in place instead, which is not
// atomic.
//
// A replace writes ".<name>.tmp-XXXXXX" beside the file and holds an flock
// on it until the rename. What a killed save left behind is no longer
// locked: the next replace of the same file removes it.
#include "FileSystem.h"

namespace voicememo {

// The message the user sees for a failed file operation.
// parentMissing tells a missing folder on the way from a missing file.
std::string ErrnoMessage(int error, bool parentMissing);

class PosixFileSystem : public FileSystem {
public:
    bool FileExists(const std::string& path) override;
    std::optional<std::string> ReadFile(const std::string& path) override;
    WriteResult ReplaceFile(const std::string& path, const std::string& bytes) override;
    void CreateEmptyFile(const std::string& path) override;
    bool DeleteFile(const std::string& path) override;
    std::vector<std::string> ListFiles(const std::string& folder, const std::string& prefix,
                                        const std::string& suffix) override;
};

// The disk path (UTF-8) a code page 932 path names: each component that does
// not exist as written is matched against its folder's entries without
// regard to ASCII case. Nothing when the path cannot be converted.
std::optional<std::string> ResolveDiskPath(const std::string& path);

}  // namespace voicememo
