// The program as a user runs it: a folder of its own with a catalogue in
// code page 932, and nothing else of the dialog's on the machine.
#include <gtest/gtest.h>

#include <QString>

#include <ctime>
#include <filesystem>
#include <set>
#include <sstream>

#include "Codepage.h"
#include "CutRewrite.h"
#include "PosixFileSystem.h"
#include "RewriteJournal.h"
#include "StateFolder.h"
#include "TempFolder.h"
#include "TodayRun.h"

using namespace voicememo;
using voicememo::testing::MemoLine;
using voicememo::testing::ProgramRun;
using voicememo::testing::RunToday;
using voicememo::testing::StartRewrite;
using voicememo::testing::TempFolder;

namespace {

std::string ShownDateOf(const std::tm& day)
{
    return std::to_string(day.tm_year + 1900) + "/" + std::to_string(day.tm_mon + 1) + "/" +
           std::to_string(day.tm_mday);
}

std::tm LocalDay(int offsetDays)
{
    std::time_t when = std::time(nullptr) + offsetDays * 86400;
    std::tm local{};
    ::localtime_r(&when, &local);
    return local;
}

}  // namespace

TEST(TodayProgramTest, PrintsTheDaysMemosOfAFolderInUtf8AndWritesNothing)
{
    TempFolder scratch;
    scratch.MakeFolder("ボイス メモ/data");
    const std::string folder = scratch.path("ボイス メモ").string() + "/";
    scratch.Write("ボイス メモ/data/Voice1.wav", "RIFF");
    const std::string catalogue = MemoLine("買い物", folder + "data/voice1.wav", "TODO", "") +
                                  MemoLine("明日の会議", folder + "data/Voice2.wav", "DAILY", "2025/3/2") +
                                  MemoLine("会議 ①", "data/Voice3.wav", "DAILY", "2025/3/1");
    scratch.Write("ボイス メモ/Voice.dat", catalogue);

    const ProgramRun run = RunToday(scratch, {"--folder", folder, "--date", "2025-03-01"});
    EXPECT_EQ(run.status, 0);
    // The path as it is on disk (the letter case of the file found), and a
    // relative one from the catalogue's folder.
    EXPECT_EQ(run.output, "買い物\t" + folder + "data/Voice1.wav\n" + "会議 ①\t" + folder + "data/Voice3.wav\n");
    EXPECT_EQ(scratch.Read("ボイス メモ/Voice.dat"), catalogue);
    EXPECT_EQ(scratch.Entries("ボイス メモ"), (std::vector<std::string>{"Voice.dat", "data"}));
}

TEST(TodayProgramTest, ReadsTheCatalogueBesideItselfForTodayAndNeedsNoneToStart)
{
    TempFolder scratch;
    scratch.MakeFolder("app");
    const std::string program = scratch.path("app/voicememo-today").string();
    std::filesystem::copy_file(TODAY_PROGRAM, program);

    ProgramRun run = RunToday(scratch, {}, program);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "");
    EXPECT_FALSE(scratch.Exists("app/Voice.dat"));

    // The day may turn while the program runs: then the run is made again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::tm today = LocalDay(0);
        scratch.Write("app/Voice.dat", MemoLine("今日", "/v/1.wav", "DAILY", ShownDateOf(today)) +
                                           MemoLine("昨日", "/v/2.wav", "DAILY", ShownDateOf(LocalDay(-1))) +
                                           MemoLine("明日", "/v/3.wav", "DAILY", ShownDateOf(LocalDay(1))));
        run = RunToday(scratch, {}, program);
        if (LocalDay(0).tm_mday == today.tm_mday)
            break;
    }
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "今日\t/v/1.wav\n");
}

