// The recorder's window as a person uses it: buttons, the running take's
// length and level, messages, and closing at any moment.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <pulse/def.h>
#include <sys/resource.h>

#include <QStyle>

#include "LevelMeter.h"
#include "RecorderApplication.h"
#include "RecorderMessages.h"
#include "RecorderWindowFixture.h"

using namespace voicememo;
using namespace voicememo::testing;
using namespace std::chrono_literals;

TEST_F(RecorderWindowWithServer, RecordsStopsAndPlaysBackThroughItsButtons)
{
    const std::string spoken = Spoken("Buy milk and bread on the way home");
    Open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("録音 - Voice1.wav"));
    EXPECT_FALSE(Button("playButton")->isEnabled()) << "the reserved file holds no take yet";
    EXPECT_FALSE(Button("stopButton")->isEnabled());

    QTest::mouseClick(Button("recordButton"), Qt::LeftButton);
    EXPECT_EQ(Status(), QStringLiteral("録音中…"));
    EXPECT_FALSE(Button("recordButton")->isEnabled());
    EXPECT_FALSE(Button("playButton")->isEnabled());
    RunEventsFor(300ms);
    int loudest = 0;
    const pid_t paplay = SpawnProgram({"paplay", spoken});
    WaitUntil(
        [&] {
            loudest = std::max(loudest, Find<LevelMeter>("levelMeter")->value());
            return ::waitpid(paplay, nullptr, WNOHANG) == paplay;
        },
        30s);
    RunEventsFor(300ms);
    EXPECT_GT(loudest, 50) << "the level meter never moved";
    EXPECT_NE(Find<QLabel>("elapsedLabel")->text(), QStringLiteral("0:00.0"));

    QTest::mouseClick(Button("stopButton"), Qt::LeftButton);
    EXPECT_EQ(Status(), QStringLiteral("録音を保存しました。"));
    EXPECT_TRUE(IsTakeWav(ReadWavFormat(target)));
    EXPECT_NEAR(VoicedSeconds(target), VoicedSeconds(spoken), 0.1);
    EXPECT_TRUE(HiddenFiles(folder.path("")).empty());
    EXPECT_EQ(Find<LevelMeter>("levelMeter")->value(), 0);

    bool playEnabledWhilePlaying = true;
    bool recordEnabledWhilePlaying = true;
    player.duringPlay = [&] {
        playEnabledWhilePlaying = Button("playButton")->isEnabled();
        recordEnabledWhilePlaying = Button("recordButton")->isEnabled();
    };
    ASSERT_TRUE(Button("playButton")->isEnabled());
    QTest::mouseClick(Button("playButton"), Qt::LeftButton);
    EXPECT_EQ(player.played, std::vector<std::string>{target});
    EXPECT_FALSE(playEnabledWhilePlaying);
    EXPECT_FALSE(recordEnabledWhilePlaying);
    EXPECT_TRUE(Button("playButton")->isEnabled());
}

TEST_F(RecorderWindowWithServer, ClosingMidTakeKeepsTheWholeTake)
{
    const std::string spoken = Spoken("Meeting moved to three o'clock");
    Open();
    QTest::mouseClick(Button("recordButton"), Qt::LeftButton);
    RunEventsFor(300ms);
    PlayIntoSpeaker(spoken);
    RunEventsFor(300ms);

    QTest::mouseClick(Button("closeButton"), Qt::LeftButton);

    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(IsTakeWav(ReadWavFormat(target)));
    EXPECT_NEAR(VoicedSeconds(target), VoicedSeconds(spoken), 0.1);
    EXPECT_TRUE(HiddenFiles(folder.path("")).empty());
}

