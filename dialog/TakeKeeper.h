#pragma once
// The window's care for the takes of its data folder beyond what the memos
// name: a take that a sync tool or the recorder set beside another gets a
// memo of its own (StrayTakes.h), and a deleted memo's take comes back from
// the trash when a merge brings the memo back (another machine changed it
// meanwhile). Each says what it did in a notice.
#include <QString>
#include <optional>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "Clock.h"
#include "FileSystem.h"
#include "VoiceMemo.h"

class QWidget;

namespace voicememo {

class MemoListModel;

class TakeKeeper {
public:
    TakeKeeper(FileSystem& files, RegionalSettings& regional, std::string exeDir);

    // Adopts the data folder's stray takes as memos at the end of the list;
    // true when it added any (the list is then to be saved). The folder is
    // listed again only once it changed, or when a take was left to try
    // again.
    bool AdoptStrayTakes(QWidget* owner, MemoListModel& model);

    // Discards a deleted memo's take as VoiceStore::Remove does, noting
    // where in the trash it went.
    Discard Remove(const VoiceMemo& memo, const std::vector<std::string>& otherMemoPaths, bool forGood = false);

    // Brings back the take of each memo of the list that this window moved
    // to the trash and that data/ lacks, under its own name when that is
    // free.
    void BringBackTrashedTakes(QWidget* owner, const MemoListModel& model);

private:
    struct Trashed {
        std::string pathKey;                     // the memo's path, as a comparison key
        std::string diskPath;                    // where it lay, links resolved
        std::string where;                       // in the trash
        std::string recordedDate, recordedTime;  // the memo's, which a change elsewhere keeps
    };
    // The data folder's entries changed since: its times and identity.
    using FolderLook = std::tuple<std::int64_t, std::int64_t, std::uint64_t>;
    std::optional<FolderLook> LookAtFolder() const;

    FileSystem& files_;
    RegionalSettings& regional_;
    std::string exeDir_;
    std::optional<FolderLook> settled_;                 // the folder when nothing was left in it to try again
    std::unordered_map<std::string, Trashed> trashed_;  // by the file name, ASCII lowered
};

}  // namespace voicememo
