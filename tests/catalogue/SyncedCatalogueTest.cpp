// A catalogue on two machines: a memo is known by its take however its path
// is spelt, and a sync tool's conflict copy is merged in, never lost.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "ByteText.h"
#include "CatalogueFile.h"
#include "PosixFileSystem.h"
#include "StateFolder.h"
#include "TakeKeys.h"
#include "TempFolder.h"
#include "VoiceStore.h"

using namespace voicememo;
using voicememo::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

// No test of this program writes into the real state folder.
const std::string kStateFolder = voicememo::testing::UsePrivateStateFolder();

std::string Line(const std::string& title, const std::string& path, const std::string& kind = "TODO",
                 const std::string& shown = "")
{
    return title + "\t" + path + "\t2026/12/01\t09:00:00\t" + kind + "\t" + shown + "\r\n";
}

struct Folder {
    TempFolder dir;
    PosixFileSystem files;
    std::string Data(const std::string& name) const { return dir.dir() + "data/" + name; }
    Folder()
    {
        for (const char* name : {"Voice1.wav", "Voice2.wav", "Voice3.wav"})
            dir.Write(std::string("data/") + name, "RIFF");
    }
};

}  // namespace

// Every spelling of one take gives one key; a path that names a file of its
// own keys by itself, whether or not its file is there.
TEST(TakeKeysTest, OneTakeOneKeyHoweverSpelt)
{
    Folder f;
    const std::string dir = f.dir.dir();
    TempFolder elsewhere;
    elsewhere.Write("data/Voice1.wav", "other");
    fs::create_directory_symlink(f.dir.path(""), elsewhere.path("link"));
    struct Case {
        std::string path, key;
    };
    for (const auto& [path, key] : std::initializer_list<Case>{
             {dir + "data/Voice1.wav", "data/voice1.wav"},
             {dir + "data//Voice1.wav", "data/voice1.wav"},
             {dir + "./data/../data/VOICE1.WAV", "data/voice1.wav"},
             {elsewhere.dir() + "link/data/Voice1.wav", "data/voice1.wav"},
             {dir + "data/Voice9.wav", "data/voice9.wav"},            // ours, not yet recorded
             {"/home/other/app/data/Voice2.wav", "data/voice2.wav"},  // another machine's folder
             {"/home/other/app/Data/Voice7.wav", "data/voice7.wav"},
             {elsewhere.dir() + "data/Voice1.wav", LowerAscii(elsewhere.dir()) + "data/voice1.wav"},  // there: its own
             {"/home/other/app/notes/Voice2.wav", "/home/other/app/notes/voice2.wav"},
             {"data/Voice2.wav", "./data/voice2.wav"},  // relative: never a take of ours
             {"", ""},
         }) {
        TakeKeys keys(f.files, dir + "data/");
        EXPECT_EQ(keys.KeyOf(path), key) << path;
    }
}

// The commands judge by the key: a take another spelling still names is
// neither trashed, nor given out again, nor adopted twice.
TEST(TakeKeysTest, CommandsJudgeByTheTake)
{
    Folder f;
    VoiceStore store(f.files, f.dir.dir());
    const std::string doubled = f.dir.dir() + "data//Voice1.wav";
    EXPECT_EQ(store.Remove(f.Data("Voice1.wav"), {doubled}), Discard::NamedElsewhere);
    EXPECT_TRUE(f.dir.Exists("data/Voice1.wav"));
    f.dir.Write("data/Voice1.wav", "");
    fs::remove(f.dir.path("data/Voice2.wav"));
    fs::remove(f.dir.path("data/Voice3.wav"));
    EXPECT_EQ(store.NextVoiceFileName({"/home/other/app/data/Voice2.wav"}), f.Data("Voice3.wav"));
    std::vector<std::string> adopted;
    f.dir.Write("data/Voice4.wav", "RIFF");
    store.FindUnusedVoiceFiles({doubled, "/home/other/app/data/voice4.WAV"}, {},
                               [&](const std::string& name, const std::string&) { adopted.push_back(name); });
    EXPECT_TRUE(adopted.empty()) << adopted.front();
}

