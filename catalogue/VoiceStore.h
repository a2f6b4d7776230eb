#pragma once
// The voice files in the data folder beside the program: data/Voice1.wav,
// data/Voice2.wav, ... The folder's content is the only record of which
// names are taken.
#include <functional>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace voicememo {

inline constexpr int kHighestVoiceNumber = 999;

class VoiceStore {
public:
    VoiceStore(FileSystem& files, const std::string& exeDir);

    const std::string& folder() const { return folder_; }

    // The full path of the first free name Voice1.wav ... Voice999.wav.
    // Throws Error when all are taken (an existing file is never reused).
    std::string NextVoiceFileName();

    // Creates an empty file there for the recorder to fill; throws Error
    // with the system's message when it cannot.
    void Reserve(const std::string& path);

    // Deletes the file when it exists; a failure is not reported.
    void Remove(const std::string& path);

    using UnusedFileFound = std::function<void(const std::string& name, const std::string& path)>;
    // Calls found for each Voice*.wav file of the folder (folders left out) that no memo path
    // and no settings line names (a case-insensitive substring test), in
    // listing order. pumpEvents runs once per entry so the window stays alive.
    void FindUnusedVoiceFiles(const std::vector<std::string>& memoPaths, const std::vector<std::string>& settingsLines,
                              const UnusedFileFound& found, const std::function<void()>& pumpEvents = {});

private:
    FileSystem& files_;
    std::string folder_;
};

}  // namespace voicememo
