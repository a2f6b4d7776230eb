// Catalogues of what a crash or a runaway writer leaves, hundreds of
// thousands of lines of nothing: read and taken in at about their size.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "CatalogueFile.h"
#include "CatalogueMerge.h"
#include "InChild.h"
#include "PosixFileSystem.h"
#include "StateFolder.h"
#include "TempFolder.h"

using namespace voicememo;
using voicememo::testing::TempFolder;

namespace {

// The process's peak resident memory; a fork starts from its parent's.
long PeakKilobytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

bool ForgetPeak() { return static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5"); }

struct FloodCase {
    const char* name;
    std::string line;   // repeated to fill the file
    std::size_t memos;  // the memos it reads as; 0: one per line
};

class CatalogueFloodTest : public ::testing::TestWithParam<FloodCase> {};

}  // namespace

// In a child of its own, so that its peak memory is the catalogue's: the
// load costs about the file's size (and a row per line), and a take-in of
// the file grown by a memo costs at most twice what the load cost.
TEST_P(CatalogueFloodTest, ReadAndTakenInAtAboutItsSize)
{
    constexpr std::size_t kBytes = 20u << 20;
    const FloodCase& flood = GetParam();
    TempFolder folder;
    voicememo::testing::UsePrivateStateFolder();
    folder.MakeFolder("data");
    std::string content;
    content.reserve(kBytes);
    while (content.size() < kBytes)
        content += flood.line;
    folder.Write("Voice.dat", content);
    const std::size_t lines = content.size() / flood.line.size();
    content = {};
    const auto result = voicememo::testing::RunInChild(ForgetPeak, [&] {
        PosixFileSystem files;
        CatalogueFile catalogue(files, folder.dir());
        const long before = PeakKilobytes();
        const MemoTable loaded = catalogue.LoadTable();
        const long load = PeakKilobytes() - before;
        std::ofstream(folder.path("Voice.dat"), std::ios::app | std::ios::binary)
            << "new\t" + folder.dir() + "data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
        const long held = PeakKilobytes();
        const CatalogueSync sync = catalogue.TakeInChanges(loaded);
        const long takeIn = PeakKilobytes() - held;
        return std::to_string(loaded.size()) + " " + std::to_string(sync.memos ? sync.memos->size() : 0) + " " +
               std::to_string(load) + " " + std::to_string(takeIn);
    });
    ASSERT_TRUE(result);
    std::size_t memos = 0, takenIn = 0;
    long load = 0, takeIn = 0;
    ASSERT_EQ(std::sscanf(result->c_str(), "%zu %zu %ld %ld", &memos, &takenIn, &load, &takeIn), 4) << *result;
    const std::size_t expected = flood.memos ? flood.memos : lines;
    EXPECT_EQ(memos, expected);
    EXPECT_EQ(takenIn, expected + 1);
    // The text and 8 bytes a row, with room for what the allocator keeps.
    EXPECT_LE(load * 1024L, static_cast<long>(kBytes + expected * 8 + (8u << 20))) << *result;
    EXPECT_LE(takeIn, 2 * load) << *result;
}

INSTANTIATE_TEST_SUITE_P(Floods, CatalogueFloodTest,
                         ::testing::Values(FloodCase{"Zeros", std::string(4096, '\0'), 1},
                                           FloodCase{"BlankLines", "\r\n", 0}, FloodCase{"LineFeeds", "\n", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// A list unchanged since the file was last read takes in the file as it
// stands: the same memos, and each row of the list where the full merge
// puts it, for any change another writer made.
TEST(CatalogueMergeTest, AnUnchangedListTakesInTheFileAsTheMergeWould)
{
    std::mt19937 random(20261208);
    const char* const paths[] = {"/f/data/Voice1.wav", "/f/data/VOICE1.wav", "/f/data/Voice2.wav", "", "x"};
    auto line = [&] {
        return std::string(1, static_cast<char>('a' + random() % 3)) + "\t" + paths[random() % 5] +
               (random() % 4 ? "\t2001/04/05\t09:12:30\tTODO\t" : "") + (random() % 5 ? "\r\n" : "\n");
    };
    const FileKey keyOf = [](std::string_view path) { return LowerAscii(path); };
    for (int round = 0; round < 400; ++round) {
        std::vector<std::string> lines(random() % 12);
        for (auto& l : lines)
            l = line();
        std::string text;
        for (const auto& l : lines)
            text += l;
        // Another writer's changes: lines removed, added, changed, moved.
        for (int change = random() % 4; change > 0; --change) {
            const std::size_t at = lines.empty() ? 0 : random() % lines.size();
            switch (random() % 4) {
            case 0:
                if (!lines.empty())
                    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at));
                break;
            case 1:
                lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line());
                break;
            case 2:
                if (!lines.empty())
                    lines[at] = "changed" + lines[at];
                break;
            default:
                if (!lines.empty())
                    std::rotate(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(at), lines.end());
            }
        }
        std::string theirText;
        for (const auto& l : lines)
            theirText += l;
        const MemoTable ours = MemoTable::FromCatalogueText(text);
        const MemoTable theirs = MemoTable::FromCatalogueText(theirText);
        const MergedCatalogue merged = MergeCatalogues(ours, ours, theirs, keyOf);
        const MergedCatalogue taken = TakenAsItStands(ours, theirs, keyOf);
        ASSERT_TRUE(taken.memos == merged.memos) << "round " << round;
        ASSERT_EQ(taken.rowOfOurs, merged.rowOfOurs) << "round " << round;
        ASSERT_EQ(taken.sameAsOurs, merged.sameAsOurs) << "round " << round;
    }
}
