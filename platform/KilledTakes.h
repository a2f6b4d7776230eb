#pragma once
// The hidden file a take is recorded into, ".Voice7.wav.take-<machine>-XXXXXX"
// beside its target, and the mending of one that a killed recorder (or a
// power cut) left behind: its sound is all there, but its WAV header still
// says it holds none, and nothing shows it to the user.
//
// In a folder synced between machines a take travels while it is recorded,
// so its name says which machine records it, and only this machine's takes
// are mended. A recorder holds a lock on its take while it records.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voicememo {

class FileSystem;

// This machine's id (/etc/machine-id, or D-Bus's copy of it); where neither
// exists, the host name, which at least tells two machines apart.
std::string ThisMachineId();

// mkstemp's template for a take of the file at landing (a disk path) that
// machine records.
std::string HiddenTakeTemplate(const std::string& landing, const std::string& machine = ThisMachineId());

// A hidden take's name taken apart.
struct HiddenTakeName {
    std::string target;   // "Voice7.wav", the file the take was for
    std::string machine;  // empty for a take named before takes carried it
};
std::optional<HiddenTakeName> ParseHiddenTake(std::string_view name);

// Held by the recorders of one folder while a take file is created, swapped
// into place, and while killed takes are mended: a file just swapped out of
// the target's name sits unlocked under a take's name for a moment, and must
// not be taken for a killed recorder's take. A folder that cannot be opened
// goes without.
class TakeFolderLock {
public:
    explicit TakeFolderLock(const std::string& folder);
    ~TakeFolderLock();
    TakeFolderLock(const TakeFolderLock&) = delete;
    TakeFolderLock& operator=(const TakeFolderLock&) = delete;

private:
    int fd_;
};

// Renames from to to unless to exists (errno EEXIST then). A file system
// without RENAME_NOREPLACE gets a hard link, which never replaces either.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Moves the file at from beside besideOf as "<stem> (N)<extension>", the
// first N from 2 that no file has; the name it got, or nothing (errno set).
std::optional<std::string> MoveBeside(const std::string& from, const std::string& besideOf);

struct MendedTake {
    std::string take;    // the hidden take's path
    std::string keptAs;  // where its sound went; empty when it held none and was removed
};

// Mends each of folder's hidden takes that machine's recorder left and no
// live recorder holds: its sizes are set from the file's length, cut to whole
// frames, and it goes into its target when that is still an empty file (a
// name the window reserved) or missing, else beside it as "Voice7 (2).wav",
// the first free number, which the window adopts as a stray take. A take
// without a single frame is removed. A file that is no WAV, one of another
// user, and one without an id that changed in the last ten minutes (it may
// be another machine's, still recording) stay as they are.
std::vector<MendedTake> MendKilledTakes(const std::string& folder, const std::string& machine = ThisMachineId());

// The same for the data folder of the program at exeDir, at the window's start.
std::vector<MendedTake> MendKilledTakes(FileSystem& files, const std::string& exeDir);

}  // namespace voicememo
