// Takes recorded from a private sound server: what reaches the target, when,
// and what is left behind when the server fails, the disk fills or the
// recorder dies.
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>

#include "KilledTakes.h"
#include "RecorderMessages.h"
#include "RecorderTestSupport.h"
#include "SmallDisk.h"
#include "TakeFile.h"
#include "TakeRecorder.h"
#include "TempFolder.h"

using namespace voicememo;
using namespace voicememo::testing;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// Records one spoken sound, with a little silence on either side as a
// person would leave it.
TakeOutcome RecordSpoken(TakeRecorder& recorder, const std::string& spoken)
{
    const TakeOutcome started = recorder.Start();
    EXPECT_EQ(started.problem, TakeProblem::None) << started.cause.code;
    std::this_thread::sleep_for(300ms);
    RunProgram({"paplay", spoken});
    std::this_thread::sleep_for(300ms);
    return recorder.Stop();
}

class TakeRecorderTest : public ::testing::Test {
protected:
    TakeRecorderTest() { folder.Write("Voice1.wav", ""); }

    std::string Spoken(const std::string& name, const std::string& words)
    {
        const std::string file = folder.path(name).string();
        MakeSpokenWav(file, words);
        return file;
    }

    TestSoundServer server;
    TempFolder folder;
    std::string target = folder.path("Voice1.wav").string();
};

}  // namespace

TEST_F(TakeRecorderTest, KeepsTheSpokenTakeAsWholeMonoWav)
{
    const std::string spoken = Spoken("spoken.src", "Please call the dentist before Friday");
    ::chmod(target.c_str(), 0640);
    TakeRecorder recorder(target);

    const TakeOutcome outcome = RecordSpoken(recorder, spoken);

    EXPECT_TRUE(outcome.saved);
    EXPECT_EQ(outcome.problem, TakeProblem::None);
    const WavFormat wav = ReadWavFormat(target);
    EXPECT_TRUE(IsTakeWav(wav));
    EXPECT_NEAR(VoicedSeconds(target), VoicedSeconds(spoken), 0.1);
    EXPECT_NEAR(recorder.Seconds(), wav.frames / 22050.0, 0.06);
    EXPECT_TRUE(HiddenFiles(folder.path("")).empty());
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the take keeps the reserved file's permissions";
}

TEST_F(TakeRecorderTest, ANewTakeReplacesThePreviousOnlyWhenItEnds)
{
    const std::string longer = Spoken("long.src", "one two three four five six seven eight");
    const std::string shorter = Spoken("short.src", "hello");
    TakeRecorder recorder(target);
    ASSERT_TRUE(RecordSpoken(recorder, longer).saved);
    const double firstTake = VoicedSeconds(target);

    ASSERT_EQ(recorder.Start().problem, TakeProblem::None);
    std::this_thread::sleep_for(300ms);
    RunProgram({"paplay", shorter});
    EXPECT_NEAR(VoicedSeconds(target), firstTake, 0.001) << "the target changed mid-take";
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(recorder.Stop().saved);

    EXPECT_NEAR(VoicedSeconds(target), VoicedSeconds(shorter), 0.1);
    EXPECT_TRUE(HiddenFiles(folder.path("")).empty());
}

TEST_F(TakeRecorderTest, AFrozenServerIsGivenUpAndTheTargetKept)
{
    TakeRecorder recorder(target, {500ms, 1000ms});
    ASSERT_EQ(recorder.Start().problem, TakeProblem::None);
    std::this_thread::sleep_for(300ms);
    server.Freeze();

    const auto before = std::chrono::steady_clock::now();
    const TakeOutcome outcome = recorder.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 2s);
    EXPECT_EQ(outcome.problem, TakeProblem::TakeAbandoned);
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(SizeOf(target), 0u);

    // Once the server answers again, the given-up worker clears its file away
    // and still leaves the target alone.
    server.Thaw();
    EXPECT_TRUE(WaitUntil([&] { return HiddenFiles(folder.path("")).empty(); }));
    EXPECT_EQ(SizeOf(target), 0u);
}

TEST_F(TakeRecorderTest, AServerFrozenBeforeTheTakeStopsNothing)
{
    server.Freeze();
    TakeRecorder recorder(target, {500ms, 1000ms});

    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(recorder.Start().problem, TakeProblem::ServerNotAnswering);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1500ms);
    EXPECT_FALSE(recorder.IsRecording());

    server.Thaw();
    EXPECT_TRUE(WaitUntil([&] { return HiddenFiles(folder.path("")).empty(); }));
    EXPECT_EQ(SizeOf(target), 0u);
}