// The memo was deleted and its name reserved anew for another recorder,
// which saved its own take: this window's take must not replace it.
TEST_F(RecorderWindowWithServer, ATakeWhoseFileWasReplacedIsKeptBesideIt)
{
    Open();
    QTest::mouseClick(Button("recordButton"), Qt::LeftButton);
    RunEventsFor(300ms);
    std::filesystem::remove(target);
    folder.Write("Voice1.wav", "the other recorder's take");

    QTest::mouseClick(Button("stopButton"), Qt::LeftButton);

    EXPECT_EQ(Status(), QStringLiteral("ファイルがほかのプログラムによって削除または変更されたため、録音を「Voice1 "
                                       "(2).wav」として保存しました。"));
    EXPECT_EQ(folder.Read("Voice1.wav"), "the other recorder's take");
    EXPECT_TRUE(IsTakeWav(ReadWavFormat(folder.path("Voice1 (2).wav"))));
    EXPECT_TRUE(HiddenFiles(folder.path("")).empty());
}

TEST_F(RecorderWindowWithServer, ClosingBeforeAnyTakeLeavesTheReservedFileAsItWas)
{
    Open();
    RunEventsFor(200ms);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(folder.Exists("Voice1.wav"));
    EXPECT_EQ(SizeOf(target), 0u);
    EXPECT_TRUE(HiddenFiles(folder.path("")).empty());
}

// A take paused and resumed is one take of the parts recorded before and
// after the pause. A tone plays throughout, so the take is voiced from end
// to end, and its voiced length is the sum of the parts' times. Space and
// Enter press the focused button, which is always the one that follows.
TEST_F(RecorderWindowWithServer, APausedAndResumedTakeIsOneTakeOfTheRecordedParts)
{
    const std::string tone = folder.path("tone.src").string();
    ASSERT_EQ(RunProgram({"sox", "-n", "-t", "wav", tone, "synth", "60", "sine", "440"}), 0);
    Open();
    const pid_t playing = SpawnProgram({"paplay", tone});
    using Clock = std::chrono::steady_clock;
    Button("recordButton")->setFocus();
    QTest::keyClick(Button("recordButton"), Qt::Key_Space);
    ASSERT_TRUE(WaitUntil([&] { return Find<LevelMeter>("levelMeter")->value() > 50; }, 10s)) << "no tone heard";
    const auto started = Clock::now();
    RunEventsFor(1500ms);

    Button("pauseButton")->setFocus();
    const auto paused = Clock::now();
    QTest::keyClick(Button("pauseButton"), Qt::Key_Space);
    EXPECT_EQ(Status(), QStringLiteral("一時停止中です。「再開」で続きを録音します。"));
    EXPECT_EQ(window->focusWidget(), Button("resumeButton"));
    RunEventsFor(2000ms);
    const auto resumed = Clock::now();
    QTest::keyClick(window->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(Status(), QStringLiteral("録音中…"));
    EXPECT_EQ(window->focusWidget(), Button("pauseButton"));
    RunEventsFor(1500ms);
    const auto stopped = Clock::now();
    QTest::mouseClick(Button("stopButton"), Qt::LeftButton);
    ::kill(playing, SIGTERM);
    ::waitpid(playing, nullptr, 0);

    const std::chrono::duration<double> recorded = (stopped - started) - (resumed - paused);
    EXPECT_EQ(Status(), QStringLiteral("録音を保存しました。"));
    EXPECT_TRUE(IsTakeWav(ReadWavFormat(target)));
    EXPECT_NEAR(VoicedSeconds(target), recorded.count(), 0.7);
    EXPECT_TRUE(HiddenFiles(folder.path("")).empty());
}

// The input chosen in the window is the one recorded, and the next window
// opens on it. A second null sink stands for a microphone plugged in while
// the window is open: its monitor is offered, and goes when it is removed.
TEST_F(RecorderWindowWithServer, RecordsTheChosenInputAndRemembersIt)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path("config").c_str());
    const std::string spoken = Spoken("Water the plants on Friday");
    Open();
    const std::string loaded = folder.path("loaded").string();
    ASSERT_EQ(RunProgram({"pactl", "load-module", "module-null-sink", "sink_name=desk"}, loaded), 0);
    const std::string module = std::to_string(std::atoi(ReadText(loaded).c_str()));
    const QString desk = QStringLiteral("desk.monitor");
    auto* box = Find<QComboBox>("sourceBox");
    ASSERT_TRUE(WaitUntil([&] { return box->findData(desk) > 0; })) << "the plugged-in input is not offered";
    EXPECT_EQ(box->currentIndex(), 0) << "the server's default comes first and is used";

    box->setCurrentIndex(box->findData(desk));
    emit box->activated(box->currentIndex());
    QTest::mouseClick(Button("recordButton"), Qt::LeftButton);
    RunEventsFor(300ms);
    RunProgram({"paplay", "--device=desk", spoken});
    RunEventsFor(300ms);
    QTest::mouseClick(Button("stopButton"), Qt::LeftButton);
    EXPECT_NEAR(VoicedSeconds(target), VoicedSeconds(spoken), 0.1);

    window.reset();
    Open();
    box = Find<QComboBox>("sourceBox");
    EXPECT_TRUE(WaitUntil([&] { return box->currentData() == desk; })) << "the choice is not remembered";
    RunProgram({"pactl", "unload-module", module});
    EXPECT_TRUE(WaitUntil([&] { return box->findData(desk) < 0; })) << "the removed input is still offered";
    EXPECT_EQ(box->currentIndex(), 0);
}

