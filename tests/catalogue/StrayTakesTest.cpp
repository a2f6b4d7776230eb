#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>

#include "Codepage.h"
#include "PosixFileSystem.h"
#include "StateFolder.h"
#include "StrayTakes.h"
#include "TempFolder.h"
#include "Trash.h"

using namespace voicememo;
using voicememo::testing::TempFolder;
using namespace std::string_literals;

namespace {

using Why = TakeBeside::Why;

TEST(StrayTakeNames, TakesBesideAVoiceFileAreKnownByTheirNames)
{
    struct Case {
        const char* name;
        const char* original;  // "" for no take
        Why why;
    };
    for (const auto& [name, original, why] : std::initializer_list<Case>{
             {"Voice5.sync-conflict-20261208-093147-F5H75MX.wav", "Voice5.wav", Why::OtherMachine},
             {"voice5 (conflicted copy 2026-12-08 093147).WAV", "voice5.WAV", Why::OtherMachine},
             {"Voice5 (Someone's conflicted copy 2026-12-08).wav", "Voice5.wav", Why::OtherMachine},
             {"VOICE999.SYNC-CONFLICT-20261208-093147-F5H75MX.Wav", "VOICE999.Wav", Why::OtherMachine},
             {"Voice6 (2).wav", "Voice6.wav", Why::OtherTake},
             {"voice12 (10).WAV", "voice12.WAV", Why::OtherTake},
             // Not a take beside VoiceN.wav.
             {"Voice6 (2) (2).wav", "", Why::OtherTake},
             {"Voice6 (1).wav", "", Why::OtherTake},
             {"Voice6 (02).wav", "", Why::OtherTake},
             {"Voice6 ().wav", "", Why::OtherTake},
             {"Voice.sync-conflict-20261208-095432-O4QUNXO.dat", "", Why::OtherTake},
             {"Voice.sync-conflict-20261208-095432-O4QUNXO.wav", "", Why::OtherTake},
             {"Voice5.sync-conflict-20261208-093147-F5H75MX.mp3", "", Why::OtherTake},
             {"Voice5 (2).sync-conflict-20261208-093147-F5H75MX.wav", "", Why::OtherTake},
             {"Voice05.sync-conflict-20261208-093147-F5H75MX.wav", "", Why::OtherTake},
             {"Voice1000 (2).wav", "", Why::OtherTake},
             {"Voice0 (2).wav", "", Why::OtherTake},
             {"Memo5 (2).wav", "", Why::OtherTake},
             {"Voice5.wav", "", Why::OtherTake},
             {".Voice5.wav.take-a1B2c3", "", Why::OtherTake},
             {".Voice5.sync-conflict-20261208-093147-F5H75MX.wav", "", Why::OtherTake},
             {"sorvane.sync-conflict-20261208-093147-F5H75MX.ini", "", Why::OtherTake},
         }) {
        const auto take = RecogniseTakeBeside(name);
        ASSERT_EQ(take.has_value(), *original != '\0') << name;
        if (take) {
            EXPECT_EQ(take->original, original) << name;
            EXPECT_EQ(take->why, why) << name;
        }
    }
}

// A clock for the takes' times that does not hang on the machine's zone.
LocalDateTime UtcAt(std::int64_t ns)
{
    const std::time_t seconds = static_cast<std::time_t>(ns / 1'000'000'000);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    return {utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec};
}

// 2026-12-08 09:31:47 UTC
constexpr std::int64_t kTakeTime = 1796722307;

// The files of a program folder, as the sync tool left them on one machine.
struct FolderFile {
    std::string name;  // below the folder
    std::string bytes;
};

class Machine {
public:
    explicit Machine(const std::vector<FolderFile>& files)
    {
        folder.MakeFolder("data");
        for (const auto& [name, bytes] : files) {
            folder.Write(name, bytes);
            std::filesystem::last_write_time(folder.path(name),
                                             std::filesystem::file_time_type::clock::from_sys(
                                                 std::chrono::sys_seconds(std::chrono::seconds(kTakeTime))));
        }
    }
    AdoptedTakes Adopt(const std::vector<VoiceMemo>& memos, Separators separators = {})
    {
        return AdoptStrayTakes(files, folder.dir(), MemoTable(memos), separators, UtcAt);
    }
    std::string Data(const std::string& name) const { return folder.dir() + "data/" + name; }
    // The data folder's names and bytes.
    std::vector<FolderFile> DataFiles() const
    {
        std::vector<FolderFile> found;
        for (const std::string& name : folder.Entries("data"))
            found.push_back({name, folder.Read("data/" + name)});
        return found;
    }

    std::string trash = voicememo::testing::UsePrivateDataFolder();
    TempFolder folder;
    PosixFileSystem files;
};

bool operator==(const FolderFile& a, const FolderFile& b) { return a.name == b.name && a.bytes == b.bytes; }

std::string Utf8(const std::string& cp932) { return Cp932ToUtf8(cp932); }

}  // namespace

// What a folder shared by two machines may hold after a sync tool and the
// recorder set takes beside the voice files: each take is adopted, or
// discarded when its bytes are there already, and the rest left alone.
TEST(StrayTakes, EachTakeGetsAFileAndAMemoOrGoesWhenItsBytesAreThere)
{
    Machine m({{"data/Voice1.wav", "one"},
               {"data/Voice2.wav", "two"},
               {"data/Voice4.wav", "four"},
               {"data/Voice1.sync-conflict-20261208-093147-F5H75MX.wav", "one, the other machine's"},
               {"data/Voice1.sync-conflict-20261208-093150-F5H75MX.wav", "one, the other machine's"},
               {"data/voice2 (2).WAV", "two"},
               {"data/Voice3 (conflicted copy 2026-12-08 093147).wav", "three elsewhere"},
               {"data/Voice4 (2).wav", "four again"},
               {"data/Voice6 (2).wav", ""},
               {"data/Voice8 (2).wav", "adopted by hand"}});
    const std::vector<VoiceMemo> memos = {{"\x89\xef\x8b\x63", m.Data("Voice1.wav"), "2026/12/01", "10:00:00", "TODO",
                                           ""},  // 会議
                                          {"four", "/other/machine/data/VOICE4.WAV", "2026/12/01", "10:00:00", "TODO",
                                           ""},
                                          {"kept", m.Data("Voice5.wav"), "2026/12/01", "10:00:00", "TODO", ""},
                                          {"by hand", m.Data("voice8 (2).wav"), "2026/12/01", "10:00:00", "TODO", ""}};
    const AdoptedTakes adopted = m.Adopt(memos, {'-', '.'});

    // In the order of the takes' names; Voice5.wav is a memo's, its file
    // missing. A memo of a folder moved elsewhere still gives its title.
    const std::vector<VoiceMemo> expected =
        {{"\x89\xef\x8b\x63\x81\x69\x95\xca\x82\xcc\x83\x52\x83\x93\x83\x73\x83\x85\x81\x5b\x83\x5e\x81\x5b\x81\x6a",
          m.Data("Voice3.wav"), "2026-12-08", "09.31.47", "TODO", ""},
         {"Voice3.wav\x81\x69\x95\xca\x82\xcc\x83\x52\x83\x93\x83\x73\x83\x85\x81\x5b\x83\x5e\x81\x5b\x81\x6a",
          m.Data("Voice6.wav"), "2026-12-08", "09.31.47", "TODO", ""},
         {"four\x81\x69\x95\xca\x82\xcc\x98\x5e\x89\xb9\x81\x6a", m.Data("Voice7.wav"), "2026-12-08", "09.31.47",
          "TODO", ""}};
    EXPECT_EQ(adopted.memos, expected);
    EXPECT_EQ(Utf8(adopted.memos[0].Title), "会議（別のコンピューター）");
    EXPECT_EQ(Utf8(adopted.memos[2].Title), "four（別の録音）");
    EXPECT_EQ(adopted.sameBytesDiscarded, 2u);
    EXPECT_EQ(adopted.left, 0u);
    const std::vector<FolderFile> left = {{"Voice1.wav", "one"},
                                          {"Voice2.wav", "two"},
                                          {"Voice3.wav", "one, the other machine's"},
                                          {"Voice4.wav", "four"},
                                          {"Voice6 (2).wav", ""},
                                          {"Voice6.wav", "three elsewhere"},
                                          {"Voice7.wav", "four again"},
                                          {"Voice8 (2).wav", "adopted by hand"}};
    EXPECT_EQ(m.DataFiles(), left);
    // Renamed, not written anew: the take keeps its time.
    EXPECT_EQ(m.files.StampOf(m.Data("Voice6.wav"))->modifiedNs, kTakeTime * 1'000'000'000);
    // The same bytes again went to the trash, from where they can be had back.
    auto trashed = std::filesystem::directory_iterator(m.trash);
    EXPECT_GE(std::count_if(begin(trashed), end(trashed),
                            [](const auto& entry) {
                                const std::string name = entry.path().filename().string();
                                return name.starts_with("Voice1.sync-conflict-20261208-093150") ||
                                       name.starts_with("voice2 (2)");
                            }),
              2);

    // Nothing is left to adopt: a second pass changes nothing.
    const AdoptedTakes again = m.Adopt(memos);
    EXPECT_TRUE(again.memos.empty());
    EXPECT_EQ(m.DataFiles(), left);
}

// Two machines that see the same folder, the files listed in another order
// on each, give the takes the same names and the same memos, whatever they
// were before.
TEST(StrayTakes, TwoMachinesAdoptTheSameTakesAlike)
{
    std::vector<FolderFile> files = {{"data/Voice1.wav", "a"},
                                     {"data/Voice3.wav", "c"},
                                     {"data/Voice1 (Someone's conflicted copy 2026-12-08).wav", "a2"},
                                     {"data/Voice1.sync-conflict-20261208-093147-ABCDEFG.wav", "a3"},
                                     {"data/Voice3.sync-conflict-20261208-093147-ABCDEFG.wav", "c2"},
                                     {"data/Voice3 (2).wav", "c3"},
                                     {"data/Voice1 (3).wav", "a2"}};
    Machine one(files);
    std::reverse(files.begin(), files.end());
    Machine other(files);
    const auto memosOf = [](const Machine& m) {
        return std::vector<VoiceMemo>{{"A", m.Data("Voice1.wav"), "2026/12/01", "10:00:00", "TODO", ""},
                                      {"B", m.Data("Voice2.wav"), "2026/12/01", "10:00:00", "TODO", ""}};
    };
    const AdoptedTakes here = one.Adopt(memosOf(one));
    const AdoptedTakes there = other.Adopt(memosOf(other));
    ASSERT_EQ(here.memos.size(), 4u);
    EXPECT_EQ(here.sameBytesDiscarded, 1u);
    ASSERT_EQ(there.memos.size(), here.memos.size());
    for (std::size_t i = 0; i < here.memos.size(); ++i) {
        VoiceMemo mine = here.memos[i];
        mine.FilePath.replace(0, one.folder.dir().size(), other.folder.dir());
        EXPECT_EQ(mine, there.memos[i]) << i;
    }
    EXPECT_EQ(one.DataFiles(), other.DataFiles());
    // Voice2.wav is a memo's: the first free names are 4 to 7.
    EXPECT_EQ(here.memos.front().FilePath, one.Data("Voice4.wav"));
    EXPECT_EQ(here.memos.back().FilePath, one.Data("Voice7.wav"));
}

// A take is never put over a file, and one taken back from the trash goes
// back under its name only where the name is free.
TEST(StrayTakes, TakesAreNeverRenamedOverAFile)
{
    Machine m({{"data/Voice1.wav", "one"}, {"data/Voice1 (2).wav", "two"}, {"data/Voice2.wav", "in the way"}});
    const std::string disk = m.Data("Voice2.wav");
    const auto where = MoveToTrash(disk);
    ASSERT_TRUE(where);
    EXPECT_EQ(WhereTrashed(disk), where);
    m.folder.Write("data/Voice2.wav", "another take since");
    EXPECT_FALSE(TakeBackFromTrash(*where, disk));
    EXPECT_EQ(m.folder.Read("data/Voice2.wav"), "another take since");
    std::filesystem::remove(disk);
    ASSERT_TRUE(TakeBackFromTrash(*where, disk));
    EXPECT_EQ(m.folder.Read("data/Voice2.wav"), "in the way");
    const std::filesystem::path trashed(*where);
    EXPECT_FALSE(std::filesystem::exists(trashed.parent_path().parent_path() / "info" /
                                         (trashed.filename().string() + ".trashinfo")));

    // The next free name is taken by the time the take is renamed: it stays.
    ASSERT_TRUE(m.files.RenameNoReplace(m.Data("Voice1.wav"), m.Data("Voice9.wav")));
    EXPECT_FALSE(m.files.RenameNoReplace(m.Data("Voice9.wav"), m.Data("Voice2.wav")));
    EXPECT_EQ(m.folder.Read("data/Voice2.wav"), "in the way");
    EXPECT_EQ(m.folder.Read("data/Voice9.wav"), "one");
}
