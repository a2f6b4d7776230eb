#include "DaySelection.h"

#include <algorithm>

#include "Calendar.h"
#include "NumberText.h"

namespace voicememo {

bool IsRealDay(const CalendarDay& day)
{
    return day.year >= kFirstYear && day.year <= kLastYear && day.month >= 1 && day.month <= 12 && day.day >= 1 &&
           day.day <= MonthDays(day.year, day.month);
}

std::optional<CalendarDay> ShownDay(const VoiceMemo& memo)
{
    if (memo.Kind != kKindDaily)
        return std::nullopt;
    const ShownDateParts parts = SplitShownDate(memo.ShownDate);
    const auto year = ParseNumber(parts.year);
    const auto month = ParseNumber(parts.month);
    const auto day = ParseNumber(parts.day);
    if (!year || !month || !day)
        return std::nullopt;
    const CalendarDay shown{*year, *month, *day};
    return IsRealDay(shown) ? std::optional(shown) : std::nullopt;
}

std::vector<VoiceMemo> MemosShownOn(const std::vector<VoiceMemo>& memos, const CalendarDay& day)
{
    std::vector<VoiceMemo> shown;
    for (const VoiceMemo& memo : memos)
        if (memo.Kind == kKindTodo || ShownDay(memo) == day)
            shown.push_back(memo);
    return shown;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The three numbers of a date written year, month, day with one separator
// between them, each number of 1 to its most digits; a real day only.
std::optional<CalendarDay> ParseDayParts(std::string_view text, char separator, std::size_t yearDigits,
                                         std::size_t monthDigits, std::size_t dayDigits)
{
    int parts[3] = {};
    const std::size_t most[3] = {yearDigits, monthDigits, dayDigits};
    std::size_t at = 0;
    for (int part = 0; part < 3; ++part) {
        if (part > 0 && (at >= text.size() || text[at++] != separator))
            return std::nullopt;
        const std::size_t first = at;
        while (at < text.size() && IsDigit(text[at]) && at - first < most[part])
            parts[part] = parts[part] * 10 + (text[at++] - '0');
        if (at == first)
            return std::nullopt;
    }
    const CalendarDay parsed{parts[0], parts[1], parts[2]};
    return at == text.size() && IsRealDay(parsed) ? std::optional(parsed) : std::nullopt;
}

}  // namespace

std::optional<CalendarDay> ParseIsoDay(std::string_view text)
{
    return text.size() == 10 ? ParseDayParts(text, '-', 4, 2, 2) : std::nullopt;
}

std::optional<CalendarDay> RecordedDay(const VoiceMemo& memo)
{
    const std::string_view text = memo.RecordedDate;
    const auto separator = std::find_if_not(text.begin(), text.end(), IsDigit);
    if (separator == text.end())
        return std::nullopt;
    return ParseDayParts(text, *separator, 4, 2, 2);
}

}  // namespace voicememo