namespace {

enum class TakeEnd { UserStop, ServerLost, DiskFull };

struct TakeEndCase {
    const char* name;
    TakeEnd end;
    bool targetHoldsTake;  // or is empty, as the dialog reserved it
    const char* expected;  // what the window says, then each file of the folder and of the trash
};

void PrintTo(const TakeEndCase& row, std::ostream* out) { *out << row.name; }

// Whether a take's WAV header (RIFF, fmt and data in 44 bytes) tells the
// length the file has: a take cut short must have been given it too.
bool HeaderTellsLength(const std::string& bytes)
{
    const auto le32 = [&](std::size_t at) {
        std::uint32_t value = 0;  // little-endian, as the machine is
        std::memcpy(&value, bytes.data() + at, sizeof value);
        return std::size_t{value};
    };
    return bytes.size() >= 44 && bytes.compare(36, 4, "data") == 0 && le32(4) + 8 == bytes.size() &&
           le32(40) + 44 == bytes.size();
}

// "name=what" for each file in a folder: the old take, a take (a whole
// 16-bit mono WAV with sound), or its size.
std::string DescribeTakes(const fs::path& folder, const std::string& oldTake)
{
    std::vector<std::string> entries;
    std::error_code missing;
    for (const auto& entry : fs::directory_iterator(folder, missing)) {
        const std::string bytes = ReadText(entry.path().string());
        const WavFormat wav = ReadWavFormat(entry.path().string());
        const std::string what = bytes == oldTake ? "old take"
                                 : IsTakeWav(wav) && wav.frames > 0 && HeaderTellsLength(bytes)
                                     ? "take"
                                     : std::to_string(bytes.size()) + " bytes";
        entries.push_back(entry.path().filename().string() + "=" + what);
    }
    std::sort(entries.begin(), entries.end());
    std::string text;
    for (const auto& entry : entries)
        text += (text.empty() ? "" : "; ") + entry;
    return text;
}

class TakeEndTest : public ::testing::TestWithParam<TakeEndCase> {
protected:
    TakeEndTest() { ::setenv("XDG_DATA_HOME", folder.path("share").c_str(), 1); }
    ~TakeEndTest() override { ::unsetenv("XDG_DATA_HOME"); }

    TestSoundServer server;
    TempFolder folder;
};

}  // namespace

