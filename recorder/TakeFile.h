#pragma once
// One take on its way to the disk: a 16-bit mono 22,050 Hz WAV written to a
// hidden temporary file beside the target. The target is replaced only by the
// whole, closed and synced file, so until then it stays exactly as it was.
// A target that is a symbolic link stays one: the file at the end of its
// links is the one replaced.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FileIdentity.h"
#include "KilledTakes.h"
#include "TakeProblem.h"

typedef struct sf_private_tag SNDFILE;

namespace voicememo {

inline constexpr int kTakeSampleRate = 22050;

class TakeFile {
public:
    // Creates the temporary file beside target (a path on disk); nullptr,
    // with the system's error, when its folder does not take it.
    static std::unique_ptr<TakeFile> Create(const std::string& target, int& error);
    ~TakeFile();  // an unkept take is discarded
    TakeFile(const TakeFile&) = delete;
    TakeFile& operator=(const TakeFile&) = delete;

    // False, with the system's error, when the samples cannot be written;
    // what did reach the disk stays part of the take.
    bool Append(const std::int16_t* samples, std::size_t count, int& error);
    // Closes and syncs the take and puts it in place of the target, but only
    // while the target is still the file replaceable holds (or, when it holds
    // none, while there is no target) and the user may write it; replaceable
    // then holds the take, and a take the target held is in the trash
    // (deleted where no trash can be had). A take cut short (ending is why)
    // never replaces a take: it goes in place of an empty target only.
    // Otherwise the take is kept beside the target as "<name> (N).wav", the
    // first N from 2 that is free, which the dialog adopts as an unused
    // voice file. A take without samples is discarded, as is one that fails;
    // the target is then left alone. The outcome's problem is ending, or the
    // reason a whole take was kept beside.
    TakeOutcome Keep(HeldFile& replaceable, TakeProblem ending);
    void Discard();

    const std::string& path() const { return path_; }

    // Mends the takes that killed recorders of this machine left in target's
    // folder (see MendKilledTakes). A take in progress holds a lock on its
    // file, so it is left alone.
    static std::vector<MendedTake> MendKilled(const std::string& target);

private:
    TakeFile(std::string target, std::string landing, std::string path, int fd, SNDFILE* sound);
    TakeOutcome PutInPlace(const std::optional<FileIdentity>& replaceable);
    TakeOutcome ReplaceThroughTrash(const std::optional<FileIdentity>& replaceable);
    TakeOutcome KeepBeside(TakeProblem why);
    TakeOutcome Failed(int error);
    void CloseAll();

    std::string target_;   // as the recorder was given it
    std::string landing_;  // the end of target_'s links: the file replaced
    std::string path_;
    int fd_;
    SNDFILE* sound_;
    long long frames_ = 0;  // that reached the file
};

// Whether the file at path holds a take: any byte at all. An empty file is
// a name the dialog reserved, which the first take fills.
bool HoldsTake(const std::string& path);

// The length in seconds of the sound the file at path holds, as its header
// gives it; 0 when it holds none that can be read, or is no regular file.
double TakeSeconds(const std::string& path);

}  // namespace voicememo
