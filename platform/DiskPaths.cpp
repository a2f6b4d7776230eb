#include "DiskPaths.h"

#include <algorithm>
#include <dirent.h>
#include <string_view>
#include <sys/stat.h>

#include "ByteText.h"
#include "Codepage.h"

namespace voicememo {

bool Exists(const std::string& diskPath)
{
    struct stat info {};
    return ::stat(diskPath.c_str(), &info) == 0;
}

bool IsExistingFile(const std::string& diskPath)
{
    struct stat info {};
    return ::stat(diskPath.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

namespace {

// The names of a folder's entries that keep passes, "." and ".." left out.
template <typename Keep>
std::vector<std::string> EntriesWhere(const std::string& diskFolder, Keep keep)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(diskFolder.empty() ? "." : diskFolder.c_str());
    if (!dir)
        return names;
    while (dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != ".." && keep(*entry))
            names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

}  // namespace

std::vector<std::string> FolderEntries(const std::string& diskFolder)
{
    return EntriesWhere(diskFolder, [](const dirent&) { return true; });
}

// The entries that are not folders themselves; the entry's type spares a
// stat where the file system gives it.
std::vector<std::string> FileEntries(const std::string& diskFolder)
{
    const std::string prefix = diskFolder.empty() || diskFolder.ends_with('/') ? diskFolder : diskFolder + '/';
    return EntriesWhere(diskFolder, [&prefix](const dirent& entry) {
        if (entry.d_type == DT_DIR)
            return false;
        // A link or an entry of unknown type: what it names decides.
        return entry.d_type == DT_REG || IsExistingFile(prefix + entry.d_name);
    });
}

std::optional<std::string> ResolveDiskPath(const std::string& path)
{
    auto converted = Cp932ToUtf8Exact(path);
    if (!converted)
        return std::nullopt;
    const std::string& diskPath = *converted;
    if (diskPath.empty() || Exists(diskPath))
        return diskPath;

    std::string resolved = diskPath[0] == '/' ? "/" : "";
    bool matching = true;  // false once a component is missing: the rest is kept as written
    std::size_t pos = 0;
    while (pos < diskPath.size()) {
        std::size_t end = diskPath.find('/', pos);
        if (end == std::string::npos)
            end = diskPath.size();
        std::string component = diskPath.substr(pos, end - pos);
        pos = end + 1;
        if (component.empty())
            continue;
        std::string folder = resolved;
        std::string candidate = folder + component;
        if (matching && !Exists(candidate)) {
            std::vector<std::string> matches;
            std::string wanted = LowerAscii(component);
            for (auto& name : FolderEntries(folder))
                if (LowerAscii(name) == wanted)
                    matches.push_back(name);
            if (matches.empty()) {
                matching = false;
            } else {
                std::sort(matches.begin(), matches.end());
                candidate = folder + matches.front();
            }
        }
        resolved = candidate;
        if (end < diskPath.size())
            resolved += '/';
    }
    return resolved;
}

}  // namespace voicememo
