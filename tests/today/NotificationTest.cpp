// The notification as a real server shows it: dunst on a display and a
// session bus of the test's own, read back through dunstctl.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>

#include "DesktopSession.h"
#include "TodayRun.h"

using namespace voicememo::testing;

namespace {

// The program in an app folder of its own, beside a stand-in for the
// dialog that only leaves a mark that it was started.
struct AppFolder {
    TempFolder folder;
    std::string program = folder.path("voicememo-today").string();

    AppFolder()
    {
        std::filesystem::copy_file(TODAY_PROGRAM, program);
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
        return SpawnProgram({program, "--notify", "--date", date}, folder.path("output.txt").string());
    }
};

// The newest notification of the server's history.
QJsonObject LatestInHistory(const DesktopSession& desktop)
{
    const QJsonDocument history = QJsonDocument::fromJson(QByteArray::fromStdString(desktop.Dunstctl({"history"})));
    const QJsonArray shown = history["data"].toArray().at(0).toArray();
    return shown.isEmpty() ? QJsonObject() : shown.at(0).toObject();
}

}  // namespace

TEST(NotificationTest, TheDaysMemosArriveWithTheirActionsAndOpenStartsTheDialog)
{
    DesktopSession desktop("開く");
    AppFolder app;

    // No memo that day: nothing is sent (the server has answered any
    // notification by the time the program ends).
    app.WriteCatalogue(false);
    EXPECT_EQ(WaitForExit(app.Start("2025-03-03")), 0);
    EXPECT_EQ(desktop.Displayed(), 0);
    app.WriteCatalogue(true);

    // Closed without an action: the program ends, and nothing was started.
    pid_t pid = app.Start("2025-03-01");
    ASSERT_TRUE(WaitUntil([&] { return desktop.Displayed() == 1; }));
    desktop.Dunstctl({"close"});
    EXPECT_EQ(WaitForExit(pid), 0) << app.folder.Read("output.txt");
    const QJsonObject shown = LatestInHistory(desktop);
    EXPECT_EQ(shown["summary"].toObject()["data"].toString(), "今日のボイスメモ (2件)");
    EXPECT_EQ(shown["body"].toObject()["data"].toString(), "A & B <c>\n会議");
    EXPECT_EQ(shown["appname"].toObject()["data"].toString(), "ボイスメモ");
    EXPECT_FALSE(app.folder.Exists("dialog-started"));

    // "開く" picked in the server's menu starts the dialog beside it.
    pid = app.Start("2025-03-01");
    ASSERT_TRUE(WaitUntil([&] { return desktop.Displayed() == 1; }));
    desktop.Dunstctl({"context"});
    EXPECT_EQ(WaitForExit(pid), 0) << app.folder.Read("output.txt");
    EXPECT_TRUE(WaitUntil([&] { return app.folder.Exists("dialog-started"); }));
    const std::string menu = desktop.ContextMenu();
    EXPECT_NE(menu.find("#再生 (今日のボイスメモ (2件))"), std::string::npos) << menu;
    EXPECT_NE(menu.find("#開く (今日のボイスメモ (2件))"), std::string::npos) << menu;
}

TEST(NotificationTest, PlayPlaysEveryMemoOfTheDayToItsEnd)
{
    TestSoundServer sound;
    DesktopSession desktop("再生");
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
    desktop.Dunstctl({"context"});
    EXPECT_EQ(WaitForExit(pid), 0) << app.folder.Read("output.txt");
    // Both played, one after the other: the program ends only then.
    EXPECT_GT(VoicedSeconds(capture.Stop()), 1.4);
}

TEST(NotificationTest, WithoutAServerOrABusItSaysSoAndFailsWithinABound)
{
    AppFolder app;
    {
        PrivateBus busWithoutServer;
        EXPECT_EQ(WaitForExit(app.Start("2025-03-01")), 1);
        EXPECT_NE(app.folder.Read("output.txt").find("通知サーバーがありません。通知を送れませんでした"),
                  std::string::npos)
            << app.folder.Read("output.txt");
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + app.folder.path("no-bus").string()).c_str(), 1);
    EXPECT_EQ(WaitForExit(app.Start("2025-03-01")), 1);
    EXPECT_NE(app.folder.Read("output.txt").find("セッションバスに接続できません。通知を送れませんでした"),
              std::string::npos)
        << app.folder.Read("output.txt");
}
