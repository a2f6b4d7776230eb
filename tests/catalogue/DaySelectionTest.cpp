#include <gtest/gtest.h>

#include "CatalogueFile.h"
#include "DaySelection.h"

using namespace voicememo;

namespace {

struct DayCase {
    const char* kind;
    const char* shownDate;
    CalendarDay day;
    bool shown;
};

}  // namespace

// Each memo read from its catalogue line, as the program reads it.
TEST(DaySelectionTest, AMemoIsShownOnItsDayOnly)
{
    const CalendarDay march1{2025, 3, 1};
    for (const auto& [kind, shownDate, day, shown] : std::initializer_list<DayCase>{
             {"TODO", "", march1, true},
             {"TODO", "1999/1/1", march1, true},  // a TODO memo ignores a leftover date
             {"DAILY", "2025/3/1", march1, true},
             {"DAILY", "2025/2/28", march1, false},  // yesterday
             {"DAILY", "2025/3/2", march1, false},   // tomorrow
             {"DAILY", "2024/3/1", march1, false},   // another year
             {"DAILY", "2024/2/29", {2024, 2, 29}, true},
             {"DAILY", "2000/2/29", {2000, 2, 29}, true},
             {"DAILY", "2025/2/29", {2025, 2, 28}, false},  // no real day: never cut short
             {"DAILY", "2025/2/29", march1, false},         // nor moved on
             {"DAILY", "2100/2/29", {2100, 3, 1}, false},
             {"DAILY", "  2025/ 3/  1", march1, true},  // leading spaces, as the boxes take them
             {"DAILY", "2025 /3/1", march1, false},     // a trailing one is no number
             {"DAILY", "2025/03/01", march1, true},
             {"DAILY", "$7E9/$3/$1", march1, true},  // "$" hexadecimal
             {"DAILY", "+2025/+3/+1", march1, true},
             {"DAILY", "2025/13/1", {2026, 1, 1}, false},
             {"DAILY", "2025/0/1", march1, false},
             {"DAILY", "2025/3/0", march1, false},
             {"DAILY", "2025/3/32", march1, false},
             {"DAILY", "-2025/3/1", march1, false},
             {"DAILY", "67561/3/1", march1, false},  // not cut to 16 bits as the year box keeps it
             {"DAILY", "4294967297/3/1", march1, false},
             {"DAILY", "10000/3/1", {10000, 3, 1}, false},
             {"DAILY", "abc/3/1", march1, false},
             {"DAILY", "2025/3", march1, false},
             {"DAILY", "2025/3/1/5", march1, false},
             {"DAILY", "", march1, false},
             {"todo", "", march1, false},  // kinds compare exactly, as the dialog's do
             {"DAILY ", "2025/3/1", march1, false},
         }) {
        const std::string line = std::string("t\tp\t2025/01/01\t10:00:00\t") + kind + "\t" + shownDate;
        const auto memos = ParseCatalogue(line);
        EXPECT_EQ(MemosShownOn(memos, day).size(), shown ? 1u : 0u)
            << kind << " \"" << shownDate << "\" on " << day.year << "/" << day.month << "/" << day.day;
    }
}

TEST(DaySelectionTest, TheDayKeepsTheCatalogueOrderAndAnEmptyCatalogueShowsNothing)
{
    const auto memos = ParseCatalogue("a\tp\td\tt\tDAILY\t2025/3/1\r\n"
                                      "b\tp\td\tt\tDAILY\t2025/3/2\r\n"
                                      "c\tp\td\tt\tTODO\t\r\n"
                                      "d\tp\td\tt\tDAILY\t2025/3/1\r\n");
    std::string titles;
    for (const VoiceMemo& memo : MemosShownOn(memos, {2025, 3, 1}))
        titles += memo.Title;
    EXPECT_EQ(titles, "acd");
    EXPECT_TRUE(MemosShownOn(ParseCatalogue(""), {2025, 3, 1}).empty());
}

TEST(DaySelectionTest, TheAskedDayMustBeARealDayInItsOneForm)
{
    EXPECT_EQ(ParseIsoDay("2024-02-29"), (CalendarDay{2024, 2, 29}));
    EXPECT_EQ(ParseIsoDay("0001-01-01"), (CalendarDay{1, 1, 1}));
    for (const char* text : {"2025-02-29", "2025-2-1", "2025-13-01", "2025-00-10", "0000-01-01", "2025/03/01",
                             "2025-03-01x", " 2025-03-1", "２０２５-03-01", ""})
        EXPECT_FALSE(ParseIsoDay(text)) << text;
}