TEST(TodayProgramTest, WhatCannotBeDoneIsSaidAndFails)
{
    TempFolder scratch;
    scratch.MakeFolder("unreadable");
    scratch.MakeUnreadable("unreadable/Voice.dat");
    // A folder that code page 932 cannot name, the program's own too.
    scratch.MakeFolder("dir-☃");
    const std::string program = scratch.path("dir-☃/voicememo-today").string();
    std::filesystem::copy_file(TODAY_PROGRAM, program);
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;
        std::string program = TODAY_PROGRAM;
    };
    for (const auto& [arguments, status, message, runProgram] : std::initializer_list<Case>{
             {{"--folder", scratch.path("unreadable").string()},
              1,
              "ﾌｧｲﾙ " + scratch.path("unreadable").string() + "/Voice.dat は開けません"},
             {{"--date", "2025-02-29"},
              2,
              "日付 2025-02-29 が正しくありません。実在する日付を YYYY-MM-DD の形式で指定してください。"},
             {{"--date"}, 2, "--date には値が必要です"},
             {{"--today"}, 2, "不明なオプションです: --today"},
             {{"--folder", scratch.dir(), "--ics", "/nonexistent/Voice.ics"},
              1,
              "ﾌｧｲﾙ /nonexistent/Voice.ics を作成できません"},
             // The folder as the user sees it, with no "?" for its character.
             {{"--folder", scratch.dir() + "dir-☃/"},
              1,
              "voicememo-today: " + scratch.dir() + "dir-☃ の名前はボイスメモでは使えません\n"},
             {{}, 1, "voicememo-today: " + scratch.dir() + "dir-☃ の名前はボイスメモでは使えません\n", program},
         }) {
        const ProgramRun run = RunToday(scratch, arguments, runProgram);
        EXPECT_EQ(run.status, status) << run.output;
        EXPECT_NE(run.output.find(message), std::string::npos) << run.output;
    }
}

// Each option's description starts at the same column of a terminal, where
// a full-width character takes two.
TEST(TodayProgramTest, TheHelpKeepsItsColumnsWithFullWidthText)
{
    TempFolder scratch;
    const ProgramRun run = RunToday(scratch, {"--help"});
    ASSERT_EQ(run.status, 0);
    std::set<int> columns;
    std::istringstream lines(run.output);
    for (std::string line; std::getline(lines, line);) {
        const std::u32string text = QString::fromStdString(line).toStdU32String();
        if (!text.starts_with(U"  -") && !text.starts_with(U"     "))
            continue;
        // The description follows the first run of two spaces after the
        // option, or the indentation of a continued line.
        int column = 0;
        std::size_t at = text.starts_with(U"  -") ? text.find(U"  ", 2) : 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (i >= at && text[i] != U' ')
                break;
            // Full width: CJK, kana and the full-width forms; the half-width
            // katakana are not.
            column += (text[i] >= 0x1100 && !(text[i] >= 0xFF61 && text[i] <= 0xFF9F)) ? 2 : 1;
        }
        columns.insert(column);
    }
    EXPECT_EQ(columns.size(), 1u) << run.output;
}

// --feed-on writes the feed beside the catalogue, then switches it on for
// the window's saves, every other byte of the calendar's settings kept; a
// Voice.ics that is no feed keeps both as they were.
TEST(TodayProgramTest, FeedOnWritesTheFeedThenTheSetting)
{
    const std::string settings = Utf8ToCp932("[Option]\r\nShowHint=0\r\n[Voice]\r\nLeft=3\r\n; 目覚まし\r\n");
    for (const bool feedInTheWay : {false, true}) {
        SCOPED_TRACE(feedInTheWay);
        TempFolder scratch;
        scratch.Write("Voice.dat", MemoLine("買い物", "/v/1.wav", "TODO", ""));
        scratch.Write("sorvane.ini", settings);
        if (feedInTheWay)
            scratch.Write("Voice.ics", "not a feed");
        const ProgramRun run = RunToday(scratch, {"--folder", scratch.dir(), "--feed-on"});
        if (feedInTheWay) {
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(scratch.Read("Voice.ics"), "not a feed");
            EXPECT_EQ(scratch.Read("sorvane.ini"), settings);
        } else {
            EXPECT_EQ(run.status, 0) << run.output;
            EXPECT_EQ(run.output, "");
            EXPECT_NE(scratch.Read("Voice.ics").find("SUMMARY:買い物"), std::string::npos);
            EXPECT_EQ(Cp932ToUtf8(scratch.Read("sorvane.ini")),
                      "[Option]\r\nShowHint=0\r\n[Voice]\r\nLeft=3\r\n; 目覚まし\r\nCalendarFeed=1\r\n");
        }
    }
}

