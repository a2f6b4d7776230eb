#pragma once
// Small rules over code page 932 byte strings that several parts share.
#include <string>
#include <string_view>
#include <vector>

namespace voicememo {

// Lowers the ASCII letters A to Z only; every other byte stays.
std::string LowerAscii(std::string_view text);

// Whether a byte begins a double-byte character of code page 932.
bool IsLeadByte(char byte);
// The bytes of the character starting at position: 2 for a lead byte with
// its trail byte present, else 1.
std::size_t CharacterLength(std::string_view text, std::size_t position);
// Where the last character of a non-empty text begins.
std::size_t LastCharacterStart(std::string_view text);

// Splits text into lines: a line runs up to the next CR, LF or NUL; after it
// one CR and then one LF are skipped. Everything from the first NUL on is
// ignored; a terminator at the very end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);

// The one place that knows the path separator ("/" here).
inline constexpr char kPathSeparator = '/';

// The folder part of a path with its trailing separator ("" when none).
std::string ExtractFolder(std::string_view path);
// The part after the last separator.
std::string ExtractFileName(std::string_view path);
// The text from the last "." of the file name on, the dot included ("" when none).
std::string ExtractFileExt(std::string_view path);

// A number as plain decimal text ("-" for negatives, no leading zeros).
std::string DecimalText(long long value);

}  // namespace voicememo
