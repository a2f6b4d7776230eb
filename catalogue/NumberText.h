#pragma once
// The number syntax of the dialog's year and month boxes and of the settings
// file: leading spaces, then an optional sign and decimal digits, or "$" and
// up to eight significant hexadecimal digits; nothing may follow.
#include <cstdint>
#include <optional>
#include <string_view>

namespace voicememo {

// The value, or nothing when the text is not a number. A decimal value must
// lie within -2147483647..2147483647; a hexadecimal one is a 32-bit
// two's-complement pattern ("$FFFFFFFF" is -1).
std::optional<std::int32_t> ParseNumber(std::string_view text);

// The text as a number, or the default when it is not one.
std::int32_t NumberOr(std::string_view text, std::int32_t fallback);

}  // namespace voicememo
