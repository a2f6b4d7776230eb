#pragma once
// Conversion between code page 932 (the bytes of our files and of the
// catalogue's texts) and UTF-8 (Qt's and the file system's text), with the
// Windows code page 932 table.
#include <optional>
#include <string>
#include <string_view>

namespace voicememo {

// Bytes that do not decode become U+FFFD, one per byte.
std::string Cp932ToUtf8(std::string_view bytes);
// Nothing when some byte does not decode.
std::optional<std::string> Cp932ToUtf8Exact(std::string_view bytes);

// A character code page 932 cannot hold (or a malformed UTF-8 sequence)
// becomes "?", as an ANSI program stores it.
std::string Utf8ToCp932(std::string_view utf8);
// Nothing when some character cannot be held, or only as another
// character's bytes: the result always decodes back to the same text.
std::optional<std::string> Utf8ToCp932Exact(std::string_view utf8);

}  // namespace voicememo
