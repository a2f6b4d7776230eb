#pragma once
// Records takes of one of the sound server's inputs into one target file.
// A take is read and written on a worker thread; the caller only starts and
// stops it and reads the level and length as they go. Neither call waits
// long for a server that stopped answering: the worker is then given up, and
// since it owns everything it touches, it can finish (or never finish) on
// its own without harm. A given-up take never reaches the target.
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "FileIdentity.h"
#include "TakeProblem.h"

namespace voicememo {

class TakeFile;

struct TakeTimeouts {
    std::chrono::milliseconds connect{2000};
    std::chrono::milliseconds stop{1500};
};

class TakeRecorder {
public:
    // Notes which file the target is now: a take replaces that file only,
    // and, once in place, itself (see TakeFile::Keep).
    explicit TakeRecorder(std::string target, TakeTimeouts timeouts = {});
    ~TakeRecorder();  // a take still running is ended and kept
    TakeRecorder(const TakeRecorder&) = delete;
    TakeRecorder& operator=(const TakeRecorder&) = delete;

    // Starts a new take (ending a running one first). Its problem is None
    // when the take runs.
    TakeOutcome Start();
    // Ends the take and, when all went well, puts it in place of the target.
    // Only a take ended here is whole; one that ended by itself (the input
    // lost, the disk full) never replaces a take the target holds (see
    // TakeFile::Keep).
    TakeOutcome Stop();
    // A paused take goes on, but keeps nothing of what it hears until it is
    // resumed: one take, of the parts recorded between the pauses.
    void Pause();
    void Resume();

    // The source the next take records from: a name from the server's list,
    // or empty for the server's default.
    void SetSource(std::string source) { source_ = std::move(source); }

    bool IsRecording() const { return take_ != nullptr; }
    bool IsPaused() const;
    // The take ended by itself (the input went away); Stop() tells how.
    bool HasEndedByItself() const;
    // Length in seconds of the running take, or of the last one.
    double Seconds() const;
    // Loudness of the latest sound, 0 (silence) to 100 (full scale).
    int Level() const;

    const std::string& target() const { return target_; }

    // Called on the worker after each chunk of sound reaches the take's
    // file, from the next take on; lets a test make the capture fail.
    void SetChunkWritten(std::function<void()> chunkWritten) { chunkWritten_ = std::move(chunkWritten); }

private:
    struct Take;
    static void Record(std::shared_ptr<Take> take, std::unique_ptr<TakeFile> file);
    static void RecordInto(Take& take, TakeFile& file);

    std::string target_;
    TakeTimeouts timeouts_;
    // The file a take may replace, shared with the running take's worker.
    std::shared_ptr<HeldFile> replaceable_;
    std::function<void()> chunkWritten_;
    std::string source_;
    std::shared_ptr<Take> take_;
    double lastSeconds_ = 0;
};

// A peak sample's loudness on the level scale: -60 dBFS and below is 0,
// full scale is 100.
int LevelOfPeak(int peak);

}  // namespace voicememo