// Another machine's paths are read as ours: nothing changes, nothing is
// written, and a memo whose file is there is never moved onto another take.
TEST(SyncedCatalogueTest, AnotherMachinesPathsAreNoChange)
{
    Folder f;
    TempFolder real;
    real.Write("data/Voice3.wav", "its own");
    const std::string theirs = Line("A", "/home/other/app/data/Voice1.wav") +
                               Line("B", "/home/other/app/data/Voice2.wav") + Line("C", real.dir() + "data/Voice3.wav");
    f.dir.Write("Voice.dat", theirs);
    CatalogueFile catalogue(f.files, f.dir.dir());
    const MemoTable loaded = catalogue.LoadTable();
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(loaded.memo(0).FilePath, f.Data("Voice1.wav"));
    EXPECT_EQ(loaded.memo(2).FilePath, real.dir() + "data/Voice3.wav");
    EXPECT_FALSE(catalogue.SaveTable(loaded).written);
    // The other machine retitles one: taken in as one change, not a second memo.
    f.dir.Write("Voice.dat", Line("A2", "/home/other/app/data/Voice1.wav") +
                                 Line("B", "/home/other/app/data/Voice2.wav") +
                                 Line("C", real.dir() + "data/Voice3.wav"));
    const CatalogueSync sync = catalogue.TakeInChanges(loaded);
    ASSERT_TRUE(sync.memos);
    ASSERT_EQ(sync.memos->size(), 3u);
    EXPECT_EQ(sync.memos->memo(0).Title, "A2");
    EXPECT_FALSE(sync.written);
}

// Both machines saved at once; the sync tool kept one version and put the
// other beside as a copy. The merge keeps every memo and every edit, the
// file's value where both changed one field, and is the same whichever
// machine's save the copy holds.
TEST(SyncedCatalogueTest, ConflictCopiesAreMergedAndCleared)
{
    const auto lines = [](std::initializer_list<std::pair<const char*, int>> memos, const std::string& dir) {
        std::string text;
        for (const auto& [title, n] : memos)
            text += Line(title, dir + "data/Voice" + std::to_string(n) + ".wav");
        return text;
    };
    for (const bool oursIsCopy : {true, false}) {
        Folder f;
        const std::string d = f.dir.dir(), other = "/home/other/app/";
        // The copy holds ours, the file the winner; this window saved one of them.
        struct Step {
            std::string ours, winner, merged;
            std::vector<SyncNotice::Kind> notices;
        };
        const std::string shared = lines({{"A", 1}, {"B", 2}, {"C", 3}}, d);
        for (const Step& step : std::initializer_list<Step>{
                 // Two memos retitled, one on each machine; the other machine's paths its own.
                 {lines({{"A here", 1}, {"B", 2}, {"C", 3}}, d),
                  lines({{"A", 1}, {"B there", 2}, {"C", 3}}, other),
                  lines({{"A here", 1}, {"B there", 2}, {"C", 3}}, d),
                  {SyncNotice::CopyTakenIn}},
                 // A memo removed here, one added there: the removal comes back.
                 {lines({{"A", 1}, {"C", 3}}, d),
                  lines({{"A", 1}, {"B", 2}, {"C", 3}, {"D", 4}}, d),
                  lines({{"A", 1}, {"B", 2}, {"C", 3}, {"D", 4}}, d),
                  {SyncNotice::CopyTakenIn}},
                 // One title changed on both: the winner's; the copy's own value is told.
                 {lines({{"A", 1}, {"B mine", 2}, {"C", 3}, {"E", 5}}, d),
                  lines({{"A", 1}, {"B theirs", 2}, {"C", 3}}, d),
                  lines({{"A", 1}, {"B theirs", 2}, {"C", 3}, {"E", 5}}, d),
                  {SyncNotice::ValueLost, SyncNotice::CopyTakenIn}},
             }) {
            f.dir.Write("Voice.dat", shared);
            CatalogueFile catalogue(f.files, d, std::chrono::milliseconds(0));
            catalogue.LoadTable();
            const std::string mine = oursIsCopy ? step.ours : step.winner;
            const std::string &copy = step.ours, &kept = step.winner;
            ASSERT_TRUE(catalogue.SaveTable(MemoTable::FromCatalogueText(mine)).written);
            // The sync tool: the loser aside, the winner in place.
            const std::string copyName = "Voice.sync-conflict-20261208-095432-O4QUNXO.dat";
            f.dir.Write(copyName, copy);
            f.dir.Write("Voice.dat", kept);
            const CatalogueSync sync = catalogue.TakeInChanges(MemoTable::FromCatalogueText(mine));
            EXPECT_EQ(f.dir.Read("Voice.dat"), step.merged) << oursIsCopy;
            EXPECT_FALSE(f.dir.Exists(copyName));
            std::vector<SyncNotice::Kind> kinds;
            for (const SyncNotice& notice : sync.notices)
                kinds.push_back(notice.kind);
            auto expected = step.notices;
            if (!oursIsCopy)  // the lost value is the other machine's to tell
                std::erase(expected, SyncNotice::ValueLost);
            EXPECT_EQ(kinds, expected) << oursIsCopy << " " << step.merged;
        }
    }
}

