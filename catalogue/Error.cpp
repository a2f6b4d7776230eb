#include "Error.h"

namespace voicememo {

std::string FormatMessage(std::string_view templ, std::string_view argument)
{
    std::string text(templ);
    if (auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, argument);
    return text;
}

}  // namespace voicememo
