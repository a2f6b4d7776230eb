#pragma once
// The profile file on disk, read and edited through the file system so that
// a failed write never damages the file the calendar also reads.
#include <optional>
#include <string>

#include "FileSystem.h"
#include "ProfileStore.h"

namespace voicememo {

class ProfileFile : public ProfileStore {
public:
    ProfileFile(FileSystem& files, std::string path);

    // Nothing when the file is missing or cannot be read, so the defaults
    // apply.
    std::optional<std::string> ReadString(const std::string& section,
                                          const std::string& key) override;

    // Throws Error "%s に書き込めません" when the file exists but cannot be
    // read (it is then left alone) or cannot be replaced.
    void WriteString(const std::string& section, const std::string& key,
                     const std::string& value) override;

private:
    FileSystem& files_;
    std::string path_;
};

}  // namespace voicememo
