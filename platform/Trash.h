#pragma once
// The desktop's trash (freedesktop), from where a user takes a file back.
#include <optional>
#include <string>

namespace voicememo {

// Moves the file (a disk path) to the trash, which notes where it lay;
// returns where it went there, or nothing when no trash can be had (the
// file then stays where it is).
std::optional<std::string> MoveToTrash(const std::string& diskPath);

}  // namespace voicememo
