#pragma once
// Calendar arithmetic of a dated memo and its working date.
#include <cstdint>
#include <string>
#include <string_view>

#include "Clock.h"

namespace voicememo {

bool IsLeap(std::int32_t year);

// The month's length; a month outside 1..12 has none, and the day limit for
// it is 31 so that such a month never cuts a day short.
int MonthDays(std::int32_t year, int month);

// The date the date controls edit; each value keeps the low 16 bits of what
// was typed ("-1" gives 65535).
struct WorkDate {
    std::uint16_t WorkYear = 0;
    std::uint16_t WorkMonth = 0;
    std::uint16_t WorkDay = 0;

    static WorkDate FromLocal(const LocalDateTime& now);
    // The month's length for this date's year and month.
    int Limit() const;
    // Cuts the day to the month's length.
    void Clamp();
};

// The year or month box's text as a working value: 0 when not a number.
std::uint16_t WorkValueOf(std::string_view text);

// A dated memo's shown date: the three texts joined by "/" as they stand.
std::string JoinShownDate(std::string_view year, std::string_view month, std::string_view day);

struct ShownDateParts {
    std::string year;
    std::string month;
    std::string day;
};
// The text split at the first two "/"; a third "/" stays in the day part.
ShownDateParts SplitShownDate(std::string_view text);

// "yyyy/mm/dd" and "hh:nn:ss" with the regional separators.
std::string FormatRecordedDate(const LocalDateTime& when, char dateSeparator);
std::string FormatRecordedTime(const LocalDateTime& when, char timeSeparator);

}  // namespace voicememo
