// Where a finished take goes: into the file the recorder was started on, or,
// when that file was replaced, removed or may not be written, beside it
// under a name the dialog adopts. No sound server is needed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

#include "AsUser.h"
#include "SmallDisk.h"
#include "TakeFile.h"
#include "TempFolder.h"

using namespace voicememo;
using namespace voicememo::testing;
namespace fs = std::filesystem;

namespace {

using FolderChange = std::function<void(const TempFolder&)>;

struct KeepCase {
    const char* name;
    FolderChange whenOpened;  // the folder as the recorder finds it
    FolderChange duringTake;  // what another program does meanwhile
    bool unprivileged;        // the recorder runs as an ordinary user
    bool targetOwnedByRoot;
    const char* expected;  // the outcome, then every entry of the folder
    std::size_t samples = 2205;
    TakeProblem ending = TakeProblem::None;  // what cut the take short, if anything
};

std::string DescribeOutcome(const TakeOutcome& outcome)
{
    const std::string kept = outcome.keptAs.empty() ? "" : ", kept as " + fs::path(outcome.keptAs).filename().string();
    switch (outcome.problem) {
    case TakeProblem::None:
        return outcome.saved ? "saved" : "not saved";
    case TakeProblem::TargetChanged:
        return "changed" + kept;
    case TakeProblem::TargetReadOnly:
        return "read-only" + kept;
    case TakeProblem::NoTrash:
        return "no trash" + kept;
    case TakeProblem::InputLost:
        return (outcome.saved ? "input lost, saved" : "input lost") + kept;
    default:
        return "problem " + std::to_string(static_cast<int>(outcome.problem)) + ": " +
               std::to_string(outcome.cause.code);
    }
}

// "name=content" for each file below the folder, links as "name->target",
// a WAV as "take" ("take (read-only)" when its owner may not write it).
std::string DescribeFolder(const TempFolder& folder)
{
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder.path(""))) {
        const std::string name = entry.path().lexically_relative(folder.path("")).string();
        if (entry.is_symlink()) {
            entries.push_back(name + "->" + fs::read_symlink(entry.path()).string());
        } else if (!entry.is_directory()) {
            const std::string content = folder.Read(name);
            const bool ownerWrites =
                (fs::status(entry.path()).permissions() & fs::perms::owner_write) != fs::perms::none;
            entries.push_back(name + "=" +
                              (content.starts_with("RIFF") ? (ownerWrites ? "take" : "take (read-only)") : content));
        }
    }
    std::sort(entries.begin(), entries.end());
    std::string text;
    for (const auto& entry : entries)
        text += (text.empty() ? "" : "; ") + entry;
    return text;
}

void ReplaceTarget(const TempFolder& folder, const std::string& name = "Voice1.wav")
{
    fs::remove(folder.path(name));
    folder.Write(name, "newer");
}

void LinkToStore(const TempFolder& folder)
{
    folder.MakeFolder("store");
    fs::rename(folder.path("Voice1.wav"), folder.path("store/real.wav"));
    fs::create_symlink("store/real.wav", folder.path("Voice1.wav"));
}

const FolderChange kNothing = [](const TempFolder&) {};

void PrintTo(const KeepCase& test, std::ostream* out) { *out << test.name; }

class TakeFileKeepTest : public ::testing::TestWithParam<KeepCase> {};

}  // namespace

