#include "SyncCopies.h"

#include "ByteText.h"

namespace voicememo {

std::optional<std::string> ConflictCopyOriginal(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    const std::string_view stem = name.substr(0, dot), ext = dot == std::string_view::npos ? "" : name.substr(dot);
    const std::string low = LowerAscii(stem);
    // Syncthing: the tool's marker, its date, time and device after the stem.
    if (const std::size_t at = low.find(".sync-conflict-"); at != std::string::npos && at > 0)
        return std::string(stem.substr(0, at)) + std::string(ext);
    // Nextcloud, ownCloud, Dropbox: the words in brackets after the stem.
    if (const std::size_t open = low.rfind(" ("); open != std::string::npos && open > 0 && low.ends_with(')') &&
                                                  low.find("conflicted copy", open) != std::string::npos)
        return std::string(stem.substr(0, open)) + std::string(ext);
    return std::nullopt;
}

bool IsConflictCopyOf(std::string_view name, std::string_view original)
{
    const auto of = ConflictCopyOriginal(name);
    return of && LowerAscii(*of) == LowerAscii(original);
}

}  // namespace voicememo
