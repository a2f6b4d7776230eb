// The real voicememo-recorder program: its command line, when a take starts,
// and a recorder killed mid-take.
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>

#include "CommandLine.h"
#include "KilledTakes.h"
#include "RecorderTestSupport.h"
#include "TempFolder.h"

using namespace voicememo;
using namespace voicememo::testing;
using namespace std::chrono_literals;

namespace {

// Waits until one take runs in the folder and has half a second of sound.
bool WaitForRunningTake(const std::filesystem::path& folder)
{
    return WaitUntil(
        [&] {
            const auto hidden = HiddenFiles(folder);
            return hidden.size() == 1 && SizeOf(folder / hidden[0]) > 22050;
        },
        10s);
}

// Ends a recorder as the session's end does; kills it when SIGTERM does not
// end it within the time. Tells whether SIGTERM did, with its exit status.
bool EndBySigterm(pid_t recorder, int& status)
{
    ::kill(recorder, SIGTERM);
    const bool ended = WaitUntil([&] { return ::waitpid(recorder, &status, WNOHANG) == recorder; }, 10s);
    if (!ended) {
        ::kill(recorder, SIGKILL);
        ::waitpid(recorder, nullptr, 0);
    }
    return ended;
}

// An X server of the test's own on a free display, for what a desktop shows
// of the program's window: its title and icon.
class TestXServer {
public:
    explicit TestXServer(const std::filesystem::path& folder) : folder_(folder)
    {
        const std::string said = (folder_ / "display").string();
        // No reset when a client leaves: a client that came during one was
        // refused now and then.
        pid_ = SpawnProgram({"Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-noreset"}, said);
        WaitUntil([&] { return !DisplayNumber(ReadText(said)).empty(); }, 10s);
        display_ = ":" + DisplayNumber(ReadText(said));
    }
    ~TestXServer()
    {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    const std::string& display() const { return display_; }

    // xwininfo's line for the top-level window whose name holds part, or "".
    std::string WindowLine(const std::string& part) const
    {
        const std::string tree = (folder_ / "tree").string();
        RunProgram({"xwininfo", "-display", display_, "-root", "-children"}, tree);
        std::istringstream lines(ReadText(tree));
        for (std::string line; std::getline(lines, line);)
            if (line.find(part) != std::string::npos)
                return line;
        return {};
    }
    // What xprop says of one property of a window.
    std::string Property(const std::string& windowId, const std::string& property) const
    {
        const std::string said = (folder_ / "property").string();
        RunProgram({"xprop", "-display", display_, "-id", windowId, property}, said);
        return ReadText(said);
    }

private:
    // Xvfb says its display's number on a line of its own, among warnings.
    static std::string DisplayNumber(const std::string& said)
    {
        std::istringstream lines(said);
        for (std::string line; std::getline(lines, line);)
            if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos)
                return line;
        return {};
    }