// Only the user's stop makes a take that replaces the one the file holds,
// which then goes to the trash. A take cut short by the server's end or a
// full disk keeps what reached the disk: in the file when it was empty,
// beside it when it held a take.
TEST_P(TakeEndTest, OnlyAWholeTakeReplacesATake)
{
    const TakeEndCase& row = GetParam();
    const std::string oldTakeFile = folder.path("old.wav").string();
    ASSERT_EQ(RunProgram(
                  {"sox", "-n", "-r", "22050", "-c", "1", "-b", "16", oldTakeFile, "synth", "0.5", "sine", "440"}),
              0);
    const std::string oldTake = ReadText(oldTakeFile);
    folder.MakeFolder("disk");
    const fs::path disk = folder.path("disk");

    // Runs in a child for a small disk: no Qt events are run there.
    const auto recordAndDescribe = [&]() -> std::string {
        const std::string target = (disk / "Voice1.wav").string();
        std::ofstream(target, std::ios::binary) << (row.targetHoldsTake ? oldTake : "");
        TakeRecorder recorder(target);
        if (recorder.Start().problem != TakeProblem::None)
            return "no take";
        if (!WaitInChild([&] { return recorder.Seconds() > 0.2; }, 10s))
            return "nothing heard";
        if (row.end == TakeEnd::ServerLost)
            server.Stop();
        if (row.end != TakeEnd::UserStop && !WaitInChild([&] { return recorder.HasEndedByItself(); }, 20s))
            return "the take did not end by itself";
        const std::string said = DescribeProblem(recorder.Stop()).toStdString();
        return said + " | " + DescribeTakes(disk, oldTake) +
               " | trash: " + DescribeTakes(folder.path("share/Trash/files"), oldTake);
    };
    std::optional<std::string> described;
    if (row.end == TakeEnd::DiskFull) {
        // 64 KiB: the old take and under a second and a half of sound.
        described = RunOnSmallDisk(disk.string(), 64, recordAndDescribe);
        if (!described)
            described = RunWithFileSizeLimit(40 * 1024, recordAndDescribe);
    } else {
        described = recordAndDescribe();
    }
    ASSERT_TRUE(described.has_value());
    EXPECT_EQ(*described, row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, TakeEndTest,
    ::testing::Values(
        TakeEndCase{"StopFillsAnEmptyFile", TakeEnd::UserStop, false,
                    "録音を保存しました。 | Voice1.wav=take | trash: "},
        TakeEndCase{
            "StopReplacesATake", TakeEnd::UserStop, true,
            "録音を保存しました。前の録音はごみ箱に移しました。 | Voice1.wav=take | trash: Voice1.wav=old take"},
        TakeEndCase{"ServerLostFillsAnEmptyFile", TakeEnd::ServerLost, false,
                    "入力が途切れました。そこまでの録音を保存しました。 | Voice1.wav=take | trash: "},
        TakeEndCase{
            "ServerLostKeepsBesideATake", TakeEnd::ServerLost, true,
            "入力が途切れました。そこまでの録音を「Voice1 (2).wav」として保存しました。ファイルは元のままです。 | "
            "Voice1 (2).wav=take; Voice1.wav=old take | trash: "},
        TakeEndCase{
            "DiskFullFillsAnEmptyFile", TakeEnd::DiskFull, false,
            "録音をファイルに書き込めなくなりました。そこまでの録音を保存しました。 | Voice1.wav=take | trash: "},
        TakeEndCase{"DiskFullKeepsBesideATake", TakeEnd::DiskFull, true,
                    "録音をファイルに書き込めなくなりました。そこまでの録音を「Voice1 (2).wav」として保存しました。"
                    "ファイルは元のままです。 | Voice1 (2).wav=take; Voice1.wav=old take | trash: "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TakeRecorderTest, ACaptureThatThrowsKeepsWhatReachedTheFile)
{
    constexpr int kChunksBeforeFailure = 5;
    constexpr long long kChunkFrames = 22050 / 20;
    TakeRecorder recorder(target);
    int chunks = 0;  // counted on the worker only
    recorder.SetChunkWritten([&chunks] {
        if (++chunks == kChunksBeforeFailure)
            throw std::system_error(std::make_error_code(std::errc::not_enough_memory));
    });
    ASSERT_EQ(recorder.Start().problem, TakeProblem::None);

    ASSERT_TRUE(WaitUntil([&] { return recorder.HasEndedByItself(); }, 10s));
    const TakeOutcome outcome = recorder.Stop();
    EXPECT_EQ(outcome.problem, TakeProblem::RecordingFailed);
    EXPECT_TRUE(outcome.saved);
    const WavFormat wav = ReadWavFormat(target);
    EXPECT_TRUE(IsTakeWav(wav));
    EXPECT_EQ(wav.frames, kChunksBeforeFailure * kChunkFrames);
}

TEST_F(TakeRecorderTest, KilledTakesAreMendedButARunningTakeStays)
{
    // A header that says no sound, and 50 frames after it, as a recorder
    // killed on Voice2.wav leaves them.
    const std::string scratch = folder.path("scratch").string();
    SF_INFO format{0, kTakeSampleRate, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    sf_close(sf_open(scratch.c_str(), SFM_WRITE, &format));
    folder.Write(".Voice2.wav.take-" + ThisMachineId() + "-Stale1", ReadText(scratch) + std::string(100, '\1'));
    TakeRecorder running(target);
    ASSERT_EQ(running.Start().problem, TakeProblem::None);
    ASSERT_EQ(HiddenFiles(folder.path("")).size(), 2u);

    const std::vector<MendedTake> mended = TakeFile::MendKilled(target);

    ASSERT_EQ(mended.size(), 1u);
    EXPECT_EQ(mended[0].keptAs, folder.path("Voice2.wav").string());
    EXPECT_EQ(ReadWavFormat(mended[0].keptAs).frames, 50);
    EXPECT_EQ(HiddenFiles(folder.path("")).size(), 1u) << "the running take must stay";
    ASSERT_TRUE(WaitUntil([&] { return running.Seconds() > 0.2; }, 10s));
    EXPECT_TRUE(running.Stop().saved);
    EXPECT_TRUE(IsTakeWav(ReadWavFormat(target)));
}

TEST(TakeRecorderWithoutServer, RefusesPromptlyAndLeavesTheTargetAlone)
{
    TempFolder folder;
    TestSoundServer::UseNoServer(folder.path("").string());
    folder.Write("Voice1.wav", "");
    TakeRecorder recorder(folder.path("Voice1.wav").string());

    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(recorder.Start().problem, TakeProblem::NoSoundServer);
    // Well below the connection time-out (2 s): the refusal must not wait for it.
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1500ms);
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_EQ(SizeOf(folder.path("Voice1.wav")), 0u);
    EXPECT_TRUE(HiddenFiles(folder.path("")).empty());
}

TEST(TakeRecorderWithoutServer, AFolderThatTakesNoFileIsReported)
{
    TempFolder folder;
    TakeRecorder recorder(folder.path("gone/Voice1.wav").string());
    const TakeOutcome outcome = recorder.Start();
    EXPECT_EQ(outcome.problem, TakeProblem::CannotCreateFile);
    EXPECT_EQ(outcome.cause.reporter, ProblemCause::Reporter::System);
    EXPECT_EQ(outcome.cause.code, ENOENT);
}

TEST(LevelOfPeak, SpansSixtyDecibelsOntoZeroToHundred)
{
    EXPECT_EQ(LevelOfPeak(0), 0);
    EXPECT_EQ(LevelOfPeak(32), 0);     // below -60 dBFS
    EXPECT_EQ(LevelOfPeak(1036), 50);  // -30 dBFS
    EXPECT_EQ(LevelOfPeak(32767), 100);
    EXPECT_EQ(LevelOfPeak(32768), 100);  // the most negative sample's size
}