// A rewrite of the catalogue in place, under way in the dialog and then cut
// short: the reader sees the catalogue from before it, and leaves the file
// and its journal for the dialog to play back.
TEST(TodayProgramTest, ARewriteUnderWayOrCutIsReadAsItWasAndLeftAsItIs)
{
    voicememo::testing::UsePrivateStateFolder();
    TempFolder scratch;
    scratch.Write("Voice.dat", "old\r\n");
    const std::string path = scratch.path("Voice.dat").string();
    {
        RewriteJournal journal;
        ASSERT_TRUE(StartRewrite(path, "new\r\n", "new\r\n", journal));
        EXPECT_EQ(ReadOnlyPosixFileSystem().ReadFile(path), "old\r\n");
        // While the rewrite runs, the dialog too leaves the file alone.
        EXPECT_EQ(PosixFileSystem().ReadFile(path), std::nullopt);
        EXPECT_EQ(scratch.Read("Voice.dat"), "new\r\n");
    }
    EXPECT_EQ(ReadOnlyPosixFileSystem().ReadFile(path), "old\r\n");
    EXPECT_EQ(scratch.Read("Voice.dat"), "new\r\n");
    // The journal is still there: the dialog's next read plays it back.
    EXPECT_EQ(PosixFileSystem().ReadFile(path), "old\r\n");
    EXPECT_EQ(scratch.Read("Voice.dat"), "old\r\n");
}

// A journal that does not fit the catalogue (a memo added by hand since the
// cut): the catalogue is shown as it is, and the user is told once.
TEST(TodayProgramTest, AJournalThatDoesNotFitIsToldOfOnceAndTheCatalogueShownAsItIs)
{
    voicememo::testing::UsePrivateStateFolder();
    TempFolder scratch;
    const std::string old = MemoLine("古いメモ", "/v/1.wav", "TODO", "");
    scratch.Write("Voice.dat", old);
    const std::string path = scratch.path("Voice.dat").string();
    {
        RewriteJournal journal;
        ASSERT_TRUE(StartRewrite(path, MemoLine("新しいメモ", "/v/2.wav", "TODO", ""), old, journal));
    }
    const std::string edited = old + MemoLine("手で足したメモ", "/v/3.wav", "TODO", "");
    scratch.Write("Voice.dat", edited);

    const ProgramRun run = RunToday(scratch, {"--folder", scratch.dir()});
    EXPECT_EQ(run.status, 0);
    const std::string notice = path + " を書き直す前の内容の記録が見つかりましたが、ファイルは途中で止まった書き直しの"
                                      "跡とは違うため、今の内容を読みました";
    const auto told = run.output.find(notice);
    EXPECT_NE(told, std::string::npos) << run.output;
    EXPECT_EQ(run.output.find(notice, told + 1), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("古いメモ\t/v/1.wav\n手で足したメモ\t/v/3.wav\n"), std::string::npos) << run.output;
    EXPECT_EQ(scratch.Read("Voice.dat"), edited);
}

