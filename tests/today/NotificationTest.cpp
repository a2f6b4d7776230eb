// The notification as a real server shows it: dunst on a display and a
// session bus of the test's own, read back through dunstctl.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <QCoreApplication>
#include <QDateTime>

#include <filesystem>
#include <functional>

#include "DayNotification.h"
#include "DesktopSession.h"
#include "TodayRun.h"

using namespace voicememo;
using namespace voicememo::testing;

namespace {

// The program in an app folder of its own with its icon, beside a stand-in
// for the dialog that only leaves a mark that it was started.
struct AppFolder {
    TempFolder folder;
    std::string program = folder.path("voicememo-today").string();

    AppFolder()
    {
        std::filesystem::copy_file(TODAY_PROGRAM, program);
        std::filesystem::copy_file(PROGRAM_ICON, folder.path("voicememo.png"));
        folder.Write("voicememo", "#!/bin/sh\ntouch \"$(dirname \"$0\")/dialog-started\"\n");
        folder.SetMode("voicememo", 0755);
        WriteCatalogue(true);
    }
    void WriteCatalogue(bool withTodo) const
    {
        folder.Write("Voice.dat", (withTodo ? MemoLine("A & B <c>", "/v/1.wav", "TODO", "") : "") +
                                      MemoLine("会議", "/v/2.wav", "DAILY", "2025/3/1") +
                                      MemoLine("明日", "/v/3.wav", "DAILY", "2025/3/2"));
    }
    pid_t Start(const std::string& date) const
    {
        std::vector<std::string> argv{program, "--notify"};
        if (!date.empty())
            argv.insert(argv.end(), {"--date", date});
        return SpawnProgram(argv, folder.path("output.txt").string());
    }
};

// The newest notification of the server's history.
QJsonObject LatestInHistory(const DesktopSession& desktop)
{
    const QJsonDocument history = QJsonDocument::fromJson(QByteArray::fromStdString(desktop.Dunstctl({"history"})));
    const QJsonArray shown = history["data"].toArray().at(0).toArray();
    return shown.isEmpty() ? QJsonObject() : shown.at(0).toObject();
}

QString Field(const QJsonObject& notification, const char* name)
{
    return notification[name].toObject()["data"].toString();
}

}  // namespace

TEST(NotificationTest, TheDaysMemosArriveAndAPickedActionRunsAndClosesIt)
{
    DesktopSession desktop;
    AppFolder app;

    // No memo that day: nothing is sent (the server has answered any
    // notification by the time the program ends).
    app.WriteCatalogue(false);
    EXPECT_EQ(WaitForExit(app.Start("2025-03-03")), 0);
    EXPECT_EQ(desktop.Displayed(), 0);
    app.WriteCatalogue(true);

    // Closed without an action: the program ends, and nothing was started.
    struct Shown {
        std::string date;
        const char* summary;
        const char* body;
    };
    for (const auto& [date, summary, body] :
         {Shown{"", "今日のボイスメモ（1件）", "A & B <c>"},
          Shown{"2025-03-01", "2025年3月1日のボイスメモ（2件）", "A & B <c>\n会議"}}) {
        SCOPED_TRACE(date);
        const pid_t pid = app.Start(date);
        ASSERT_TRUE(WaitUntil([&] { return desktop.Displayed() == 1; }));
        desktop.Dunstctl({"close"});
        EXPECT_EQ(WaitForExit(pid), 0) << app.folder.Read("output.txt");
        const QJsonObject shown = LatestInHistory(desktop);
        EXPECT_EQ(Field(shown, "summary"), summary);
        EXPECT_EQ(Field(shown, "body"), body);
        EXPECT_EQ(Field(shown, "appname"), "ボイスメモ");
        EXPECT_EQ(Field(shown, "icon_path").toStdString(), app.folder.path("voicememo.png").string());
        EXPECT_FALSE(app.folder.Exists("dialog-started"));
    }

    // "開く" in the menu, or a click on the notification, starts the dialog
    // beside it; the notification, whose buttons would do nothing any more,
    // is closed.
    const std::function<void()> picks[] = {[&] { desktop.Pick("^#開く .*,open\\]$"); }, [&] { desktop.Click(); }};
    for (const auto& pick : picks) {
        std::filesystem::remove(app.folder.path("dialog-started"));
        const pid_t pid = app.Start("2025-03-01");
        ASSERT_TRUE(WaitUntil([&] { return desktop.Displayed() == 1; }));
        pick();
        EXPECT_EQ(WaitForExit(pid), 0) << app.folder.Read("output.txt");
        EXPECT_TRUE(WaitUntil([&] { return app.folder.Exists("dialog-started"); }));
        EXPECT_TRUE(WaitUntil([&] { return desktop.Displayed() == 0; }));
    }
    const std::string menu = desktop.ContextMenu();
    EXPECT_NE(menu.find("#すべて再生 (2025年3月1日のボイスメモ（2件）)"), std::string::npos) << menu;
    EXPECT_NE(menu.find("#開く (2025年3月1日のボイスメモ（2件）)"), std::string::npos) << menu;
}

