#include "SyncNotice.h"

#include <unordered_map>

namespace voicememo {

namespace {
// The first row of each take's key: the memo a key stands for.
std::unordered_map<std::string, std::size_t> RowsByKey(const MemoTable& table,
                                                       const std::function<std::string(std::string_view)>& keyOf)
{
    std::unordered_map<std::string, std::size_t> rows;
    for (std::size_t row = 0; row < table.size(); ++row)
        rows.try_emplace(keyOf(table.field(row, MemoTable::kFilePath)), row);
    return rows;
}
}  // namespace

std::vector<SyncNotice> UndoneEdits(const MemoTable& before, const MemoTable& after, const MemoTable& now,
                                    const std::function<std::string(std::string_view)>& keyOf)
{
    const auto inBefore = RowsByKey(before, keyOf), inAfter = RowsByKey(after, keyOf), inNow = RowsByKey(now, keyOf);
    std::vector<SyncNotice> undone;
    for (std::size_t row = 0; row < after.size(); ++row) {
        const std::string key = keyOf(after.field(row, MemoTable::kFilePath));
        if (inAfter.at(key) != row)
            continue;
        const auto was = inBefore.find(key);
        const auto is = inNow.find(key);
        const std::string title(after.field(row, MemoTable::kTitle));
        if (was == inBefore.end()) {
            if (is == inNow.end())
                undone.push_back({SyncNotice::MemoDropped, {}, title});
            continue;
        }
        if (is == inNow.end())
            continue;  // removed elsewhere: a change of the other machine's
        for (int column = 0; column < MemoTable::kFields; ++column) {
            const std::string_view old = before.field(was->second, column);
            if (after.field(row, column) != old && now.field(is->second, column) == old)
                undone.push_back({SyncNotice::ValueBack, {}, title, column, std::string(after.field(row, column))});
        }
    }
    for (std::size_t row = 0; row < before.size(); ++row) {
        const std::string key = keyOf(before.field(row, MemoTable::kFilePath));
        if (inBefore.at(key) == row && !inAfter.contains(key) && inNow.contains(key))
            undone.push_back({SyncNotice::MemoBack, {}, std::string(before.field(row, MemoTable::kTitle))});
    }
    return undone;
}

}  // namespace voicememo