// Where no trash can take a copy merged in, it stays beside the file, and is
// not merged again: a memo deleted since stays deleted, and nothing is told
// twice.
TEST(SyncedCatalogueTest, ACopyNoTrashTakesIsMergedOnce)
{
    struct NoTrashFiles : PosixFileSystem {
        Discard DiscardFileIn(const std::string&, const std::string&) override { return Discard::NoTrash; }
    } files;
    Folder f;
    const std::string d = f.dir.dir();
    const std::string a = Line("A", d + "data/Voice1.wav"), b = Line("B", d + "data/Voice2.wav"),
                      c = Line("C", d + "data/Voice3.wav");
    const std::string copyName = "Voice.sync-conflict-20261208-095432-O4QUNXO.dat";
    f.dir.Write("Voice.dat", a + b);
    CatalogueFile catalogue(files, d, std::chrono::milliseconds(0));
    catalogue.LoadTable();
    f.dir.Write(copyName, a + c);
    const CatalogueSync merged = catalogue.TakeInChanges(MemoTable::FromCatalogueText(a + b));
    ASSERT_EQ(merged.notices.size(), 1u);
    EXPECT_EQ(merged.notices[0].kind, SyncNotice::CopyTakenIn);
    EXPECT_EQ(f.dir.Read("Voice.dat"), a + b + c);
    EXPECT_EQ(f.dir.Read(copyName), a + c);

    const CatalogueSync saved = catalogue.SaveTable(MemoTable::FromCatalogueText(a + b));  // C deleted here
    EXPECT_TRUE(saved.notices.empty());
    EXPECT_EQ(f.dir.Read("Voice.dat"), a + b);
    EXPECT_TRUE(catalogue.TakeInChanges(MemoTable::FromCatalogueText(a + b)).notices.empty());
    EXPECT_EQ(f.dir.Read("Voice.dat"), a + b);
    EXPECT_TRUE(f.dir.Exists(copyName));
}

// Another machine's copy is left a while for that machine; a copy that
// cannot be read stays, and is told of once.
TEST(SyncedCatalogueTest, OthersCopiesWaitAndUnreadableOnesStay)
{
    Folder f;
    const std::string d = f.dir.dir();
    f.dir.Write("Voice.dat", Line("A", d + "data/Voice1.wav"));
    CatalogueFile catalogue(f.files, d);
    const MemoTable loaded = catalogue.LoadTable();
    f.dir.Write("Voice (conflicted copy 2026-12-08 095432).dat",
                Line("A", d + "data/Voice1.wav") + Line("B", d + "data/Voice2.wav"));
    f.dir.MakeUnreadable("Voice.sync-conflict-20261208-095432-AAAAAAA.dat");
    CatalogueSync sync = catalogue.TakeInChanges(loaded);
    EXPECT_FALSE(sync.memos);
    ASSERT_EQ(sync.notices.size(), 1u);
    EXPECT_EQ(sync.notices[0].kind, SyncNotice::CopyUnreadable);
    EXPECT_TRUE(catalogue.TakeInChanges(loaded).notices.empty());
    EXPECT_TRUE(f.dir.Exists("Voice (conflicted copy 2026-12-08 095432).dat"));
}

// A sync tool that keeps the newer file alone undoes this machine's last
// save without a copy: each undone edit is told.
TEST(SyncedCatalogueTest, AnEditUndoneWithoutACopyIsTold)
{
    Folder f;
    const std::string d = f.dir.dir();
    const std::string before = Line("A", d + "data/Voice1.wav") + Line("B", d + "data/Voice2.wav");
    f.dir.Write("Voice.dat", before);
    CatalogueFile catalogue(f.files, d);
    catalogue.LoadTable();
    const std::string saved = Line("A new", d + "data/Voice1.wav") + Line("C", d + "data/Voice3.wav");
    ASSERT_TRUE(catalogue.SaveTable(MemoTable::FromCatalogueText(saved)).written);
    f.dir.Write("Voice.dat", before + "\r\n");
    const CatalogueSync sync = catalogue.TakeInChanges(MemoTable::FromCatalogueText(saved));
    std::vector<SyncNotice> expected = {{SyncNotice::ValueBack, {}, "A new", MemoTable::kTitle, "A new"},
                                        {SyncNotice::MemoDropped, {}, "C"},
                                        {SyncNotice::MemoBack, {}, "B"}};
    EXPECT_EQ(sync.notices, expected);
}
