#pragma once
// The one error type of the program: it carries the message the user sees,
// as code page 932 bytes like every other text of the catalogue.
#include <stdexcept>
#include <string>
#include <string_view>

namespace voicememo {

class Error : public std::runtime_error {
public:
    explicit Error(std::string message) : std::runtime_error(message) {}
    // The message as code page 932 bytes.
    std::string message() const { return what(); }
};

// Replaces the first "%s" of a message template by the argument.
std::string FormatMessage(std::string_view templ, std::string_view argument);
// Replaces the first "%s" by the first argument, and the next one by the
// second.
std::string FormatMessage(std::string_view templ, std::string_view first, std::string_view second);

}  // namespace voicememo