// 録音 on a file that holds a take asks first, "いいえ" the default for Enter
// and Esc alike; answered by keyboard or mouse. No, or the window closed
// meanwhile, leaves the take as it was; yes records, and the take the file
// held goes to the trash.
TEST_F(RecorderWindowWithServer, RecordingOverATakeAsksFirst)
{
    const struct {
        const char* answer;
        std::function<void(QMessageBox*)> press;
        bool replaces;
    } cases[] = {
        {"Enter", [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }, false},
        {"Esc", [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, false},
        {"いいえ clicked", [](QMessageBox* box) { QTest::mouseClick(box->buttons().at(1), Qt::LeftButton); }, false},
        // The session's end closes the window; yes to a box left behind would start a take.
        {"the window closed",
         [this](QMessageBox* box) {
             window->close();
             if (box->isVisible())
                 QTest::mouseClick(box->buttons().at(0), Qt::LeftButton);
         },
         false},
        {"Y", [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Y); }, true},
        {"はい clicked", [](QMessageBox* box) { QTest::mouseClick(box->buttons().at(0), Qt::LeftButton); }, true},
    };
    ::setenv("XDG_DATA_HOME", folder.path("share").c_str(), 1);
    const std::string oldTake = folder.path("old.wav").string();
    ASSERT_EQ(RunProgram({"sox", "-n", "-r", "22050", "-c", "1", "-b", "16", oldTake, "synth", "0.5", "sine", "440"}),
              0);
    for (const auto& row : cases) {
        SCOPED_TRACE(row.answer);
        std::filesystem::remove_all(folder.path("share"));
        std::filesystem::copy_file(oldTake, target, std::filesystem::copy_options::overwrite_existing);
        Open();
        // The question's own event loop runs this, with the box up.
        QStringList buttons;
        QString defaultButton;
        QString question;
        int pictures = 0;  // on the buttons, which the program's boxes do without
        QTimer::singleShot(0, window.get(), [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                question = box->text();
                defaultButton = box->defaultButton()->text();
                for (QAbstractButton* button : box->buttons()) {
                    buttons << button->text();
                    pictures += !button->icon().isNull();
                }
                row.press(box);
            }
        });
        QTest::mouseClick(Button("recordButton"), Qt::LeftButton);

        EXPECT_EQ(buttons, QStringList({"はい(&Y)", "いいえ(&N)"}));
        EXPECT_EQ(defaultButton, QStringLiteral("いいえ(&N)"));
        EXPECT_EQ(pictures, 0);
        EXPECT_TRUE(question.contains(QStringLiteral("「Voice1.wav」"))) << question.toStdString();
        if (!row.replaces) {
            EXPECT_FALSE(Button("stopButton")->isEnabled()) << "a take started";
            EXPECT_EQ(ReadText(target), ReadText(oldTake));
            EXPECT_TRUE(HiddenFiles(folder.path("")).empty());
            EXPECT_FALSE(folder.Exists("share/Trash/files/Voice1.wav"));
            continue;
        }
        ASSERT_TRUE(WaitUntil([&] { return Find<QLabel>("elapsedLabel")->text() != QStringLiteral("0:00.0"); }));
        QTest::mouseClick(Button("stopButton"), Qt::LeftButton);
        EXPECT_EQ(Status(), QStringLiteral("録音を保存しました。前の録音はごみ箱に移しました。"));
        EXPECT_TRUE(IsTakeWav(ReadWavFormat(target)));
        EXPECT_NE(ReadText(target), ReadText(oldTake));
        EXPECT_EQ(folder.Read("share/Trash/files/Voice1.wav"), ReadText(oldTake));
        EXPECT_NE(folder.Read("share/Trash/info/Voice1.wav.trashinfo").find("\nPath=" + target + "\n"),
                  std::string::npos)
            << "the trash cannot put the take back";
    }
    ::unsetenv("XDG_DATA_HOME");
}

