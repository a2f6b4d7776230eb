// Takes recorded from a private sound server: what reaches the target, when,
// and what is left behind when the server fails or the recorder dies.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>

#include "RecorderTestSupport.h"
#include "TakeFile.h"
#include "TakeRecorder.h"
#include "TempFolder.h"

using namespace voicememo;
using namespace voicememo::testing;
using namespace std::chrono_literals;

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

TEST_F(TakeRecorderTest, AServerGoneMidTakeKeepsWhatCameBefore)
{
    TakeRecorder recorder(target);
    ASSERT_EQ(recorder.Start().problem, TakeProblem::None);
    std::this_thread::sleep_for(600ms);
    server.Stop();

    ASSERT_TRUE(WaitUntil([&] { return recorder.HasEndedByItself(); }));
    const TakeOutcome outcome = recorder.Stop();
    EXPECT_EQ(outcome.problem, TakeProblem::InputLost);
    EXPECT_TRUE(outcome.saved);
    const WavFormat wav = ReadWavFormat(target);
    EXPECT_TRUE(IsTakeWav(wav));
    EXPECT_GT(wav.frames, 22050 / 4);
}

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

TEST_F(TakeRecorderTest, StaleTakesGoButARunningTakeStays)
{
    folder.Write(".Voice1.wav.take-Stale1", "RIFF");
    folder.Write(".Voice2.wav.take-Other1", "RIFF");
    TakeRecorder running(target);
    ASSERT_EQ(running.Start().problem, TakeProblem::None);
    ASSERT_EQ(HiddenFiles(folder.path("")).size(), 3u);

    TakeFile::RemoveStale(target);

    EXPECT_FALSE(folder.Exists(".Voice1.wav.take-Stale1"));
    EXPECT_TRUE(folder.Exists(".Voice2.wav.take-Other1")) << "another file's take";
    EXPECT_EQ(HiddenFiles(folder.path("")).size(), 2u) << "the running take must stay";
    std::this_thread::sleep_for(300ms);
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
