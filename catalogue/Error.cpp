#include "Error.h"

namespace voicememo {

std::string FormatMessage(std::string_view templ, std::string_view argument)
{
    std::string text(templ);
    if (auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, argument);
    return text;
}

std::string FormatMessage(std::string_view templ, std::string_view first, std::string_view second)
{
    std::string text(templ);
    if (auto at = text.find("%s"); at != std::string::npos) {
        text.replace(at, 2, first);
        // Looked for after the first argument, which may hold "%s" itself.
        if (auto next = text.find("%s", at + first.size()); next != std::string::npos)
            text.replace(next, 2, second);
    }
    return text;
}

}  // namespace voicememo