TEST_F(RecorderWindowTest, WithoutSoundServerSaysSoAndRecordsNothing)
{
    TestSoundServer::UseNoServer(folder.path("").string());
    Open();
    const auto before = std::chrono::steady_clock::now();
    QTest::mouseClick(Button("recordButton"), Qt::LeftButton);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);

    EXPECT_EQ(Status(), QStringLiteral("サウンドサーバーに接続できないため、録音できません。"));
    EXPECT_TRUE(Button("recordButton")->isEnabled());
    EXPECT_FALSE(Button("stopButton")->isEnabled());
    EXPECT_FALSE(Button("playButton")->isEnabled());
    RunEventsFor(200ms);
    EXPECT_EQ(SizeOf(target), 0u);
    EXPECT_TRUE(HiddenFiles(folder.path("")).empty());
}

TEST_F(RecorderWindowTest, AFolderThatTakesNoFileIsReported)
{
    Open("gone/Voice1.wav");
    QTest::mouseClick(Button("recordButton"), Qt::LeftButton);
    EXPECT_EQ(Status(), QStringLiteral("保存先のフォルダーに一時ファイルを作成できないため、録音できません。"));
    EXPECT_FALSE(Button("stopButton")->isEnabled());
}

// Each way a take fails, as the window puts it: the status line and its
// tooltip in Japanese, never the system's or the sound server's English.
TEST_F(RecorderWindowWithServer, ProblemsAndTheirCausesAreToldInJapanese)
{
    const struct {
        const char* file;                  // reserved, but for a folder that is gone
        std::function<void()> duringTake;  // nothing: the take does not start
        QString status;
        QString cause;
    } cases[] = {
        {"gone/Voice1.wav", nullptr,
         QStringLiteral("保存先のフォルダーに一時ファイルを作成できないため、録音できません。"),
         QStringLiteral("ファイルまたはフォルダーが見つかりません。")},
        {"Voice1.wav",
         [this] {
             // The take's file may not grow past 32 KiB: the chunk that
             // reaches the limit fails with EFBIG, as on a full disk.
             std::signal(SIGXFSZ, SIG_IGN);
             rlimit limit{};
             ::getrlimit(RLIMIT_FSIZE, &limit);
             const rlim_t before = limit.rlim_cur;
             limit.rlim_cur = 32 * 1024;
             ::setrlimit(RLIMIT_FSIZE, &limit);
             WaitUntil([&] { return !Button("stopButton")->isEnabled(); }, 10s);
             limit.rlim_cur = before;
             ::setrlimit(RLIMIT_FSIZE, &limit);
         },
         QStringLiteral("録音をファイルに書き込めなくなりました。そこまでの録音を保存しました。"),
         QStringLiteral("ファイルが大きすぎます。")},
        {"no server/Voice1.wav", nullptr, QStringLiteral("サウンドサーバーに接続できないため、録音できません。"),
         QStringLiteral("サウンドサーバーが動いていません。")},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.file);
        if (std::string(row.file).starts_with("no server"))
            TestSoundServer::UseNoServer(folder.path("").string());
        if (!std::string(row.file).starts_with("gone/"))
            folder.Write(row.file, "");
        Open(row.file);
        QTest::mouseClick(Button("recordButton"), Qt::LeftButton);
        if (row.duringTake) {
            RunEventsFor(300ms);
            row.duringTake();
            WaitUntil([&] { return !Button("stopButton")->isEnabled(); });
        }
        EXPECT_EQ(Status(), row.status);
        EXPECT_EQ(Find<QLabel>("statusLabel")->toolTip(), row.cause);
    }
}

