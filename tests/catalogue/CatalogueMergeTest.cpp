#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "CatalogueFile.h"
#include "CatalogueMerge.h"

using namespace voicememo;

namespace {

// A side of the merge in short: memos apart by spaces; "b" is the memo of
// the file b (its title b), "b:x" gives it the title x, "b:x:DAILY" the
// kind too, and "_" is a blank line.
std::vector<VoiceMemo> MemosOf(const std::string& side)
{
    std::vector<VoiceMemo> memos;
    std::istringstream words(side);
    for (std::string word; words >> word;) {
        if (word == "_") {
            memos.emplace_back();
            continue;
        }
        std::vector<std::string> parts;
        std::istringstream fields(word);
        for (std::string part; std::getline(fields, part, ':');)
            parts.push_back(part);
        memos.push_back({parts.size() > 1 ? parts[1] : parts[0], parts[0], "2001/04/05", "09:12:30",
                         parts.size() > 2 ? parts[2] : kKindTodo, ""});
    }
    return memos;
}

std::string ShortFormOf(const MemoTable& table)
{
    std::string side;
    for (const VoiceMemo& memo : table.memos()) {
        std::string word = memo.FilePath;
        if (memo == VoiceMemo{})
            word = "_";
        else if (memo.Kind != kKindTodo)
            word += ":" + memo.Title + ":" + memo.Kind;
        else if (memo.Title != memo.FilePath)
            word += ":" + memo.Title;
        side += (side.empty() ? "" : " ") + word;
    }
    return side;
}

// "n1 n2 ... nCount": more memos than the merge looks past for a place
// where two sides meet again.
std::string Many(int count)
{
    std::string side;
    for (int n = 1; n <= count; ++n)
        side += "n" + std::to_string(n) + " ";
    return side;
}

std::string LowerKey(std::string_view path) { return LowerAscii(path); }

}  // namespace

TEST(CatalogueMergeTest, EachSidesChangesMeet)
{
    struct Case {
        const char* what;
        std::string base, ours, theirs, merged;
    };
    const Case cases[] = {
        {"nothing changed", "a b c", "a b c", "a b c", "a b c"},
        {"they add", "a b c", "a b c", "a b c d", "a b c d"},
        {"we add", "a b c", "a b c x", "a b c", "a b c x"},
        {"both add, ours after the file's", "a b c", "a b c x", "a d b c", "a d b c x"},
        {"they remove", "a b c", "a b c", "a c", "a c"},
        {"we remove", "a b c", "a c", "a b c", "a c"},
        {"both remove one", "a b c", "a c", "a c", "a c"},
        {"each removes another", "a b c", "a c", "a b", "a"},
        {"they remove what we edit", "a b c", "a b:x c", "a c", "a c b:x"},
        {"we remove what they edit", "a b c", "a c", "a b:y c", "a b:y c"},
        {"each edits another", "a b c", "a b c:x", "a b:y c", "a b:y c:x"},
        {"both edit one memo, other fields", "a b c", "a b:x c", "a b:b:DAILY c", "a b:x:DAILY c"},
        {"both edit one field", "a b c", "a b:x c", "a b:y c", "a b:x c"},
        {"they reorder", "a b c", "a b:x c", "c a b", "c a b:x"},
        {"we reorder: the file's order stays", "a b c", "c b:x a", "a b c d", "a b:x c d"},
        {"both add one file", "a b", "a b x:mine", "a b x:theirs", "a b x:mine"},
        {"both add one file in other letters", "a b", "a b X:mine", "a x:theirs b", "a X:mine b"},
        {"a file named twice", "a a b", "a:x a b", "a a:y b", "a:x a:y b"},
        {"they remove one of two", "a a:2 b", "a a:2 b", "a:2 b", "a:2 b"},
        {"they remove one of two we edit", "a a:2 b", "a a:z b", "a:2 b", "a:2 b a:z"},
        {"blank lines are memos", "a _ b", "a _ b x", "a _ _ b", "a _ _ b x"},
        {"nothing read before: the file's first", "", "x y", "a b x:theirs", "a b x y"},
        {"far apart, by keys", "a b c", "a b c:x", Many(70) + "a b c", Many(70) + "a b c:x"},
        {"they move a memo far", Many(70) + "a", "a:x " + Many(70), "a " + Many(70), "a:x " + Many(70)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Base as read from a file or as a save wrote it, theirs as read,
        // ours as the window edits it.
        const MemoTable read = MemoTable::FromCatalogueText(FormatCatalogue(MemosOf(c.base)));
        const MemoTable ours(MemosOf(c.ours));
        const MemoTable theirs = MemoTable::FromCatalogueText(FormatCatalogue(MemosOf(c.theirs)));
        for (const MemoTable& base : {read, read.Written()}) {
            const MergedCatalogue merged = MergeCatalogues(base, ours, theirs, LowerKey);
            const std::string result = ShortFormOf(merged.memos);
            EXPECT_EQ(result, ShortFormOf(MemoTable(MemosOf(c.merged))));
            EXPECT_EQ(merged.memos.text(), merged.memos.ToCatalogueText());
            EXPECT_EQ(merged.sameAsOurs, result == ShortFormOf(ours));
            EXPECT_EQ(merged.sameAsTheirs, result == ShortFormOf(theirs));
            // Each of ours the window finds again is a memo of its file.
            ASSERT_EQ(merged.rowOfOurs.size(), ours.size());
            std::set<std::ptrdiff_t> rows;
            for (std::size_t o = 0; o < ours.size(); ++o) {
                const std::ptrdiff_t row = merged.rowOfOurs[o];
                if (row < 0)
                    continue;
                EXPECT_TRUE(rows.insert(row).second) << "row " << row << " taken twice";
                EXPECT_EQ(LowerKey(merged.memos.field(static_cast<std::size_t>(row), MemoTable::kFilePath)),
                          LowerKey(ours.field(o, MemoTable::kFilePath)));
            }
        }
    }
}