    std::filesystem::path folder_;
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace

// The window on an X11 desktop, whose title Qt writes with the application's
// display name appended when one is set, and the program's icon on it.
TEST(RecorderProgram, OnTheDesktopItsTitleNamesTheFileOnceBesideTheIcon)
{
    TempFolder folder;
    TestSoundServer::UseNoServer(folder.path("").string());
    folder.Write("Voice1.wav", "an earlier take");
    TestXServer x(folder.path(""));
    const std::string platform = qEnvironmentVariable("QT_QPA_PLATFORM").toStdString();
    ::setenv("DISPLAY", x.display().c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    const std::string said = folder.path("recorder.log").string();
    const pid_t recorder = SpawnProgram({RECORDER_PROGRAM, folder.path("Voice1.wav").string()}, said);
    ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);

    std::string window;
    WaitUntil([&] { return !(window = x.WindowLine("Voice1.wav")).empty(); }, 10s);
    std::string icon;
    if (const std::size_t id = window.find("0x"); id != std::string::npos) {
        const std::string windowId = window.substr(id, window.find(' ', id) - id);
        WaitUntil([&] { return (icon = x.Property(windowId, "_NET_WM_ICON")).find("CARDINAL") != std::string::npos; },
                  10s);
    }
    ::kill(recorder, SIGKILL);
    ::waitpid(recorder, nullptr, 0);
    EXPECT_NE(window.find("\"録音 - Voice1.wav\":"), std::string::npos)
        << window << "; on " << x.display() << " the recorder said: " << ReadText(said);
    EXPECT_NE(icon.find("_NET_WM_ICON(CARDINAL) ="), std::string::npos) << "the window carries no icon: " << icon;
}

// SIGKILL mid-take, twice: at the next start the first take goes into the
// file the window reserved, the second beside the first, each a WAV whose
// header gives the sizes its file has.
TEST(RecorderProgram, AKilledTakeIsMendedAtTheNextStart)
{
    TestSoundServer server;
    TempFolder folder;
    folder.Write("my memos/ボイス 1.wav", "");
    const auto target = folder.path("my memos/ボイス 1.wav");
    const auto memos = folder.path("my memos");
    // The killed take's name and length, or nothing when no take ran.
    const auto killMidTake = [&]() -> std::optional<std::pair<std::string, std::string>> {
        const pid_t recorder = SpawnProgram({RECORDER_PROGRAM, "--start", target.string()});
        const bool running = WaitForRunningTake(memos);
        ::kill(recorder, SIGKILL);
        ::waitpid(recorder, nullptr, 0);
        if (!running)
            return std::nullopt;
        const std::string name = HiddenFiles(memos).at(0);
        return std::pair{name, ReadText((memos / name).string())};
    };
    const auto startAgainUntilMended = [&](const std::filesystem::path& into) {
        const pid_t again = SpawnProgram({RECORDER_PROGRAM, target.string()});
        const bool mended = WaitUntil([&] { return HiddenFiles(memos).empty() && SizeOf(into) > 0; }, 10s);
        ::kill(again, SIGKILL);
        ::waitpid(again, nullptr, 0);
        return mended;
    };
    const auto expectMended = [](const std::filesystem::path& file, const std::string& killed) {
        const std::string bytes = ReadText(file.string());
        EXPECT_TRUE(HeaderSizesMatch(bytes)) << file;
        const std::size_t sound = killed.find("data") + 8;
        EXPECT_EQ(ReadWavFormat(file.string()).frames, static_cast<long long>((killed.size() - sound) / 2)) << file;
        EXPECT_EQ(bytes.substr(sound), killed.substr(sound, bytes.size() - sound)) << file;
    };

    const auto first = killMidTake();
    ASSERT_TRUE(first) << "the take never started";
    EXPECT_TRUE(first->first.starts_with(".ボイス 1.wav.take-" + ThisMachineId() + "-")) << first->first;
    EXPECT_EQ(SizeOf(target), 0u);
    ASSERT_TRUE(startAgainUntilMended(target)) << "the killed take was not mended into the reserved file";
    expectMended(target, first->second);

    const auto second = killMidTake();
    ASSERT_TRUE(second) << "the second take never started";
    const auto beside = memos / "ボイス 1 (2).wav";
    ASSERT_TRUE(startAgainUntilMended(beside)) << "the second killed take was not kept beside the first";
    expectMended(target, first->second);
    expectMended(beside, second->second);
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
    // Captured sound in the take file, not the file alone: it is made before
    // the capture connects, and the first word must not be lost.
    const bool takeRunning = WaitForRunningTake(folder.path("data"));
    RunProgram({"paplay", spoken});
    int status = 0;
    const bool ended = EndBySigterm(recorder, status);
    ASSERT_TRUE(takeRunning) << "the take never started";
    ASSERT_TRUE(ended) << "SIGTERM did not end the recorder";
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_TRUE(IsTakeWav(ReadWavFormat(target.string())));
    EXPECT_NEAR(VoicedSeconds(target.string()), VoicedSeconds(spoken), 0.1);
    EXPECT_TRUE(HiddenFiles(folder.path("data")).empty());
}

// The dialog's 録音 starts the recorder with the path alone, on a file it has
// just created empty: the take starts without a second 録音.
struct StartCase {
    const char* name;
    std::vector<std::string> optionsBeforePath;
};

void PrintTo(const StartCase& row, std::ostream* out) { *out << row.name; }

class RecorderProgramStart : public ::testing::TestWithParam<StartCase> {};

TEST_P(RecorderProgramStart, AnEmptyFileStartsATakeAtOnce)
{
    TestSoundServer server;
    TempFolder folder;
    folder.Write("data/Voice1.wav", "");
    const auto target = folder.path("data/Voice1.wav");
    const auto data = folder.path("data");

    std::vector<std::string> commandLine{RECORDER_PROGRAM};
    commandLine.insert(commandLine.end(), GetParam().optionsBeforePath.begin(), GetParam().optionsBeforePath.end());
    commandLine.push_back(target.string());
    const pid_t recorder = SpawnProgram(commandLine);
    const bool takeRunning = WaitForRunningTake(data);
    int status = 0;
    const bool ended = EndBySigterm(recorder, status);
    ASSERT_TRUE(takeRunning) << "no take started";
    EXPECT_TRUE(ended);
    EXPECT_TRUE(IsTakeWav(ReadWavFormat(target.string())));
}

INSTANTIATE_TEST_SUITE_P(CommandLines, RecorderProgramStart,
                         ::testing::Values(StartCase{"PathAlone", {}},
                                           // Qt's own options are Qt's, not a second path.
                                           StartCase{"QtOptionsBeforeThePath", {"-style", "fusion"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RecorderCommandLine, StartsAtOnceWhenAskedOrOnAnEmptyFile)
{
    TempFolder folder;
    folder.Write("empty.wav", "");
    folder.Write("sound.wav", "RIFF and sound");
    std::filesystem::create_directory(folder.path("folder.wav"));
    const struct {
        const char* file;
        bool startOption;
        bool startsAtOnce;
    } cases[] = {
        {"empty.wav", false, true},   // a fresh reservation by the dialog
        {"sound.wav", false, false},  // an earlier take: wait for 録音
        {"sound.wav", true, true},   {"missing.wav", false, false}, {"folder.wav", false, false},
    };
    for (const auto& row : cases)
        EXPECT_EQ(StartsAtOnce({folder.path(row.file).string(), row.startOption}), row.startsAtOnce)
            << row.file << (row.startOption ? " with --start" : "");
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
