#pragma once
// The three-way merge of the catalogue: what the window last read or wrote
// (the base), the window's list (ours) and the file as another program left
// it (theirs). A memo is known by its voice file.
// - Memos added on either side are kept; a memo both sides added is one
//   memo, with the window's fields.
// - A memo removed on one side is removed, unless the other side changed it.
// - A field changed on one side takes that side's value; changed on both,
//   the window's.
// - The order is the file's, with the window's memos it does not hold after
//   them, in the window's order.
// Rows pair in order where both sides name the same file byte for byte at
// the same place (a hand-edited file may name a file twice, and blank lines
// are memos too); the rows left pair by the key of their file, the k-th of a
// key on one side with the k-th on the other. No line is lost but by a
// removal.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "MemoTable.h"
#include "RowMap.h"

namespace voicememo {

// The key of a memo's take (TakeKeys.h).
using FileKey = std::function<std::string(std::string_view path)>;

// How a merge settles what both sides did.
struct MergeRules {
    // A memo one side removed stays when the other still holds it: for two
    // versions that never saw each other (a sync tool's conflict copy), a
    // deletion comes back rather than an addition being lost.
    bool keepRemoved = false;
    // A field changed on both sides takes the file's (theirs) value, not
    // the window's (ours).
    bool theirsWinsBoth = false;
};

// A field changed on both sides: the value that was not kept.
struct LostValue {
    std::size_t row;  // in the merged memos
    int column;       // MemoTable::Column
    std::string value;
};

struct MergedCatalogue {
    MemoTable memos;  // read from the text the file is to hold
    // For each row of ours, its row in memos; -1 where it was removed.
    RowMap rowOfOurs;
    bool sameAsOurs = false;
    bool sameAsTheirs = false;
    std::vector<LostValue> lost;
};

MergedCatalogue MergeCatalogues(const MemoTable& base, const MemoTable& ours, const MemoTable& theirs,
                                const FileKey& keyOf, MergeRules rules = {});
// The same merge where ours is the base itself, unchanged: theirs as it is
// (its memos are then theirs' own table, not one read from written text).
MergedCatalogue TakenAsItStands(const MemoTable& ours, MemoTable theirs, const FileKey& keyOf);

}  // namespace voicememo