TEST(NotificationTest, PlayPlaysEveryMemoOfTheDayToItsEnd)
{
    TestSoundServer sound;
    DesktopSession desktop;
    AppFolder app;
    // Two tones of 0.8 s each, the second memo's file named in another case.
    for (const char* name : {"1.wav", "2.wav"})
        ASSERT_EQ(RunProgram({"sox", "-n", "-r", "22050", "-c", "1", app.folder.path(name).string(), "synth", "0.8",
                              "sine", "440"}),
                  0);
    app.folder.Write("Voice.dat", MemoLine("一", app.folder.path("1.wav").string(), "TODO", "") +
                                      MemoLine("二", app.folder.path("2.WAV").string(), "DAILY", "2025/3/1"));
    SpeakerCapture capture(app.folder.path("capture.wav").string());
    const pid_t pid = app.Start("2025-03-01");
    ASSERT_TRUE(WaitUntil([&] { return desktop.Displayed() == 1; }));
    desktop.Pick("^#すべて再生 ");
    EXPECT_EQ(WaitForExit(pid), 0) << app.folder.Read("output.txt");
    // Both played, one after the other: the program ends only then.
    EXPECT_GT(VoicedSeconds(capture.Stop()), 1.4);
    EXPECT_TRUE(WaitUntil([&] { return desktop.Displayed() == 0; }));
}

// A server that keeps the notification and never reports it closed: the
// wait ends when the day does, and the notification goes with it.
TEST(NotificationTest, AKeptNotificationIsGivenUpWhenTheDayEnds)
{
    DesktopSession desktop;
    int argc = 0;
    QCoreApplication application(argc, nullptr);
    const QDateTime dayEnd = QDateTime::currentDateTime().addMSecs(500);
    const NotificationResult result =
        DayNotification(dayEnd).Send({QStringLiteral("今日"), {QStringLiteral("一")}, QStringLiteral("voicememo")});
    EXPECT_GE(QDateTime::currentDateTime(), dayEnd);
    EXPECT_TRUE(result.sent);
    EXPECT_EQ(result.action, ChosenAction::None);
    EXPECT_TRUE(WaitUntil([&] { return desktop.Displayed() == 0; }));
    EXPECT_EQ(Field(LatestInHistory(desktop), "summary"), "今日のボイスメモ（1件）");
}

TEST(NotificationTest, WithoutAServerOrABusItSaysSoAndFailsWithinABound)
{
    AppFolder app;
    {
        PrivateBus busWithoutServer;
        EXPECT_EQ(WaitForExit(app.Start("2025-03-01")), 1);
        EXPECT_NE(app.folder.Read("output.txt").find("通知サーバーが見つからないため、通知を送れませんでした。"),
                  std::string::npos)
            << app.folder.Read("output.txt");
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + app.folder.path("no-bus").string()).c_str(), 1);
    EXPECT_EQ(WaitForExit(app.Start("2025-03-01")), 1);
    EXPECT_NE(app.folder.Read("output.txt").find("セッションバスに接続できません。通知を送れませんでした"),
              std::string::npos)
        << app.folder.Read("output.txt");
}
