#pragma once
// Takes that no memo names, set beside a voice file by someone else: a sync
// tool that met two recordings under one name on two machines keeps the
// other as a conflict copy, and the recorder keeps a take it could not put
// in place as "Voice6 (2).wav". Each becomes a voice file of its own with a
// memo, so that no recording is left without one.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Clock.h"
#include "FileSystem.h"
#include "MemoTable.h"
#include "VoiceMemo.h"

namespace voicememo {

// A take set beside the voice file VoiceN.wav (N from 1 to 999).
struct TakeBeside {
    enum class Why {
        OtherMachine,  // a sync tool's conflict copy: recorded on another machine at the same time
        OtherTake,     // the recorder's "VoiceN (2).wav": a take it could not put in place
    };
    std::string original;  // "Voice5.wav", in the letters the take's name has
    Why why;
};

// What a file name in the data folder is: a take beside a voice file, or
// nothing (a voice file, a hidden temporary file, a copy of anything else).
std::optional<TakeBeside> RecogniseTakeBeside(std::string_view name);

// The local date and time of a file's modification time.
using LocalTimeOf = std::function<LocalDateTime(std::int64_t modifiedNs)>;

struct AdoptedTakes {
    std::vector<VoiceMemo> memos;        // one for each take adopted, in order
    std::size_t sameBytesDiscarded = 0;  // takes that held a voice file's bytes again
    std::size_t left = 0;                // takes that could not be handled now: try again later
};

// Gives each take of the data folder that no memo names the next free voice
// file name (a rename, never over a file) and a memo: titled after the memo that names the
// file it stood beside (or that file's name), with 「（別のコンピューター）」
// or 「（別の録音）」 after it, recorded at the take's modification time, a
// TODO memo. A take with the same bytes as the file it stood beside, or as
// a take of that file adopted before it, is discarded instead. The takes go
// in the order of their names, and everything comes from the takes, the
// memos and the data folder alone, so that two machines that see the same
// folder give the same names and memos. A take that is empty, cannot be
// renamed, or finds no free name stays where it is.
AdoptedTakes AdoptStrayTakes(FileSystem& files, const std::string& exeDir, const MemoTable& memos,
                             const Separators& separators, const LocalTimeOf& localTime);

}  // namespace voicememo
