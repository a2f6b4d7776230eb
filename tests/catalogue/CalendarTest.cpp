#include <gtest/gtest.h>

#include "Calendar.h"
#include "NumberText.h"

using namespace voicememo;

TEST(CalendarTest, LeapYearsAndMonthLengths)
{
    struct Case {
        std::int32_t year;
        int month;
        int days;
    };
    for (auto [year, month, days] : std::initializer_list<Case>{{2000, 2, 29},
                                                                {1900, 2, 28},
                                                                {2100, 2, 28},
                                                                {2004, 2, 29},
                                                                {2001, 2, 28},
                                                                {0, 2, 29},
                                                                {-4, 2, 29},
                                                                {-100, 2, 28},
                                                                {-400, 2, 29},
                                                                {2001, 1, 31},
                                                                {2001, 4, 30},
                                                                {2001, 12, 31},
                                                                {2001, 11, 30}}) {
        EXPECT_EQ(MonthDays(year, month), days) << year << "/" << month;
    }
    // A month without a length never cuts the day short.
    EXPECT_EQ(MonthDays(2001, 0), 31);
    EXPECT_EQ(MonthDays(2001, 13), 31);
    EXPECT_EQ(MonthDays(2001, 65535), 31);
}

TEST(CalendarTest, ClampKeepsTheDayWithinTheMonth)
{
    WorkDate date{2001, 4, 31};
    date.Clamp();
    EXPECT_EQ(date.WorkDay, 30);
    date.WorkMonth = 2;
    date.Clamp();
    EXPECT_EQ(date.WorkDay, 28);
    date = {2004, 2, 29};
    date.WorkYear = WorkValueOf("2003");
    date.Clamp();
    EXPECT_EQ(date.WorkDay, 28);
    date = {2001, 3, 15};
    date.Clamp();
    EXPECT_EQ(date.WorkDay, 15);
}

struct NumberCase {
    const char* text;
    std::optional<std::int32_t> value;
};

class NumberTextTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberTextTest, ParsesTheBoxSyntax)
{
    EXPECT_EQ(ParseNumber(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, NumberTextTest,
    ::testing::Values(NumberCase{"2004", 2004}, NumberCase{"  2004", 2004}, NumberCase{"2004 ", std::nullopt},
                      NumberCase{"\t2004", std::nullopt}, NumberCase{"+7", 7}, NumberCase{"-1", -1},
                      NumberCase{"007", 7}, NumberCase{"", std::nullopt}, NumberCase{" ", std::nullopt},
                      NumberCase{"+", std::nullopt}, NumberCase{"- 1", std::nullopt}, NumberCase{"12abc", std::nullopt},
                      NumberCase{"1e3", std::nullopt}, NumberCase{"2147483647", 2147483647},
                      NumberCase{"-2147483647", -2147483647}, NumberCase{"2147483648", std::nullopt},
                      NumberCase{"-2147483648", std::nullopt}, NumberCase{"99999999999999999999", std::nullopt},
                      NumberCase{"$10", 16}, NumberCase{"$ff", 255}, NumberCase{"  $Ab", 171},
                      NumberCase{"$FFFFFFFF", -1}, NumberCase{"$80000000", INT32_MIN}, NumberCase{"$000000000010", 16},
                      NumberCase{"$100000000", std::nullopt}, NumberCase{"$", std::nullopt},
                      NumberCase{"$g", std::nullopt}, NumberCase{"-$1", std::nullopt}, NumberCase{"0x10", std::nullopt},
                      NumberCase{"\xef\xbc\x91", std::nullopt}));

TEST(CalendarTest, WorkValuesKeepTheLow16Bits)
{
    EXPECT_EQ(WorkValueOf("-1"), 65535);
    EXPECT_EQ(WorkValueOf("65537"), 1);
    EXPECT_EQ(WorkValueOf("abc"), 0);
    EXPECT_EQ(WorkValueOf(" 2004"), 2004);
    EXPECT_EQ(WorkValueOf("2004 "), 0);
    // Year 0 (a text that is not a number) is a leap year.
    EXPECT_EQ(MonthDays(WorkValueOf("x"), 2), 29);
}

TEST(CalendarTest, ShownDateJoinsAndSplitsAtSlashes)
{
    EXPECT_EQ(JoinShownDate("2002", "11", "3"), "2002/11/3");
    EXPECT_EQ(JoinShownDate("", " 5", "x"), "/ 5/x");

    struct Case {
        const char* text;
        const char* year;
        const char* month;
        const char* day;
    };
    for (auto c : std::initializer_list<Case>{{"2001/4/7", "2001", "4", "7"},
                                              {"7", "", "", "7"},
                                              {"2001/7", "2001", "", "7"},
                                              {"2001/4/7/9", "2001", "4", "7/9"},
                                              {"", "", "", ""},
                                              {"//", "", "", ""}}) {
        auto parts = SplitShownDate(c.text);
        EXPECT_EQ(parts.year, c.year) << c.text;
        EXPECT_EQ(parts.month, c.month) << c.text;
        EXPECT_EQ(parts.day, c.day) << c.text;
    }
    auto parts = SplitShownDate(JoinShownDate("2001", "12", "31"));
    EXPECT_EQ(JoinShownDate(parts.year, parts.month, parts.day), "2001/12/31");
}

TEST(CalendarTest, RecordedDateAndTimeArePaddedWithTheSeparators)
{
    LocalDateTime when{2001, 4, 5, 9, 2, 30};
    EXPECT_EQ(FormatRecordedDate(when, '/'), "2001/04/05");
    EXPECT_EQ(FormatRecordedDate(when, '-'), "2001-04-05");
    EXPECT_EQ(FormatRecordedTime(when, ':'), "09:02:30");
    EXPECT_EQ(FormatRecordedTime(when, '.'), "09.02.30");
    EXPECT_EQ(FormatRecordedTime({2001, 1, 1, 23, 59, 59}, ':'), "23:59:59");
    // Out of the usual range, as printf's "%04d" and "%02d" write them.
    EXPECT_EQ(FormatRecordedDate({12345, 0, 100, 0, 0, 0}, '/'), "12345/00/100");
    EXPECT_EQ(FormatRecordedDate({-1, 1, 1, 0, 0, 0}, '/'), "-001/01/01");
    EXPECT_EQ(FormatRecordedDate({7, 1, 1, 0, 0, 0}, '/'), "0007/01/01");
}