TEST_P(TakeFileKeepTest, ReplacesOnlyTheFileItWasStartedOn)
{
    const KeepCase& test = GetParam();
    if (test.targetOwnedByRoot && ::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give the file to another user";
    }
    TempFolder folder;
    folder.Write("Voice1.wav", "");
    const std::string target = folder.path("Voice1.wav").string();
    if (test.unprivileged)
        folder.GiveTo(UnprivilegedUid(), UnprivilegedGid());
    test.whenOpened(folder);
    if (test.targetOwnedByRoot) {
        ASSERT_EQ(::lchown(target.c_str(), 0, 0), 0);
    }

    auto recordAndKeep = [&]() -> std::string {
        HeldFile startedOn = HeldFile::Open(target);
        int error = 0;
        auto take = TakeFile::Create(target, error);
        if (!take)
            return "cannot create: " + std::to_string(error);
        test.duringTake(folder);
        const std::vector<std::int16_t> sound(test.samples, 1000);
        if (!take->Append(sound.data(), sound.size(), error))
            return "cannot append";
        return DescribeOutcome(take->Keep(startedOn, test.ending));
    };
    const std::optional<std::string> outcome = test.unprivileged ? RunUnprivileged(recordAndKeep) : recordAndKeep();
    ASSERT_TRUE(outcome.has_value());
    EXPECT_EQ(*outcome + " | " + DescribeFolder(folder), test.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TakeFileKeepTest,
    ::testing::Values(
        KeepCase{"Unchanged", kNothing, kNothing, true, false, "saved | Voice1.wav=take"},
        KeepCase{"ReplacedByANewerFile", kNothing, [](auto& f) { ReplaceTarget(f); }, false, false,
                 "changed, kept as Voice1 (2).wav | Voice1 (2).wav=take; Voice1.wav=newer"},
        KeepCase{"KeptUnderTheFirstFreeNumber", [](auto& f) { f.Write("Voice1 (2).wav", "older"); },
                 [](auto& f) { ReplaceTarget(f); }, false, false,
                 "changed, kept as Voice1 (3).wav | Voice1 (2).wav=older; Voice1 (3).wav=take; Voice1.wav=newer"},
        KeepCase{"Deleted", kNothing, [](auto& f) { fs::remove(f.path("Voice1.wav")); }, false, false,
                 "changed, kept as Voice1 (2).wav | Voice1 (2).wav=take"},
        KeepCase{"AbsentStaysAbsent", [](auto& f) { fs::remove(f.path("Voice1.wav")); }, kNothing, false, false,
                 "saved | Voice1.wav=take"},
        KeepCase{"CreatedMeanwhile", [](auto& f) { fs::remove(f.path("Voice1.wav")); },
                 [](auto& f) { f.Write("Voice1.wav", "newer"); }, false, false,
                 "changed, kept as Voice1 (2).wav | Voice1 (2).wav=take; Voice1.wav=newer"},
        KeepCase{"NoWriteBitForAnOrdinaryUser", [](auto& f) { f.SetMode("Voice1.wav", 0444); }, kNothing, true, false,
                 "read-only, kept as Voice1 (2).wav | Voice1 (2).wav=take; Voice1.wav="},
        KeepCase{"NoWriteBitForRootToo", [](auto& f) { f.SetMode("Voice1.wav", 0444); }, kNothing, false, false,
                 "read-only, kept as Voice1 (2).wav | Voice1 (2).wav=take; Voice1.wav="},
        KeepCase{"AnotherUsersFile", [](auto& f) { f.SetMode("Voice1.wav", 0644); }, kNothing, true, true,
                 "read-only, kept as Voice1 (2).wav | Voice1 (2).wav=take; Voice1.wav="},
        KeepCase{"ALinkStaysALink", LinkToStore, kNothing, false, false,
                 "saved | Voice1.wav->store/real.wav; store/real.wav=take"},
        KeepCase{"ALinkWhoseEndWasReplaced", LinkToStore, [](auto& f) { ReplaceTarget(f, "store/real.wav"); }, false,
                 false,
                 "changed, kept as Voice1 (2).wav | Voice1 (2).wav=take; Voice1.wav->store/real.wav; "
                 "store/real.wav=newer"},
        // The server gone before the first sample: nothing replaces the take.
        KeepCase{"ACutTakeWithoutSamplesIsNoFile", [](auto& f) { f.Write("Voice1.wav", "older take"); }, kNothing,
                 false, false, "input lost | Voice1.wav=older take", 0, TakeProblem::InputLost}),
    [](const auto& info) { return std::string(info.param.name); });

// A disk with no trash of ours (its .Trash-<uid> no folder, the home trash on
// another disk): the take the file holds is never deleted for good; it
// stays, and the new take is kept beside it.
TEST(TakeFileTest, AnOldTakeNoTrashCanTakeStays)
{
    TempFolder disk;
    TempFolder home;
    const std::string top = fs::path(disk.dir()).parent_path().string();
    const auto report = RunOnSmallDisk(top, 1024, [&] {
        disk.Write(".Trash-" + std::to_string(::geteuid()), "not a folder");
        disk.Write("Voice1.wav", "older take");
        ::setenv("XDG_DATA_HOME", home.path("share").c_str(), 1);
        const std::string target = disk.path("Voice1.wav").string();
        HeldFile startedOn = HeldFile::Open(target);
        int error = 0;
        auto take = TakeFile::Create(target, error);
        const std::vector<std::int16_t> sound(2205, 1000);
        if (!take || !take->Append(sound.data(), sound.size(), error))
            return "cannot record: " + std::to_string(error);
        const std::string outcome = DescribeOutcome(take->Keep(startedOn, TakeProblem::None));
        return outcome + " | " + DescribeFolder(disk);
    });
    if (!report)
        GTEST_SKIP() << "no right to mount a disk of the test's own";
    EXPECT_EQ(*report, "no trash, kept as Voice1 (2).wav | .Trash-0=not a folder; Voice1 (2).wav=take; "
                       "Voice1.wav=older take");
}

TEST(TakeFileTest, ATakeRecordedByRootKeepsTheFilesOwnerAndGroup)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the file to another user";
    TempFolder folder;
    folder.Write("Voice1.wav", "");
    const std::string target = folder.path("Voice1.wav").string();
    ASSERT_EQ(::chown(target.c_str(), 12345, 23456), 0);
    HeldFile startedOn = HeldFile::Open(target);
    int error = 0;
    auto take = TakeFile::Create(target, error);
    ASSERT_TRUE(take) << error;
    const std::vector<std::int16_t> sound(2205, 1000);
    ASSERT_TRUE(take->Append(sound.data(), sound.size(), error));
    ASSERT_TRUE(take->Keep(startedOn, TakeProblem::None).saved);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_GT(info.st_size, 0);
    EXPECT_EQ(info.st_uid, 12345u);
    EXPECT_EQ(info.st_gid, 23456u);
}
