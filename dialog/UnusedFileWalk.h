#pragma once
// The walk of the data folder for voice files nothing uses, run with the
// window alive: pending events are handled once per folder entry, and the
// pointer shows busy. While it runs, the commands that change which voice
// files are taken hold off (they ask running()), so two memos never end up
// on one voice file.
#include <string>
#include <vector>

#include "VoiceStore.h"

namespace voicememo {

class UnusedFileWalk {
public:
    bool running() const { return running_; }

    // Calls found for each unused voice file, in listing order; returns how
    // many were found.
    int Run(VoiceStore& store, const std::vector<std::string>& memoPaths,
            const std::vector<std::string>& settingsLines, const VoiceStore::UnusedFileFound& found);

private:
    bool running_ = false;
};

}  // namespace voicememo
