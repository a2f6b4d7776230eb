#include "Calendar.h"

#include <array>
#include <cstdio>

#include "NumberText.h"

namespace voicememo {

namespace {
constexpr std::array<int, 12> kMonthLengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int kLongestMonth = 31;
}  // namespace

bool IsLeap(std::int32_t year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int MonthDays(std::int32_t year, int month)
{
    if (month < 1 || month > 12)
        return kLongestMonth;
    int days = kMonthLengths[static_cast<std::size_t>(month - 1)];
    if (month == 2 && IsLeap(year))
        ++days;
    return days;
}

WorkDate WorkDate::FromLocal(const LocalDateTime& now)
{
    return {static_cast<std::uint16_t>(now.year), static_cast<std::uint16_t>(now.month),
            static_cast<std::uint16_t>(now.day)};
}

int WorkDate::Limit() const
{
    return MonthDays(WorkYear, WorkMonth);
}

void WorkDate::Clamp()
{
    if (Limit() < WorkDay)
        WorkDay = static_cast<std::uint16_t>(Limit());
}

std::uint16_t WorkValueOf(std::string_view text)
{
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(NumberOr(text, 0)));
}

std::string JoinShownDate(std::string_view year, std::string_view month, std::string_view day)
{
    std::string text(year);
    text += '/';
    text += month;
    text += '/';
    text += day;
    return text;
}

ShownDateParts SplitShownDate(std::string_view text)
{
    ShownDateParts parts;
    auto first = text.find('/');
    if (first == std::string_view::npos) {
        parts.day = text;
        return parts;
    }
    parts.year = text.substr(0, first);
    text.remove_prefix(first + 1);
    auto second = text.find('/');
    if (second == std::string_view::npos) {
        parts.day = text;
        return parts;
    }
    parts.month = text.substr(0, second);
    parts.day = text.substr(second + 1);
    return parts;
}

std::string FormatRecordedDate(const LocalDateTime& when, char dateSeparator)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d%c%02d%c%02d", when.year, dateSeparator, when.month,
                  dateSeparator, when.day);
    return text;
}

std::string FormatRecordedTime(const LocalDateTime& when, char timeSeparator)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d%c%02d%c%02d", when.hour, timeSeparator, when.minute,
                  timeSeparator, when.second);
    return text;
}

}  // namespace voicememo
