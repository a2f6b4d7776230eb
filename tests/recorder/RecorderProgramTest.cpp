// The real voicememo-recorder program: its command line, and a recorder
// killed mid-take.
#include <csignal>
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "RecorderTestSupport.h"
#include "TempFolder.h"

using namespace voicememo;
using namespace voicememo::testing;
using namespace std::chrono_literals;

TEST(RecorderProgram, AKilledTakeLeavesTheReservedFileAndIsClearedAtTheNextStart)
{
    TestSoundServer server;
    TempFolder folder;
    folder.Write("my memos/ボイス 1.wav", "");
    const auto target = folder.path("my memos/ボイス 1.wav");
    const auto memos = folder.path("my memos");

    const pid_t recorder = SpawnProgram({RECORDER_PROGRAM, "--start", target.string()});
    const bool takeRunning = WaitUntil([&] {
        const auto hidden = HiddenFiles(memos);
        return hidden.size() == 1 && SizeOf(memos / hidden[0]) > 22050;  // half a second
    }, 10s);
    ::kill(recorder, SIGKILL);
    ::waitpid(recorder, nullptr, 0);
    ASSERT_TRUE(takeRunning) << "the take never started";
    EXPECT_EQ(SizeOf(target), 0u);
    EXPECT_TRUE(HiddenFiles(memos)[0].starts_with(".ボイス 1.wav.take-"));

    const pid_t again = SpawnProgram({RECORDER_PROGRAM, target.string()});
    EXPECT_TRUE(WaitUntil([&] { return HiddenFiles(memos).empty(); }, 10s));
    ::kill(again, SIGKILL);
    ::waitpid(again, nullptr, 0);
    EXPECT_EQ(SizeOf(target), 0u);
}

TEST(RecorderProgram, TheEndOfTheSessionKeepsTheTakeThatRuns)
{
    TestSoundServer server;
    TempFolder folder;
    folder.Write("data/Voice1.wav", "");
    const auto target = folder.path("data/Voice1.wav");
    const std::string spoken = folder.path("spoken.wav").string();
    MakeSpokenWav(spoken, "Call the dentist tomorrow morning.");

    const pid_t recorder = SpawnProgram({RECORDER_PROGRAM, "--start", target.string()});
    const bool takeRunning = WaitUntil([&] { return HiddenFiles(folder.path("data")).size() == 1; }, 10s);
    RunProgram({"paplay", spoken});
    ::kill(recorder, SIGTERM);
    int status = 0;
    const bool ended = WaitUntil([&] { return ::waitpid(recorder, &status, WNOHANG) == recorder; }, 10s);
    if (!ended) {
        ::kill(recorder, SIGKILL);
        ::waitpid(recorder, nullptr, 0);
    }
    ASSERT_TRUE(takeRunning) << "the take never started";
    ASSERT_TRUE(ended) << "SIGTERM did not end the recorder";
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_TRUE(IsTakeWav(ReadWavFormat(target.string())));
    EXPECT_NEAR(VoicedSeconds(target.string()), VoicedSeconds(spoken), 0.1);
    EXPECT_TRUE(HiddenFiles(folder.path("data")).empty());
}

TEST(RecorderCommandLine, TakesOnePathAndAnOptionalStart)
{
    const auto plain = ParseRecorderCommand({"/data/Voice 3.wav"});
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->target, "/data/Voice 3.wav");
    EXPECT_FALSE(plain->startAtOnce);

    const auto started = ParseRecorderCommand({"--start", "/data/Voice3.wav"});
    ASSERT_TRUE(started);
    EXPECT_EQ(started->target, "/data/Voice3.wav");
    EXPECT_TRUE(started->startAtOnce);

    EXPECT_FALSE(ParseRecorderCommand({}));
    EXPECT_FALSE(ParseRecorderCommand({""}));
    EXPECT_FALSE(ParseRecorderCommand({"--start"}));
    EXPECT_FALSE(ParseRecorderCommand({"/data/Voice3.wav", "/data/Voice4.wav"}));
    EXPECT_FALSE(ParseRecorderCommand({"/data/Voice3.wav", "--start"}));
}
