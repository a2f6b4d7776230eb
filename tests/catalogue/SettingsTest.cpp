#include <gtest/gtest.h>

#include "PosixFileSystem.h"
#include "ProfileFile.h"
#include "Settings.h"
#include "SettingsCopies.h"
#include "StateFolder.h"
#include "TempFolder.h"

using namespace voicememo;
using voicememo::testing::TempFolder;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    DialogSettings ReadWith(const std::string& content, std::int32_t left = 7, std::int32_t top = 9)
    {
        folder.Write("sorvane.ini", content);
        return ReadDialogSettings(profile, left, top);
    }

    TempFolder folder;
    PosixFileSystem files;
    ProfileFile profile{files, folder.dir() + kSettingsFileName};
};

}  // namespace

TEST_F(SettingsTest, MissingFileGivesTheDefaults)
{
    auto settings = ReadDialogSettings(profile, 7, 9);
    EXPECT_TRUE(settings.showHint);
    EXPECT_EQ(settings.left, 7);
    EXPECT_EQ(settings.top, 9);
}

TEST_F(SettingsTest, IntegerValues)
{
    struct Case {
        const char* value;
        std::int32_t left;
    };
    for (auto [value, left] : std::initializer_list<Case>{{"200", 200},
                                                          {"-4", -4},
                                                          {"0x10", 16},
                                                          {"0X1f", 31},
                                                          {"0x", 7},
                                                          {"0x ", 7},
                                                          {"$10", 16},
                                                          {"  12", 12},
                                                          {"12abc", 7},
                                                          {"", 7},
                                                          {"\"300\"", 300},
                                                          {"0xFFFFFFFF", -1},
                                                          {"0x100000000", 7},
                                                          {"2147483648", 7}}) {
        EXPECT_EQ(ReadWith(std::string("[Voice]\r\nLeft=") + value + "\r\n").left, left) << "Left=" << value;
    }
}

TEST_F(SettingsTest, ShowHintIsOffOnlyForZero)
{
    struct Case {
        const char* line;
        bool showHint;
    };
    for (auto [line, showHint] : std::initializer_list<Case>{{"ShowHint=0", false},
                                                             {"showhint=0x0", false},
                                                             {"ShowHint=1", true},
                                                             {"ShowHint=2", true},
                                                             {"ShowHint=yes", true},
                                                             {"ShowHint=", true},
                                                             {"Other=0", true}}) {
        EXPECT_EQ(ReadWith(std::string("[OPTION]\r\n") + line + "\r\n").showHint, showHint) << line;
    }
}

TEST_F(SettingsTest, WritingKeepsTheCalendarsOwnSettings)
{
    const std::string calendar = "; calendar settings\r\n[Option]\r\nShowHint=yes\r\nColor=$FF\r\n\r\n[Alarm]\r\n"
                                 "Alarm1=/x/data/Voice4.wav\n";
    folder.Write("sorvane.ini", calendar);
    auto settings = ReadDialogSettings(profile, 0, 0);
    WriteDialogSettings(profile, settings);
    EXPECT_EQ(folder.Read("sorvane.ini"),
              "; calendar settings\r\n[Option]\r\nShowHint=yes\r\nColor=$FF\r\n\r\n[Alarm]\r\n"
              "Alarm1=/x/data/Voice4.wav\n[Voice]\r\nLeft=0\r\nTop=0\r\n");

    WriteDialogSettings(profile, {false, -4, 200});
    auto again = ReadDialogSettings(profile, 1, 1);
    EXPECT_FALSE(again.showHint);
    EXPECT_EQ(again.left, -4);
    EXPECT_EQ(again.top, 200);
}

TEST_F(SettingsTest, FirstWriteCreatesTheFile)
{
    WriteDialogSettings(profile, {true, 16, 32});
    EXPECT_EQ(folder.Read("sorvane.ini"), "[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=16\r\nTop=32\r\n");
}

