// What a killed recorder left, mended: its header's sizes, where its sound
// goes, and the takes that are not ours to touch.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include "KilledTakes.h"
#include "PosixFileSystem.h"
#include "RecorderTestSupport.h"
#include "StateFolder.h"
#include "StrayTakes.h"
#include "TempFolder.h"

using namespace voicememo;
using namespace voicememo::testing;

namespace {

// A take as SIGKILL leaves it: the samples written, a frame cut in half
// after them, and the header's sizes still 0.
std::string KilledTakeBytes(const std::string& scratch, int frames)
{
    SF_INFO format{0, 22050, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* sound = sf_open(scratch.c_str(), SFM_WRITE, &format);
    std::vector<short> samples(static_cast<std::size_t>(frames));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<short>(i * 37);
    sf_write_short(sound, samples.data(), frames);
    sf_close(sound);
    std::string bytes = ReadText(scratch) + "\x7f";
    const std::size_t data = bytes.find("data");
    bytes.replace(4, 4, std::string(4, '\0'));
    bytes.replace(data + 4, 4, std::string(4, '\0'));
    return bytes;
}

struct KilledCase {
    const char* name;
    const char* takeName;     // beside Voice7.wav; "%" stands for this machine's id
    int frames;               // -1: bytes that are no WAV, -2: no bytes at all
    bool held;                // a recorder still holds it
    bool stillForLong;        // not written for an hour
    const char* targetBytes;  // Voice7.wav's; nullptr: there is none
    bool secondTaken;         // "Voice7 (2).wav" is there already
    const char* expectedAt;   // where the sound goes; "" removed, nullptr left as it is
};

void PrintTo(const KilledCase& row, std::ostream* out) { *out << row.name; }

class KilledTake : public ::testing::TestWithParam<KilledCase> {};

TEST_P(KilledTake, IsMendedOnlyWhereItIsThisMachinesAndNoRecorderHoldsIt)
{
    const KilledCase& row = GetParam();
    TempFolder folder;
    std::string takeName = row.takeName;
    if (const std::size_t mark = takeName.find('%'); mark != std::string::npos)
        takeName.replace(mark, 1, ThisMachineId());
    const std::string take = folder.path(takeName).string();
    const std::string bytes = row.frames >= 0 ? KilledTakeBytes(folder.path("scratch").string(), row.frames)
                                              : std::string(row.frames == -1 ? 400 : 0, 'x');
    std::filesystem::remove(folder.path("scratch"));
    folder.Write(takeName, bytes);
    if (row.targetBytes)
        folder.Write("Voice7.wav", row.targetBytes);
    if (row.secondTaken)
        folder.Write("Voice7 (2).wav", "another take");
    if (row.stillForLong) {
        const timespec hourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
        ::utimensat(AT_FDCWD, take.c_str(), hourAgo, 0);
    }
    const int holder = ::open(take.c_str(), O_RDONLY | O_CLOEXEC);
    if (row.held)
        ::flock(holder, LOCK_EX);

    const std::vector<MendedTake> mended = MendKilledTakes(folder.path("").string());
    ::close(holder);

    if (!row.expectedAt) {
        EXPECT_TRUE(mended.empty());
        EXPECT_EQ(folder.Read(takeName), bytes) << "a take not ours to mend was changed";
    } else {
        ASSERT_EQ(mended.size(), 1u);
        EXPECT_FALSE(folder.Exists(takeName));
        EXPECT_EQ(mended[0].keptAs, *row.expectedAt ? folder.path(row.expectedAt).string() : "");
    }
    if (row.expectedAt && *row.expectedAt) {
        const std::string kept = folder.path(row.expectedAt).string();
        EXPECT_TRUE(HeaderSizesMatch(folder.Read(row.expectedAt)));
        const WavFormat wav = ReadWavFormat(kept);
        EXPECT_TRUE(IsTakeWav(wav));
        EXPECT_EQ(wav.frames, row.frames);
        const std::string keptBytes = folder.Read(row.expectedAt);
        const std::size_t data = bytes.find("data");
        EXPECT_EQ(keptBytes.substr(8, data - 4), bytes.substr(8, data - 4)) << "the format changed";
        EXPECT_EQ(keptBytes.substr(data + 8), bytes.substr(data + 8, bytes.size() - data - 9)) << "the sound changed";
    }
    if (row.targetBytes && std::string_view(row.expectedAt ? row.expectedAt : "") != "Voice7.wav") {
        EXPECT_EQ(folder.Read("Voice7.wav"), row.targetBytes) << "the memo's own take was touched";
    }
    if (row.secondTaken) {
        EXPECT_EQ(folder.Read("Voice7 (2).wav"), "another take");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KilledTake,
    ::testing::Values(
        KilledCase{"IntoTheReservedEmptyFile", ".Voice7.wav.take-%-aB3dE9", 2205, false, false, "", false,
                   "Voice7.wav"},
        KilledCase{"IntoAMissingFile", ".Voice7.wav.take-%-aB3dE9", 2205, false, false, nullptr, false, "Voice7.wav"},
        KilledCase{"BesideAFileThatHoldsATake", ".Voice7.wav.take-%-aB3dE9", 2205, false, false, "RIFF earlier", true,
                   "Voice7 (3).wav"},
        KilledCase{"AHeaderAloneIsRemoved", ".Voice7.wav.take-%-aB3dE9", 0, false, false, "", false, ""},
        KilledCase{"AnEmptyFileIsRemoved", ".Voice7.wav.take-%-aB3dE9", -2, false, false, "", false, ""},
        KilledCase{"ARunningTakeStays", ".Voice7.wav.take-%-aB3dE9", 2205, true, true, "", false, nullptr},
        KilledCase{"AnotherMachinesTakeStays", ".Voice7.wav.take-0123456789abcdef0123456789abcdef-aB3dE9", 2205, false,
                   true, "", false, nullptr},
        KilledCase{"BytesThatAreNoWavStay", ".Voice7.wav.take-%-aB3dE9", -1, false, false, "", false, nullptr},
        // Named before takes carried the machine: mended once it lay still.
        KilledCase{"AnUnnamedMachinesFreshTakeStays", ".Voice7.wav.take-aB3dE9", 2205, false, false, "", false,
                   nullptr},
        KilledCase{"AnUnnamedMachinesOldTakeIsMended", ".Voice7.wav.take-aB3dE9", 2205, false, true, "RIFF earlier",
                   false, "Voice7 (2).wav"}),
    [](const auto& info) { return std::string(info.param.name); });

// At the window's start: a killed take of a memo whose file holds a take
// goes beside it, and then gets a memo of its own as any take beside does.
TEST(KilledTakeAtTheWindowsStart, IsKeptBesideTheMemosTakeAndAdopted)
{
    UsePrivateDataFolder();
    TempFolder folder;
    folder.Write("data/Voice7.wav", "RIFF an earlier take");
    const std::string killed = KilledTakeBytes(folder.path("scratch").string(), 2205);
    folder.Write("data/.Voice7.wav.take-" + ThisMachineId() + "-aB3dE9", killed);
    PosixFileSystem files;

    const std::vector<MendedTake> mended = MendKilledTakes(files, folder.dir());
    ASSERT_EQ(mended.size(), 1u);
    EXPECT_EQ(mended[0].keptAs, folder.path("data/Voice7 (2).wav").string());

    const std::vector<VoiceMemo> memos = {
        {"call", folder.dir() + "data/Voice7.wav", "2026/12/01", "10:00:00", "TODO", ""}};
    const AdoptedTakes adopted =
        AdoptStrayTakes(files, folder.dir(), MemoTable(memos), {}, [](std::int64_t) { return LocalDateTime{}; });
    ASSERT_EQ(adopted.memos.size(), 1u);
    EXPECT_EQ(adopted.memos[0].Title, "call\x81\x69\x95\xca\x82\xcc\x98\x5e\x89\xb9\x81\x6a");  // call（別の録音）
    const std::string adoptedBytes = ReadText(adopted.memos[0].FilePath);
    EXPECT_TRUE(HeaderSizesMatch(adoptedBytes));
    EXPECT_EQ(adoptedBytes.size(), killed.size() - 1) << "the half frame at its end is all it loses";
    EXPECT_EQ(folder.Read("data/Voice7.wav"), "RIFF an earlier take");
}

}  // namespace
