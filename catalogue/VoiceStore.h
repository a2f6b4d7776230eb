#pragma once
// The voice files in the data folder beside the program: data/Voice1.wav,
// data/Voice2.wav, ... The folder's content is the only record of which
// names are taken.
#include <functional>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "MemoTable.h"

namespace voicememo {

inline constexpr int kHighestVoiceNumber = 999;

class VoiceStore {
public:
    VoiceStore(FileSystem& files, const std::string& exeDir);

    const std::string& folder() const { return folder_; }

    // The full path of the first free name Voice1.wav ... Voice999.wav: no
    // file has it and no memo's take is of that name (TakeKeys.h), so a new
    // take never shares a name with a memo whose file is missing.
    // Throws Error when all are taken (an existing file is never reused).
    std::string NextVoiceFileName(const std::vector<std::string>& memoPaths);

    // Creates an empty file there for the recorder to fill, only while the
    // name is free: false when a file took it meanwhile (a sync tool's
    // download), which is left as it is. Throws Error with the system's
    // message when it cannot (a folder of that name, no data folder).
    bool Reserve(const std::string& path);

    // The next free name, reserved: where a file takes a name between the
    // look and the reservation, the name after it.
    std::string ReserveNext(const std::vector<std::string>& memoPaths);

    // Discards a deleted memo's voice file, only when it is the folder's
    // own (FileSystem::DiscardFileIn) and no other memo names its take,
    // however spelt. Where no trash can take it, it is kept, or deleted
    // for good when the user agreed to that (forGood).
    Discard Remove(const std::string& path, const std::vector<std::string>& otherMemoPaths, bool forGood = false);

    // A memo whose file is missing and whose path ends in data/<name> names
    // <name> in our own data folder instead, where one is there: the folder
    // was moved or copied with its catalogue, or the catalogue comes from
    // another machine. Nothing else is rewritten. One listing of each
    // folder named, not a look per memo. Returns how many memos changed.
    std::size_t FollowMovedFolder(MemoTable& memos);

    using UnusedFileFound = std::function<void(const std::string& name, const std::string& path)>;
    // Calls found for each Voice*.wav file of the folder (folders left out)
    // that no memo's take is (TakeKeys.h) and no settings line names (a
    // case-insensitive substring test), in the order a person counts. pumpEvents runs once per entry so the window
    // stays alive.
    void FindUnusedVoiceFiles(const std::vector<std::string>& memoPaths, const std::vector<std::string>& settingsLines,
                              const UnusedFileFound& found, const std::function<void()>& pumpEvents = {});

private:
    // The comparison keys of some voice file names, and which of them texts name.
    class NameIndex;
    // Marks the names that the texts name: the folder followed by the name
    // occurs in a text (all compared as keys).
    void TakeNamesIn(NameIndex& index, const std::vector<std::string>& texts);

    FileSystem& files_;
    std::string folder_;
};

}  // namespace voicememo