// Every problem with any cause, known to the window or not.
// Space twice: on 録音 it starts a take and hands the focus to 停止, so the
// second Space saves the take; 閉じる never has the focus in between.
TEST_F(RecorderWindowWithServer, SpaceTwiceRecordsATakeAndTheWindowStaysOpen)
{
    Open();
    Button("recordButton")->setFocus();
    QTest::keyClick(window->focusWidget(), Qt::Key_Space);
    ASSERT_EQ(Status(), QStringLiteral("録音中…"));
    EXPECT_EQ(window->focusWidget(), Button("stopButton"));
    ASSERT_TRUE(WaitUntil([&] { return Find<QLabel>("elapsedLabel")->text() != QStringLiteral("0:00.0"); }));
    QTest::keyClick(window->focusWidget(), Qt::Key_Space);
    EXPECT_EQ(Status(), QStringLiteral("録音を保存しました。"));
    EXPECT_TRUE(IsTakeWav(ReadWavFormat(target)));
    EXPECT_TRUE(window->isVisible());
}

TEST(RecorderMessages, HoldNoLatinLetters)
{
    const ProblemCause causes[] = {
        {},
        ProblemCause::System(ENOSPC),
        ProblemCause::System(EACCES),
        ProblemCause::System(EXDEV),
        ProblemCause::SoundServer(PA_ERR_CONNECTIONREFUSED),
        ProblemCause::SoundServer(PA_ERR_NOENTITY),
        ProblemCause::SoundServer(PA_ERR_PROTOCOL),
    };
    const auto hasLatinLetter = [](const QString& text) {
        return std::any_of(text.begin(), text.end(),
                           [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); });
    };
    for (int problem = 0; problem <= static_cast<int>(TakeProblem::NoTrash); ++problem) {
        const TakeOutcome outcome{static_cast<TakeProblem>(problem), false, {}, "/データ/ボイス1 (2)"};
        EXPECT_FALSE(DescribeProblem(outcome).isEmpty()) << problem;
        EXPECT_FALSE(hasLatinLetter(DescribeProblem(outcome))) << problem;
    }
    for (const ProblemCause& cause : causes) {
        EXPECT_FALSE(hasLatinLetter(DescribeCause(cause))) << cause.code;
        EXPECT_EQ(DescribeCause(cause).isEmpty(), cause.reporter == ProblemCause::Reporter::None) << cause.code;
    }
}

// What the window looks like on the desktop: its title once, without the
// application's name that Qt appends to every title once one is set, and
// the dialog's face.
TEST(RecorderApplication, TitleOnceInTheDialogsFace)
{
    SetUpRecorderApplication(*qobject_cast<QApplication*>(QCoreApplication::instance()));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName())
        << "a display name of its own is appended to the title";
    EXPECT_EQ(QApplication::font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(QApplication::font().pixelSize(), 12);
    EXPECT_EQ(QGuiApplication::desktopFileName(), QStringLiteral("voicememo"));
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("fusion"));

    // The style Qt put in place for the user's -style stays.
    QApplication::setStyle(QStringLiteral("windows"));
    SetUpRecorderApplication(*qApp, true);
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("windows"));
    SetUpRecorderApplication(*qApp);
}

TEST(FormatTakeLength, MinutesSecondsAndTenths)
{
    EXPECT_EQ(FormatTakeLength(0), QStringLiteral("0:00.0"));
    EXPECT_EQ(FormatTakeLength(3.24), QStringLiteral("0:03.2"));
    EXPECT_EQ(FormatTakeLength(59.96), QStringLiteral("1:00.0"));
    EXPECT_EQ(FormatTakeLength(754.3), QStringLiteral("12:34.3"));
}
