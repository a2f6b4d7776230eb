#pragma once
// The recorder's command line:
//
//   voicememo-recorder [--start] <file>
//
// <file> is the voice file to record into, a path on disk. The memo manager
// passes just that. --start begins a take at once, for scripts and tests.
#include <optional>
#include <string>
#include <vector>

namespace voicememo {

struct RecorderCommand {
    std::string target;
    bool startAtOnce = false;
};

// The arguments after the program's name; nothing when they do not fit.
std::optional<RecorderCommand> ParseRecorderCommand(const std::vector<std::string>& arguments);

}  // namespace voicememo
