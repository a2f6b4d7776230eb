#include <gtest/gtest.h>

#include "PosixFileSystem.h"
#include "ProfileFile.h"
#include "Settings.h"
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
              "; calendar settings\r\n[Option]\r\nShowHint=1\r\nColor=$FF\r\n\r\n[Alarm]\r\n"
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
