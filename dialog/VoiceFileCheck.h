#pragma once
// Whether a memo's voice file holds sound, for the marks of the list. Asked
// only for the rows being drawn and remembered by path, so a list of any
// length costs the few rows on the screen; forgotten when the files may
// have changed (the window activated, a command run).
#include <string>
#include <unordered_map>

#include "FileSystem.h"

namespace voicememo {

class VoiceFileCheck {
public:
    explicit VoiceFileCheck(FileSystem& files) : files_(files) {}

    // False for a file that is missing or empty.
    bool holdsSound(const std::string& path);
    // Asked of a file without sound only: missing, or there but empty.
    bool exists(const std::string& path) { return files_.FileExists(path); }
    void forget() { known_.clear(); }

private:
    FileSystem& files_;
    std::unordered_map<std::string, bool> known_;
};

}  // namespace voicememo
