#include "ProfileText.h"

#include <cstddef>
#include <vector>

#include "ByteText.h"

namespace voicememo {

namespace {

constexpr std::string_view kNewLine = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    // No trail byte is a blank, so cutting from the end never splits a
    // double-byte character.
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Compares names ignoring the case of ASCII letters only: the trail byte of a
// double-byte character can be an ASCII letter and must match exactly.
bool NamesEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size();) {
        if (CharacterLength(a, i) == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1])
                return false;
            i += 2;
        } else {
            if (LowerAscii(a[i]) != LowerAscii(b[i]))
                return false;
            ++i;
        }
    }
    return true;
}

using LineKind = ProfileLineKind;
using Line = ProfileLine;

void Classify(std::string_view content, Line& line)
{
    std::string_view text = content.substr(line.begin, line.textEnd - line.begin);
    // A NUL ends what the calendar sees of the line.
    if (auto nul = text.find('\0'); nul != std::string_view::npos)
        text = text.substr(0, nul);

    const std::string_view trimmed = TrimBlanks(text);
    line.isBlank = trimmed.empty();
    if (trimmed.empty() || trimmed.front() == ';')
        return;

    if (trimmed.front() == '[') {
        // "]" can be a trail byte, so look for it character by character.
        for (std::size_t i = 1; i < trimmed.size(); i += CharacterLength(trimmed, i)) {
            if (trimmed[i] == ']') {
                line.kind = LineKind::Section;
                line.name = TrimBlanks(trimmed.substr(1, i - 1));
                return;
            }
        }
    }

    const auto equals = text.find('=');
    if (equals == std::string_view::npos)
        return;
    line.kind = LineKind::Key;
    line.name = TrimBlanks(text.substr(0, equals));
    line.valueBegin = line.begin + equals + 1;
    line.valueText = text.substr(equals + 1);
}

// Unlike the catalogue's lines, these keep their positions and line ends
// for the writer, and a NUL ends only its own line.
std::vector<Line> SplitProfileLines(std::string_view content)
{
    std::vector<Line> lines;
    std::size_t position = 0;
    while (position < content.size()) {
        Line line;
        line.begin = position;
        const auto lineEnd = content.find_first_of("\r\n", position);
        if (lineEnd == std::string_view::npos) {
            line.textEnd = line.end = content.size();
        } else {
            line.textEnd = lineEnd;
            const bool crLf = content[lineEnd] == '\r' && lineEnd + 1 < content.size() && content[lineEnd + 1] == '\n';
            line.end = lineEnd + (crLf ? 2 : 1);
        }
        Classify(content, line);
        lines.push_back(line);
        position = line.end;
    }
    return lines;
}

// The lines of the first section of that name: [header, next header), or
// nothing when there is no such section.
struct SectionRange {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionRange> FindSection(const std::vector<Line>& lines, std::string_view section)
{
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind != LineKind::Section || !NamesEqual(lines[i].name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end].kind != LineKind::Section)
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<Line>& lines, SectionRange range, std::string_view key)
{
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        if (lines[i].kind == LineKind::Key && NamesEqual(lines[i].name, key))
            return i;
    }
    return std::nullopt;
}

std::string_view StripQuotes(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::string_view LimitLength(std::string_view value, std::size_t maxBytes)
{
    std::size_t kept = 0;
    while (kept < value.size()) {
        const std::size_t next = kept + CharacterLength(value, kept);
        if (next > maxBytes)
            break;
        kept = next;
    }
    return value.substr(0, kept);
}

bool EndsWithLineEnd(std::string_view content)
{
    return !content.empty() && (content.back() == '\r' || content.back() == '\n');
}

}  // namespace

ParsedProfile::ParsedProfile(std::string_view content) : lines_(SplitProfileLines(content)) {}

std::optional<std::string> ParsedProfile::Value(std::string_view section, std::string_view key) const
{
    const auto range = FindSection(lines_, TrimBlanks(section));
    if (!range)
        return std::nullopt;
    const auto keyLine = FindKey(lines_, *range, TrimBlanks(key));
    if (!keyLine)
        return std::nullopt;
    const std::string_view value = StripQuotes(TrimBlanks(lines_[*keyLine].valueText));
    return std::string(LimitLength(value, kMaxProfileValueBytes));
}

std::optional<std::string> ReadProfileValue(std::string_view content, std::string_view section, std::string_view key)
{
    return ParsedProfile(content).Value(section, key);
}

std::string WriteProfileValue(std::string_view content, std::string_view section, std::string_view key,
                              std::string_view value)
{
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    const auto lines = SplitProfileLines(content);
    const std::string keyLine = std::string(key) + "=" + std::string(value) + std::string(kNewLine);

    const auto range = FindSection(lines, section);
    if (!range) {
        std::string result(content);
        if (!result.empty() && !EndsWithLineEnd(result))
            result += kNewLine;
        result += "[" + std::string(section) + "]" + std::string(kNewLine) + keyLine;
        return result;
    }

    if (const auto existing = FindKey(lines, *range, key)) {
        // Keep the line up to and including "=" and its line end; the old
        // value, with anything after a NUL, goes.
        const Line& line = lines[*existing];
        std::string result(content.substr(0, line.valueBegin));
        result += value;
        result += content.substr(line.textEnd);
        return result;
    }

    std::size_t last = range->header;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (!lines[i].isBlank)
            last = i;
    }
    const Line& after = lines[last];
    std::string result(content.substr(0, after.end));
    if (after.end == after.textEnd)  // the file's last line, without a line end
        result += kNewLine;
    result += keyLine;
    result += content.substr(after.end);
    return result;
}

}  // namespace voicememo
