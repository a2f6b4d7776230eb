#include "Calendar.h"

#include <array>
#include <cstdio>

#include "NumberText.h"

namespace voicememo {

namespace {
constexpr std::array<int, 12> kMonthLengths = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int kLongestMonth = 31;
}  // namespace

bool IsLeap(std::int32_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

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

int WorkDate::Limit() const { return MonthDays(WorkYear, WorkMonth); }

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

namespace {

// The value in decimal with leading zeros to the width, as "%0*d" writes it;
// the common case without printf, which costs more than the rest of a memo.
void AppendPadded(std::string& text, int value, int width)
{
    int limit = 1;
    for (int i = 0; i < width; ++i)
        limit *= 10;
    if (value < 0 || value >= limit) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
        text += buffer;
        return;
    }
    for (int divisor = limit / 10; divisor > 0; divisor /= 10)
        text += static_cast<char>('0' + value / divisor % 10);
}

std::string ThreeParts(int first, int firstWidth, char separator, int second, int third)
{
    std::string text;
    text.reserve(10);
    AppendPadded(text, first, firstWidth);
    text += separator;
    AppendPadded(text, second, 2);
    text += separator;
    AppendPadded(text, third, 2);
    return text;
}

}  // namespace

std::string FormatRecordedDate(const LocalDateTime& when, char dateSeparator)
{
    return ThreeParts(when.year, 4, dateSeparator, when.month, when.day);
}

std::string FormatRecordedTime(const LocalDateTime& when, char timeSeparator)
{
    return ThreeParts(when.hour, 2, timeSeparator, when.minute, when.second);
}

}  // namespace voicememo
