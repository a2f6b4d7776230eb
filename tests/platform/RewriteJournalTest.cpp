// Rewrites in place cut short, and what became of their files since: the
// journal is played back only onto exactly what a cut rewrite leaves; any
// other file is read as it is, and the journal is set aside for the user,
// who is told so once.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>

#include "Codepage.h"
#include "CutRewrite.h"
#include "Error.h"
#include "Messages.h"
#include "PosixFileSystem.h"
#include "RewriteJournal.h"
#include "StateFolder.h"
#include "TempFolder.h"

using namespace voicememo;
using voicememo::testing::StartRewrite;
using voicememo::testing::TempFolder;
using voicememo::testing::UsePrivateStateFolder;
namespace fs = std::filesystem;
using Names = std::set<std::string>;

namespace {

const std::string kOld = "old 1\t/a/data/Voice1.wav\t2025/01/02\t09:08:07\tTODO\t\r\n"
                         "old 2\t/a/data/Voice2.wav\t2025/01/02\t09:08:08\tDAILY\t2025/3/1\r\n";
const std::string kShorter = "new\t/a/data/Voice3.wav\t2025/01/03\t10:00:00\tTODO\t\r\n";
const std::string kLonger = kShorter + kShorter + kShorter;
constexpr std::size_t kCut = 9;

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

Names Entries(const std::string& folder)
{
    Names names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// The new content's first bytes over the old content's tail, the old
// content's bytes past its end taken as zeros, as a grown file holds them.
std::string Spliced(const std::string& oldContent, const std::string& newContent, std::size_t cut, std::size_t size)
{
    std::string file = newContent.substr(0, cut);
    for (std::size_t at = file.size(); at < size; ++at)
        file += at < oldContent.size() ? oldContent[at] : '\0';
    return file;
}

using Left = std::function<std::string(const std::string& newContent)>;
// What happened to the file since, given its path and the journals'
// folder; gives where the file is now.
using Since = std::function<std::string(const std::string& path, const std::string& journals)>;

struct JournalCase {
    const char* name;
    std::string newContent;
    Left left;  // what the rewrite left in the file
    Since since;
    bool playedBack;
};

void PrintTo(const JournalCase& test, std::ostream* out) { *out << test.name; }

const Since kNothingSince = [](const std::string& path, const std::string&) { return path; };

std::string MidwayOverTheOldTail(const std::string& newContent)
{
    return Spliced(kOld, newContent, kCut, std::max(kOld.size(), kCut));
}

class CutRewriteTest : public ::testing::TestWithParam<JournalCase> {};

}  // namespace

TEST_P(CutRewriteTest, IsPlayedBackOnlyOntoWhatACutRewriteLeaves)
{
    const JournalCase& test = GetParam();
    const std::string journals = UsePrivateStateFolder();
    const Names before = Entries(journals);
    TempFolder folder;
    folder.Write("app/Voice.dat", kOld);
    std::string path = folder.path("app/Voice.dat").string();
    {
        RewriteJournal journal;
        ASSERT_TRUE(StartRewrite(path, test.newContent, test.left(test.newContent), journal));
    }  // the writer ends without committing, as a kill ends it
    path = test.since(path, journals);
    const std::string now = ReadText(path);
    const std::string expected = test.playedBack ? kOld : now;
    const Names journalsLeft = Entries(journals);

    // The reader beside the window sees what the window will, and changes
    // nothing.
    ReadOnlyPosixFileSystem reader;
    EXPECT_EQ(reader.ReadFile(path), expected);
    EXPECT_EQ(reader.ReadFileStart(path, 3), expected.substr(0, 3));
    const auto readerNotices = reader.TakeNotices();
    EXPECT_EQ(readerNotices, test.playedBack
                                 ? std::vector<std::string>{}
                                 : std::vector{FormatMessage(messages::kJournalNotApplied, Utf8ToCp932(path))});
    EXPECT_EQ(ReadText(path), now);
    EXPECT_EQ(Entries(journals), journalsLeft);

    PosixFileSystem files;
    EXPECT_EQ(files.ReadFile(path), expected);
    EXPECT_EQ(ReadText(path), expected);
    const Names after = Entries(journals);
    Names added;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::inserter(added, added.end()));
    const auto notices = files.TakeNotices();
    if (test.playedBack) {
        EXPECT_EQ(added, Names{});
        EXPECT_EQ(notices, std::vector<std::string>{});
    } else {
        // Kept under a name of its own, with the old content for the user.
        ASSERT_EQ(added.size(), 1u);
        const std::string kept = journals + "/" + *added.begin();
        EXPECT_TRUE(added.begin()->starts_with("Voice.dat.") && added.begin()->ends_with(".journal")) << kept;
        EXPECT_NE(ReadText(kept).find(kOld), std::string::npos);
        EXPECT_EQ(notices,
                  std::vector{FormatMessage(messages::kJournalSetAside, Utf8ToCp932(path), Utf8ToCp932(kept))});
    }
    // Settled for good: told once, and read alike from now on.
    EXPECT_EQ(files.ReadFile(path), expected);
    EXPECT_EQ(ReadOnlyPosixFileSystem().ReadFile(path), expected);
    PosixFileSystem nextStart;
    EXPECT_EQ(nextStart.ReadFile(path), expected);
    EXPECT_EQ(files.TakeNotices(), std::vector<std::string>{});
    EXPECT_EQ(nextStart.TakeNotices(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CutRewriteTest,
    ::testing::Values(
        JournalCase{"CutMidway", kShorter, MidwayOverTheOldTail, kNothingSince, true},
        JournalCase{"CutBeforeTheFirstByte", kShorter, [](auto&) { return kOld; }, kNothingSince, true},
        JournalCase{"CutBeforeTheShorterContentWasTruncated", kShorter,
                    [](auto& n) { return Spliced(kOld, n, n.size(), kOld.size()); }, kNothingSince, true},
        JournalCase{"CutAfterRoomWasTakenForALongerContent", kLonger,
                    [](auto& n) { return Spliced(kOld, n, 0, n.size()); }, kNothingSince, true},
        JournalCase{"CutMidwayIntoTheRoomTaken", kLonger,
                    [](auto& n) { return Spliced(kOld, n, kOld.size() + 5, n.size()); }, kNothingSince, true},
        JournalCase{"CutBeforeTheJournalWent", kShorter, [](auto& n) { return n; }, kNothingSince, true},
        JournalCase{"OldContentCut", kShorter, [](auto&) { return kOld.substr(0, kOld.size() - 4); }, kNothingSince,
                    true},
        JournalCase{"TheDiskCameBackUnderAnotherDeviceNumber", kShorter, MidwayOverTheOldTail,
                    [](const std::string& path, const std::string&) {
                        // The same bytes at the same path, in another file.
                        const std::string bytes = ReadText(path);
                        fs::remove(path);
                        WriteText(path, bytes);
                        return path;
                    },
                    true},
        JournalCase{"TheFolderWasMoved", kShorter, MidwayOverTheOldTail,
                    [](const std::string& path, const std::string&) {
                        const fs::path app = fs::path(path).parent_path();
                        fs::rename(app, app.parent_path() / "moved");
                        return (app.parent_path() / "moved" / "Voice.dat").string();
                    },
                    true},
        JournalCase{"ThePathSpeltOtherwise", kShorter, MidwayOverTheOldTail,
                    [](const std::string& path, const std::string&) {
                        return fs::path(path).parent_path().string() + "/./Voice.dat";
                    },
                    true},
        JournalCase{"ALineAddedByHand", kShorter, MidwayOverTheOldTail,
                    [](const std::string& path, const std::string&) {
                        WriteText(path, ReadText(path) + "added\t/a/data/Voice4.wav\t2025/01/04\t11:00:00\tTODO\t\r\n");
                        return path;
                    },
                    false},
        JournalCase{"AFieldChangedByHand", kShorter, MidwayOverTheOldTail,
                    [](const std::string& path, const std::string&) {
                        std::string bytes = ReadText(path);
                        bytes.replace(bytes.find("old 2"), 5, "OLD 2");
                        WriteText(path, bytes);
                        return path;
                    },
                    false},
        JournalCase{"AFreshCatalogueInTheSameFile", kShorter, MidwayOverTheOldTail,
                    [](const std::string& path, const std::string&) {
                        WriteText(path, "fresh\t/a/data/Voice1.wav\t2025/02/01\t08:00:00\tTODO\t\r\n");
                        return path;
                    },
                    false},
        JournalCase{"ADamagedJournal", kShorter, MidwayOverTheOldTail,
                    [](const std::string& path, const std::string& journals) {
                        for (const auto& entry : fs::directory_iterator(journals)) {
                            const std::string name = entry.path().filename().string();
                            if (!name.starts_with("rewrite-"))
                                continue;
                            std::string bytes = ReadText(entry.path());
                            bytes.back() ^= 1;
                            WriteText(entry.path(), bytes);  // both its names lead to the one file
                            break;
                        }
                        return path;
                    },
                    false}),
    [](const auto& info) { return std::string(info.param.name); });
