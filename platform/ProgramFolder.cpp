#include "ProgramFolder.h"

#include <algorithm>
#include <climits>
#include <unistd.h>

#include "ByteText.h"
#include "CatalogueText.h"
#include "Codepage.h"
#include "Error.h"

namespace voicememo {

std::string ExeDir()
{
    char buffer[PATH_MAX + 1];
    ssize_t length = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (length <= 0)
        throw Error("/proc/self/exe");
    std::string path(buffer, static_cast<std::size_t>(length));
    std::string folder = ExtractFolder(path);
    const std::string named = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
    auto converted = Utf8ToCp932Exact(folder);
    if (!converted)
        throw UnusableFolder(named, UnusableFolder::Reason::NotInCodePage);
    if (std::any_of(converted->begin(), converted->end(),
                    [](char c) { return catalogue_text::kSpaced.inField[static_cast<unsigned char>(c)]; }))
        throw UnusableFolder(named, UnusableFolder::Reason::BreaksCatalogueLine);
    return *converted;
}

UnusableFolder::UnusableFolder(std::string folder, Reason reason)
    : std::runtime_error("unusable program folder"),
      folder_(std::move(folder)),
      reason_(reason)
{
}

}  // namespace voicememo
