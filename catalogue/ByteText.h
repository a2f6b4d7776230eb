#pragma once
// Small rules over code page 932 byte strings that several parts share.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace voicememo {

// Lowers the ASCII letters A to Z only; every other byte stays.
constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
std::string LowerAscii(std::string_view text);

// Whether a byte begins a double-byte character of code page 932.
bool IsLeadByte(char byte);
// The bytes of the character starting at position: 2 for a lead byte with
// its trail byte present, else 1.
std::size_t CharacterLength(std::string_view text, std::size_t position);
// Where the last character of a non-empty text begins.
std::size_t LastCharacterStart(std::string_view text);

constexpr bool EndsALine(char c) { return c == '\r' || c == '\n' || c == '\0'; }

// Calls each with every line of the text without copying it: a line runs
// up to the next CR, LF or NUL, and its end is a run of NULs, a CR and an
// LF, each where present, in that order. So a NUL ends its line as a line
// break does and the lines after it are read (one just before a line break
// adds no empty line), and the zeros a crashed writer leaves end one line
// however many there are; a terminator at the very end adds no empty line.
// The catalogue and every text file read whole are split so.
template <typename Each>
inline void ForEachLine(std::string_view content, Each each)
{
    const char* const begin = content.data();
    const char* const end = begin + content.size();
    // The next of each terminator, each looked for again only once passed.
    auto next = [end](const char* from, char c) {
        const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
        return found ? static_cast<const char*>(found) : end;
    };
    const char* cr = next(begin, '\r');
    const char* lf = next(begin, '\n');
    const char* nul = next(begin, '\0');
    const char* pos = begin;
    while (pos < end) {
        if (cr < pos)
            cr = next(pos, '\r');
        if (lf < pos)
            lf = next(pos, '\n');
        if (nul < pos)
            nul = next(pos, '\0');
        const char* stop = std::min({cr, lf, nul});
        each(std::string_view(pos, static_cast<std::size_t>(stop - pos)));
        pos = stop;
        while (pos < end && *pos == '\0')
            ++pos;
        if (pos < end && *pos == '\r')
            ++pos;
        if (pos < end && *pos == '\n')
            ++pos;
    }
}

// The lines of the text, as ForEachLine gives them.
std::vector<std::string> SplitLines(std::string_view text);

// The one place that knows the path separator ("/" here).
inline constexpr char kPathSeparator = '/';

// The folder part of a path with its trailing separator ("" when none).
std::string_view FolderPart(std::string_view path);
std::string ExtractFolder(std::string_view path);
// The part after the last separator.
std::string_view FileNamePart(std::string_view path);
std::string ExtractFileName(std::string_view path);
// The text from the last "." of the file name on, the dot included ("" when none).
std::string ExtractFileExt(std::string_view path);
// The path with its runs of separators made one and its "." and ".."
// parts resolved by their text alone (links are not looked at): the one
// spelling of a path that a double slash or a "./" leaves alone.
std::string LexicallyNormal(std::string_view path);

// A number as plain decimal text ("-" for negatives, no leading zeros).
std::string DecimalText(long long value);

}  // namespace voicememo