// The window's place is written only where the file does not hold it
// already: two machines that close the window where it was make no new
// version of the shared file, which a sync tool would keep as a conflict.
TEST_F(SettingsTest, OnlyWhatTheFileDoesNotHoldIsWritten)
{
    struct Case {
        const char* held;
        DialogSettings closing;
        const char* written;  // nullptr: the file is not touched
    };
    for (const auto& [held, closing, written] : std::initializer_list<Case>{
             {"[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=16\r\nTop=32\r\n", {true, 16, 32}, nullptr},
             {"[voice]\r\nleft = 0x10\r\nTop=\"32\"\r\n[Option]\r\nShowHint=yes\r\n", {true, 16, 32}, nullptr},
             {"[Option]\r\nShowHint=0\r\n[Voice]\r\nLeft=-4\r\nTop=5000\r\n", {false, -4, 5000}, nullptr},
             {"[Voice]\r\nLeft=0x10\r\nTop=32\r\n[Option]\r\nShowHint=yes\r\n",
              {true, 17, 32},
              "[Voice]\r\nLeft=17\r\nTop=32\r\n[Option]\r\nShowHint=yes\r\n"},
             {"[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=16\r\nTop=32\r\n",
              {false, 16, 32},
              "[Option]\r\nShowHint=0\r\n[Voice]\r\nLeft=16\r\nTop=32\r\n"},
             {"[Voice]\r\nLeft=16\r\nTop=32\r\n",
              {true, 16, 32},
              "[Voice]\r\nLeft=16\r\nTop=32\r\n[Option]\r\nShowHint=1\r\n"},
             // Not a number: it reads as the place the window happens to have.
             {"[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=abc\r\nTop=32\r\n",
              {true, 0, 32},
              "[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=0\r\nTop=32\r\n"},
             {"[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=1\r\n",
              {true, 1, 0},
              "[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=1\r\nTop=0\r\n"},
         }) {
        folder.Write("sorvane.ini", held);
        const auto before = files.StampOf(folder.dir() + kSettingsFileName);
        ProfileReadOnce once(files, folder.dir() + kSettingsFileName);
        EXPECT_EQ(WriteDialogSettings(once, closing), written != nullptr) << held;
        if (written)
            EXPECT_EQ(folder.Read("sorvane.ini"), written) << held;
        else
            EXPECT_EQ(files.StampOf(folder.dir() + kSettingsFileName), before) << held;
    }
}

// A sync tool's copy of the settings file that differs from it only in the
// window's place goes to the trash at start; any other is the user's to
// look at.
TEST_F(SettingsTest, CopiesThatDifferOnlyInThePlaceGo)
{
    voicememo::testing::UsePrivateDataFolder();
    const std::string settings =
        "; calendar\r\n[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=16\r\nTop=32\r\nCalendarFeed=1\r\n";
    struct Case {
        const char* name;
        std::string bytes;
        bool goes;
    };
    const std::initializer_list<Case> cases = {
        {"sorvane.sync-conflict-20261208-093147-F5H75MX.ini",
         "; calendar\r\n[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=200\r\nTop=-300\r\nCalendarFeed=1\r\n", true},
        {"sorvane.sync-conflict-20261208-093148-F5H75MX.ini", settings, true},
        {"Sorvane (conflicted copy 2026-12-08 093147).INI",
         "; calendar\r\n[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=16\r\nTop=33\r\nCalendarFeed=1\r\n", true},
        {"sorvane.sync-conflict-20261208-093149-F5H75MX.ini",
         "; calendar\r\n[Option]\r\nShowHint=0\r\n[Voice]\r\nLeft=200\r\nTop=32\r\nCalendarFeed=1\r\n", false},
        {"sorvane.sync-conflict-20261208-093150-F5H75MX.ini",
         "; calendar\r\n[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=200\r\nTop=32\r\n", false},
        {"sorvane.sync-conflict-20261208-093151-F5H75MX.ini",
         "; calendar\r\n[Option]\r\nShowHint=1\r\nTop=5\r\n[Voice]\r\nLeft=16\r\nTop=32\r\nCalendarFeed=1\r\n", false},
        {"sorvane.sync-conflict-20261208-093152-F5H75MX.ini",
         "; calendar\r\n[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=16\r\nTop=32\r\nCalendarFeed=1\r\n\r\n", false},
        {"sorvane.ini.bak", settings, false},
        {"other.sync-conflict-20261208-093147-F5H75MX.ini", settings, false},
    };
    for (const Case& copy : cases)
        folder.Write(copy.name, copy.bytes);
    folder.Write("sorvane.ini", settings);
    const auto before = files.StampOf(folder.dir() + kSettingsFileName);
    EXPECT_EQ(DiscardPlaceOnlySettingsCopies(files, folder.dir()), 3u);
    for (const Case& copy : cases)
        EXPECT_EQ(folder.Exists(copy.name), !copy.goes) << copy.name;
    EXPECT_EQ(files.StampOf(folder.dir() + kSettingsFileName), before);

    // Without the settings file nothing tells what a copy differs in.
    std::filesystem::remove(folder.path("sorvane.ini"));
    folder.Write(cases.begin()->name, cases.begin()->bytes);
    EXPECT_EQ(DiscardPlaceOnlySettingsCopies(files, folder.dir()), 0u);
    EXPECT_TRUE(folder.Exists(cases.begin()->name));
}
