#pragma once
// The walk of the data folder for voice files nothing uses, run with the
// window alive: pending events are handled at the first folder entry, then
// at the first entry after 20 ms or more have passed since the last time,
// and the pointer shows busy. The folder's listing and the matching of the
// names against the memos and settings come before the first entry and run
// without a pause (make bench measures them). While it runs, the
// commands that change which voice files are taken hold off (they ask
// running()), so two memos never end up on one voice file.
#include <functional>
#include <string>
#include <vector>

#include "VoiceStore.h"

namespace voicememo {

class UnusedFileWalk {
public:
    bool running() const { return running_; }

    // Calls found for each unused voice file, in listing order, and flush
    // before each time the window handles its events and at the end, so that
    // what found gathered meanwhile can be shown in one go; returns how many
    // were found.
    int Run(VoiceStore& store, const std::vector<std::string>& memoPaths, const std::vector<std::string>& settingsLines,
            const VoiceStore::UnusedFileFound& found, const std::function<void()>& flush = {});

private:
    bool running_ = false;
};

}  // namespace voicememo
