#pragma once
// The rules of the catalogue's text that the memo list and the catalogue
// file share: where lines and fields end, and how a field is written so that
// it never ends its line early.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "ByteText.h"

namespace voicememo::catalogue_text {

constexpr char kTab = '\t';
constexpr int kFields = 6;
using Fields = std::array<std::string_view, kFields>;

// The text before the first TAB (empty when there is none), and the rest
// after it (unchanged when there is none).
inline std::string_view TakeField(std::string_view& rest)
{
    auto tab = rest.find(kTab);
    if (tab == std::string_view::npos)
        return {};
    std::string_view field = rest.substr(0, tab);
    rest.remove_prefix(tab + 1);
    return field;
}

// A line's six fields: a line with fewer than five TABs still fills the last
// field with what follows the last TAB, as the calendar splits it; extra
// TABs stay in the last field.
inline Fields SplitFields(std::string_view line)
{
    Fields fields;
    for (int i = 0; i < kFields - 1; ++i)
        fields[static_cast<std::size_t>(i)] = TakeField(line);
    fields[kFields - 1] = line;
    return fields;
}

// The bytes that become spaces when a field is written: what would end the
// line early, and (before the last field) a TAB.
struct SpacedBytes {
    bool inField[256] = {};
    bool inLastField[256] = {};
    constexpr SpacedBytes()
    {
        for (int c = 0; c < 256; ++c) {
            inLastField[c] = EndsALine(static_cast<char>(c));
            inField[c] = inLastField[c] || c == kTab;
        }
    }
};
inline constexpr SpacedBytes kSpaced;

// Whether a text holds no control character, so that it stands in any
// field exactly as it is: TAB, CR, LF and NUL would be changed on the way
// into the file, and the calendar's system allows none in a file name.
inline bool HasNoControlCharacter(std::string_view text)
{
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

// The field as it may stand in its line, appended to the text.
inline void AppendField(std::string& text, std::string_view field, bool lastField)
{
    const bool* spaced = lastField ? kSpaced.inLastField : kSpaced.inField;
    const std::size_t start = text.size();
    text.append(field);
    char* c = text.data() + start;
    for (std::size_t i = 0; i < field.size(); ++i)
        if (spaced[static_cast<unsigned char>(c[i])])
            c[i] = ' ';
}

// A memo's line, without its line end, appended to the text.
inline void AppendLine(std::string& text, const Fields& fields)
{
    for (int i = 0; i < kFields; ++i) {
        if (i > 0)
            text += kTab;
        AppendField(text, fields[static_cast<std::size_t>(i)], i == kFields - 1);
    }
}

}  // namespace voicememo::catalogue_text
