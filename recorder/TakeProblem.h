#pragma once
// What can go wrong with a take, for the window to put into words.
#include <string>

namespace voicememo {

enum class TakeProblem {
    None,
    CannotCreateFile,    // the target's folder does not take the temporary file
    NoSoundServer,       // nothing answers at the sound server's address
    NoInput,             // the server has no input to record from
    ServerNotAnswering,  // the server took the connection but stopped answering
    TakeAbandoned,       // the server stopped answering mid-take; the take is lost
    // A take cut short by one of these keeps what came before: in the target
    // when it held no take yet, beside it (keptAs) when it did.
    InputLost,        // the input ended mid-take
    RecordingFailed,  // the capture itself failed mid-take
    WriteFailed,      // the take's file could not grow (the disk full)
    CannotSave,       // the take could not be written or moved into place
    TargetChanged,    // the target is no longer the file the recorder was
                      // started on; the take is kept beside it (keptAs)
    TargetReadOnly,   // the target may not be written; the take is kept beside it
    NoTrash,          // the target's take could not go to a trash, where it could be
                      // taken back: it stays, and the new take is kept beside it
};

// Who reported what lies behind a problem, with the reporter's own code:
// the window puts it into the user's words, never the reporter's English.
struct ProblemCause {
    enum class Reporter { None, System, SoundServer };
    Reporter reporter = Reporter::None;
    int code = 0;  // errno from the system, PA_ERR_* from the sound server

    static ProblemCause System(int error) { return {Reporter::System, error}; }
    static ProblemCause SoundServer(int error) { return {Reporter::SoundServer, error}; }
};

struct TakeOutcome {
    TakeProblem problem = TakeProblem::None;
    bool saved = false;           // the target now holds the take
    ProblemCause cause{};         // what lies behind the problem, when it is known
    std::string keptAs{};         // the file that holds the take instead of the target
    bool oldTakeTrashed = false;  // the take the target held went to the trash
};

}  // namespace voicememo
