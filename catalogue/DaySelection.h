#pragma once
// Which memos a day shows: a "TODO" memo every day, a "DAILY" memo on its
// shown date, whose year, month and day texts are read with the number
// rules of the dialog's boxes.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "VoiceMemo.h"

namespace voicememo {

struct CalendarDay {
    std::int32_t year = 0;
    int month = 0;
    int day = 0;

    bool operator==(const CalendarDay&) const = default;
};

// Years a calendar day may have: those of a four-digit calendar date.
inline constexpr std::int32_t kFirstYear = 1;
inline constexpr std::int32_t kLastYear = 9999;

// True for a day that exists: a year within the range, a month 1..12 and a
// day within the month's length.
bool IsRealDay(const CalendarDay& day);

// The day a "DAILY" memo is shown on. Nothing for another kind, and for a
// shown date that is no real day (a part that is not a number, 2025/2/29,
// a month 13): such a memo is shown on no day.
std::optional<CalendarDay> ShownDay(const VoiceMemo& memo);

// The memos the day shows, in the catalogue's order.
std::vector<VoiceMemo> MemosShownOn(const std::vector<VoiceMemo>& memos, const CalendarDay& day);

// "YYYY-MM-DD" as a real day; nothing for any other text.
std::optional<CalendarDay> ParseIsoDay(std::string_view text);

// The day a memo was recorded, from its recorded date: year, month and day
// joined by one separator, the one of the regional settings at the time
// ("2025/01/02", "2025-01-02", "2025.1.2"). Nothing for any other text and
// for no real day.
std::optional<CalendarDay> RecordedDay(const VoiceMemo& memo);

}  // namespace voicememo
