#pragma once
// The desktop's trash (freedesktop), from where a user takes a file back.
#include <optional>
#include <string>

namespace voicememo {

// Moves the file (an absolute disk path) to the trash, which notes where it
// lay; returns where it went there, or nothing when no safe trash can be had
// on its file system (the file then stays where it is). Only a trash that no
// one else may enter is used: the user's own, or a top folder's trash that
// is ours and private.
std::optional<std::string> MoveToTrash(const std::string& diskPath);

// Where this program's last move of the file at diskPath to the trash put
// it, while the program runs; nothing when it moved none.
std::optional<std::string> WhereTrashed(const std::string& diskPath);

// Moves a file back from the trash (where, as MoveToTrash gave it) to
// diskPath, never over a file there, and takes the trash's note of it away.
// False when it stays where it is.
bool TakeBackFromTrash(const std::string& where, const std::string& diskPath);

}  // namespace voicememo
