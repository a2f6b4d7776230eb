// The player against a private sound server: what reaches the speaker is
// captured and measured, and each call is timed.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sys/stat.h>

#include "PulseSoundPlayer.h"
#include "TestSoundServer.h"

namespace voicememo {
namespace {

using namespace voicememo::testing;
using Clock = std::chrono::steady_clock;

constexpr double kVoicedTolerance = 0.05;
// "At once", for a call that must not wait for a sound or a server: far
// longer than the few milliseconds it takes, even on a loaded machine, and
// far shorter than any sound, grace or connection time-out it must not wait.
constexpr double kPromptly = 1.0;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

class SoundPlayerTest : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const { return (server_.dir() / name).string(); }

    std::string SpokenWav()
    {
        const std::string file = Path("spoken.wav");
        MakeSpokenWav(file, "one two three four");
        return file;
    }

    // Plays a file while the speaker is captured; returns the capture's file.
    std::string PlayCaptured(const std::string& file, SoundPlayer& player)
    {
        SpeakerCapture capture(Path("capture.wav"));
        player.PlayToEnd(file, {});
        return capture.Stop();
    }

    TestSoundServer server_;
    PulseSoundPlayer player_;
};

TEST_F(SoundPlayerTest, SpokenWavReachesTheSpeakerWholeAndTheCallWaitsForItsEnd)
{
    const std::string file = SpokenWav();
    const double length = FileSeconds(file);
    SpeakerCapture capture(Path("capture.wav"));
    int waits = 0;
    const auto start = Clock::now();
    player_.PlayToEnd(file, [&] { ++waits; });
    const double elapsed = SecondsSince(start);

    EXPECT_NEAR(VoicedSeconds(capture.Stop()), VoicedSeconds(file), kVoicedTolerance);
    EXPECT_GE(elapsed, length - 0.05);
    EXPECT_LE(elapsed, length + 1.0);
    EXPECT_GT(waits, 10);
}

// The same words in each encoding a WAV file may hold; sox arguments make it.
class SoundPlayerEncodingTest : public SoundPlayerTest,
                                public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(SoundPlayerEncodingTest, PlaysAtFullLength)
{
    const std::string converted = Path("converted.wav");
    std::vector<std::string> command{"sox", SpokenWav()};
    command.insert(command.end(), GetParam().begin(), GetParam().end());
    command.push_back(converted);
    ASSERT_EQ(RunProgram(command), 0);

    EXPECT_NEAR(VoicedSeconds(PlayCaptured(converted, player_)), VoicedSeconds(converted), kVoicedTolerance);
}

INSTANTIATE_TEST_SUITE_P(Encodings, SoundPlayerEncodingTest,
                         ::testing::Values(std::vector<std::string>{"-e", "floating-point", "-b", "32"},
                                           std::vector<std::string>{"-e", "unsigned-integer", "-b", "8"},
                                           std::vector<std::string>{"-e", "u-law"},
                                           std::vector<std::string>{"-e", "a-law"},
                                           std::vector<std::string>{"-e", "ima-adpcm"},
                                           std::vector<std::string>{"-e", "ms-adpcm"},
                                           std::vector<std::string>{"-b", "24", "-c", "2", "-r", "44100"},
                                           std::vector<std::string>{"-r", "8000"}));

TEST_F(SoundPlayerTest, UndecodableFilesPlayTheAlertSound)
{
    const std::string spoken = SpokenWav();
    const std::string header = ReadText(spoken).substr(0, 20);
    const std::pair<const char*, std::string> files[] = {{"empty.wav", ""},
                                                         {"text.wav", "not a sound\n"},
                                                         {"cut.wav", header},
                                                         {"fifo.wav", ""}};
    for (const auto& [name, content] : files) {
        // A FIFO is never opened: that would block for good.
        if (name == std::string("fifo.wav"))
            ASSERT_EQ(::mkfifo(Path(name).c_str(), 0644), 0);
        else
            std::ofstream(Path(name), std::ios::binary) << content;
        EXPECT_NEAR(VoicedSeconds(PlayCaptured(Path(name), player_)), VoicedSeconds(kDesktopAlertSound), 0.1) << name;
    }
}

TEST_F(SoundPlayerTest, WithoutTheAlertSoundAShortBeepPlays)
{
    PulseSoundPlayer player(std::chrono::seconds(3), Path("no-theme/bell.oga"));
    std::ofstream(Path("empty.wav"));
    EXPECT_NEAR(VoicedSeconds(PlayCaptured(Path("empty.wav"), player)), 0.2, kVoicedTolerance);
}

TEST_F(SoundPlayerTest, MissingAndSoundlessFilesPlayNothingAndReturnAtOnce)
{
    // The spoken file's header alone: a valid WAV with no frames.
    std::ofstream(Path("header.wav"), std::ios::binary) << ReadText(SpokenWav()).substr(0, 44);
    for (const std::string name : {"missing.wav", "header.wav"}) {
        SpeakerCapture capture(Path("capture.wav"));
        const auto start = Clock::now();
        player_.PlayToEnd(Path(name), {});
        EXPECT_LT(SecondsSince(start), kPromptly) << name;
        EXPECT_EQ(VoicedSeconds(capture.Stop()), 0.0) << name;
    }
}

TEST_F(SoundPlayerTest, WithNoServerReturnsAtOnce)
{
    const std::string file = SpokenWav();
    TestSoundServer::UseNoServer(server_.dir().string());
    const auto start = Clock::now();
    player_.PlayToEnd(file, {});
    EXPECT_LT(SecondsSince(start), kPromptly);
}

// A server that stops answering, before the call or in the middle of the
// sound: the call gives up after the sound's length plus the grace time and
// keeps the dialog alive meanwhile.
class SoundPlayerFrozenServerTest : public SoundPlayerTest, public ::testing::WithParamInterface<int> {};

TEST_P(SoundPlayerFrozenServerTest, GivesUpAfterTheLengthAndGrace)
{
    const int freezeAfterMs = GetParam();
    const std::string file = SpokenWav();
    const double bound = FileSeconds(file) + 0.5;
    PulseSoundPlayer player(std::chrono::milliseconds(500));
    if (freezeAfterMs < 0)
        server_.Freeze();
    std::atomic<int> waits = 0;
    int waitsAtFreeze = 0;
    std::thread freezer([&] {
        if (freezeAfterMs < 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(freezeAfterMs));
        waitsAtFreeze = waits;
        server_.Freeze();
    });
    const auto start = Clock::now();
    player.PlayToEnd(file, [&] { ++waits; });
    const double elapsed = SecondsSince(start);
    freezer.join();

    EXPECT_GE(elapsed, bound - 0.05);
    EXPECT_LE(elapsed, bound + kPromptly);
    EXPECT_GT(waits - waitsAtFreeze, 20);
    server_.Stop();
    // Lets the abandoned playback see the server gone before the next test
    // points this process at another one.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

INSTANTIATE_TEST_SUITE_P(FreezeMoments, SoundPlayerFrozenServerTest, ::testing::Values(-1, 300),
                         [](const auto& info) { return info.param < 0 ? "BeforeTheCall" : "MidSound"; });

}  // namespace
}  // namespace voicememo
