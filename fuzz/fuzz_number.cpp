// The number syntax of the year and month boxes and of the settings file,
// against a reference that follows its rules the slow way: on digit
// strings, without arithmetic that could overflow.
#include <cstdint>
#include <optional>
#include <string>

#include "FuzzCheck.h"
#include "NumberText.h"
#include "ProfileStore.h"
#include "Settings.h"

using namespace voicememo;

namespace {

bool AllOf(std::string_view text, std::string_view alphabet)
{
    return text.find_first_not_of(alphabet) == std::string_view::npos;
}

std::string_view WithoutLeadingZeros(std::string_view digits)
{
    while (digits.size() > 1 && digits.front() == '0')
        digits.remove_prefix(1);
    return digits;
}

std::optional<std::int32_t> Reference(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    if (text.front() == '$') {
        std::string_view digits = text.substr(1);
        if (digits.empty() || !AllOf(digits, "0123456789abcdefABCDEF"))
            return std::nullopt;
        digits = WithoutLeadingZeros(digits);
        if (digits.size() > 8)
            return std::nullopt;
        const std::uint32_t pattern = static_cast<std::uint32_t>(std::stoul(std::string(digits), nullptr, 16));
        return static_cast<std::int32_t>(pattern);  // two's complement, as C++20 defines it
    }
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !AllOf(text, "0123456789"))
        return std::nullopt;
    const std::string_view digits = WithoutLeadingZeros(text);
    // Compare as digit strings: longer is larger, equal length compares text.
    if (digits.size() > 10 || (digits.size() == 10 && digits > "2147483647"))
        return std::nullopt;
    const std::int64_t magnitude = std::stoll(std::string(digits));
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

// A settings file with one value.
class OneValue : public ProfileStore {
public:
    explicit OneValue(std::string value) : value_(std::move(value)) {}
    std::optional<std::string> ReadString(const std::string&, const std::string&) override { return value_; }
    void WriteString(const std::string&, const std::string&, const std::string&) override {}

private:
    std::string value_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto expected = Reference(text);
    FUZZ_CHECK(ParseNumber(text) == expected);
    FUZZ_CHECK(NumberOr(text, 12345) == expected.value_or(12345));

    // The settings also read the calendar's "0x" for "$".
    std::string settingsText = text;
    if (settingsText.size() > 2 && settingsText[0] == '0' && (settingsText[1] == 'x' || settingsText[1] == 'X'))
        settingsText.replace(0, 2, "$");
    OneValue profile(text);
    FUZZ_CHECK(ReadInteger(profile, "Voice", "Left", -7) == Reference(settingsText).value_or(-7));
    return 0;
}
