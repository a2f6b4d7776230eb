#pragma once
// Names on the disk: the folder walks, and the disk path (UTF-8) a code page
// 932 path names, found without regard to ASCII case as on the system whose
// files the calendar shares with us.
#include <optional>
#include <string>
#include <vector>

namespace voicememo {

// Whether something (anything but a folder, for IsExistingFile) is there.
bool Exists(const std::string& diskPath);
bool IsExistingFile(const std::string& diskPath);

// The names of a folder's entries, "." and ".." left out.
std::vector<std::string> FolderEntries(const std::string& diskFolder);
// The names of the entries that are not folders themselves.
std::vector<std::string> FileEntries(const std::string& diskFolder);

// The disk path (UTF-8) a code page 932 path names: each component that does
// not exist as written is matched against its folder's entries without
// regard to ASCII case. Nothing when the path cannot be converted.
std::optional<std::string> ResolveDiskPath(const std::string& path);

}  // namespace voicememo