// --ics writes a feed only where none is yet, or over a feed of ours: a
// name the shell completed to the catalogue, the settings, a voice file or
// another program's calendar is refused and that file kept.
TEST(TodayProgramTest, TheFeedIsWrittenOnlyOverNothingOrOurFeed)
{
    TempFolder scratch;
    const std::string catalogue = MemoLine("買い物", "/v/1.wav", "TODO", "");
    const std::string feed = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//voicememo//voicememo-today//JA\r\n"
                             "END:VCALENDAR\r\n";
    // Ours in name only: an event's text may say anything.
    scratch.Write("other.ics", "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\n"
                               "PRODID:-//voicememo//voicememo-today//JA\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    scratch.Write("Voice.dat", catalogue);
    scratch.Write("sorvane.ini", "[Voice]\r\nLeft=1\r\n");
    scratch.Write("data/Voice1.wav", "RIFF\x24\0\0\0WAVE");
    scratch.Write("empty.ics", "");
    scratch.Write("Voice.ics", feed);
    std::filesystem::create_symlink("Voice.dat", scratch.path("link.ics"));
    struct Case {
        const char* given;
        const char* file;  // the file the name leads to
        bool written;
    };
    for (const auto& [given, file, written] : std::initializer_list<Case>{{"Voice.dat", "Voice.dat", false},
                                                                          {"voice.DAT", "Voice.dat", false},
                                                                          {"sorvane.ini", "sorvane.ini", false},
                                                                          {"data/Voice1.wav", "data/Voice1.wav", false},
                                                                          {"empty.ics", "empty.ics", false},
                                                                          {"link.ics", "Voice.dat", false},
                                                                          {"other.ics", "other.ics", false},
                                                                          {"Voice.ics", "Voice.ics", true},
                                                                          {"new.ics", "new.ics", true}}) {
        SCOPED_TRACE(given);
        const std::string before = scratch.Read(file);
        const ProgramRun run = RunToday(scratch, {"--folder", scratch.dir(), "--ics", scratch.dir() + given});
        if (written) {
            EXPECT_EQ(run.status, 0) << run.output;
            EXPECT_TRUE(scratch.Read(file).starts_with("BEGIN:VCALENDAR")) << scratch.Read(file);
            EXPECT_NE(scratch.Read(file).find("SUMMARY:買い物"), std::string::npos);
        } else {
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.output.find(scratch.dir() + given +
                                      " はボイスメモが書き出した iCalendar ファイルではないため、上書きしません"),
                      std::string::npos)
                << run.output;
            EXPECT_EQ(scratch.Read(file), before);
        }
    }
    EXPECT_TRUE(std::filesystem::is_symlink(scratch.path("link.ics")));
}

// A Voice.ics planted as a link to the user's own calendar (a synced folder
// can carry one) is left byte for byte by --feed-on and --ics, and the feed
// stays off; a link to a feed of ours is written through.
TEST(TodayProgramTest, APlantedLinkToTheUsersCalendarIsNeverWritten)
{
    TempFolder home;
    const std::string calendarFile = ".local/share/evolution/calendar/system/calendar.ics";
    const std::string calendar = "BEGIN:VCALENDAR\r\nPRODID:-//GNOME//Evolution//EN\r\nVERSION:2.0\r\n"
                                 "BEGIN:VEVENT\r\nSUMMARY:Dentist\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    home.Write(calendarFile, calendar);
    home.Write("app/Voice.dat", MemoLine("買い物", "/v/1.wav", "TODO", ""));
    const std::string folder = home.dir() + "app/";
    std::filesystem::create_symlink(home.path(calendarFile), home.path("app/Voice.ics"));
    ::setenv("HOME", home.path("").c_str(), 1);
    ::setenv("XDG_DATA_HOME", home.path(".local/share").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", home.path(".config").c_str(), 1);
    for (const std::vector<std::string>& arguments :
         std::initializer_list<std::vector<std::string>>{{"--folder", folder, "--feed-on"},
                                                         {"--folder", folder, "--ics", folder + "Voice.ics"}}) {
        SCOPED_TRACE(arguments.back());
        const ProgramRun run = RunToday(home, arguments);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.output.find("Voice.ics はボイスメモが書き出した iCalendar ファイルではないため、上書きしません"),
                  std::string::npos)
            << run.output;
        EXPECT_EQ(home.Read(calendarFile), calendar);
        EXPECT_TRUE(std::filesystem::is_symlink(home.path("app/Voice.ics")));
        EXPECT_FALSE(home.Exists("app/sorvane.ini"));
    }
    // The feed a user keeps in another folder, which we wrote.
    ASSERT_EQ(RunToday(home, {"--folder", folder, "--ics", home.dir() + "feed.ics"}).status, 0);
    std::filesystem::remove(home.path("app/Voice.ics"));
    std::filesystem::create_symlink(home.path("feed.ics"), home.path("app/Voice.ics"));
    home.Write("app/Voice.dat", MemoLine("会議", "/v/2.wav", "TODO", ""));
    const ProgramRun run = RunToday(home, {"--folder", folder, "--feed-on"});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(home.Read("feed.ics").find("SUMMARY:会議"), std::string::npos);
    EXPECT_NE(home.Read("app/sorvane.ini").find("CalendarFeed=1"), std::string::npos);
}
