#include "DaySelection.h"

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

std::optional<CalendarDay> ParseIsoDay(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    auto digits = [text](std::size_t from, std::size_t count) -> std::optional<int> {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return std::nullopt;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    const auto year = digits(0, 4);
    const auto month = digits(5, 2);
    const auto day = digits(8, 2);
    if (!year || !month || !day)
        return std::nullopt;
    const CalendarDay parsed{*year, *month, *day};
    return IsRealDay(parsed) ? std::optional(parsed) : std::nullopt;
}

}  // namespace voicememo
