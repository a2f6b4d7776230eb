#include "OutwardLinks.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sys/stat.h>

#include "ByteText.h"
#include "FileIdentity.h"

namespace voicememo {

namespace {

std::optional<std::string> RealPath(const std::string& diskPath)
{
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(diskPath.c_str(), nullptr), &std::free);
    return real ? std::optional<std::string>(real.get()) : std::nullopt;
}

// Where the file lies with every link and "." or ".." resolved; a file
// still to be made lies in its folder's real place.
std::optional<std::string> RealPlace(const std::string& diskPath)
{
    if (auto real = RealPath(diskPath))
        return real;
    const std::string folder = ExtractFolder(diskPath);
    const auto realFolder = RealPath(folder.empty() ? std::string(".") : folder);
    if (!realFolder)
        return std::nullopt;
    return (realFolder->ends_with(kPathSeparator) ? *realFolder : *realFolder + kPathSeparator) +
           ExtractFileName(diskPath);
}

}  // namespace

std::optional<std::string> OutwardLinkTarget(const std::string& diskPath)
{
    struct stat info {};
    if (::lstat(diskPath.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return std::nullopt;
    const auto end = FollowLinks(diskPath);
    if (!end)
        return std::nullopt;
    const std::string linkFolder = ExtractFolder(diskPath);
    const auto folder = RealPath(linkFolder.empty() ? std::string(".") : linkFolder);
    const auto place = RealPlace(*end);
    const std::string target = place ? *place : std::filesystem::path(*end).lexically_normal().string();
    if (LowerAscii(ExtractFileName(target)) == LowerAscii(ExtractFileName(diskPath)))
        return std::nullopt;
    // A target whose folder is missing cannot be told to be within ours.
    if (!folder || !place)
        return target;
    const std::string within = folder->ends_with(kPathSeparator) ? *folder : *folder + kPathSeparator;
    return place->starts_with(within) ? std::nullopt : place;
}

}  // namespace voicememo
