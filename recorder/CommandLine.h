#pragma once
// The recorder's command line:
//
//   voicememo-recorder [--start] <file>
//
// <file> is the voice file to record into, a path on disk. The memo manager
// passes just that, on a file it has just created empty: the user has
// already said "record", so a take starts at once on an empty file. On a
// file that holds sound the recorder waits for 録音, which asks before the
// take replaces that sound, unless --start asks for a take at once without
// the question (for scripts).
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

// Whether a take starts without waiting for 録音: when asked to, or when the
// target is an empty regular file (a fresh reservation).
bool StartsAtOnce(const RecorderCommand& command);

}  // namespace voicememo
