#pragma once
// What a save or a take-in of the catalogue has to tell the user about
// another machine's changes, so that no edit is undone without a word.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "MemoTable.h"

namespace voicememo {

struct SyncNotice {
    enum Kind {
        CopyTakenIn,     // a sync tool's conflict copy was merged in (file)
        CopyUnreadable,  // a conflict copy could not be read; left as it is (file)
        ValueLost,       // this machine's value gave way to the other's (title, column, value)
        ValueReplaced,   // a value that arrived gave way to the one edited here (title, column, value)
        MemoDropped,     // a memo added here in the last save is gone again (title)
        MemoBack,        // a memo removed here in the last save is back (title)
        ValueBack,       // a field changed here in the last save has its old value again (title, column, value)
        HeldOpen,        // another program has held the catalogue open for writing a long while (file)
    };
    Kind kind;
    std::string file = {};  // the copy's name
    std::string title = {};
    int column = -1;  // MemoTable::Column
    std::string value = {};
    bool operator==(const SyncNotice&) const = default;
};

// What a take-in undid of the window's last save, where no conflict copy
// says so (a sync tool that keeps the newer file alone): before and after
// are the catalogue before and after that save, now what the file holds.
std::vector<SyncNotice> UndoneEdits(const MemoTable& before, const MemoTable& after, const MemoTable& now,
                                    const std::function<std::string(std::string_view)>& keyOf);

}  // namespace voicememo
