#pragma once
// Where a symbolic link among the program's files may be written through.
// A synced folder or an unpacked archive can carry a link named Voice.dat
// or sorvane.ini that leads to any file of the user's (a shell start-up
// file, the desktop's calendar): writing through it would put our text in
// that file. A link is written through only when it leads to a file within
// the folder that holds it, or to a file bearing its own name (ASCII case
// aside), as a user who keeps the catalogue elsewhere names it.
#include <optional>
#include <string>

namespace voicememo {

// The file the link at diskPath (UTF-8) leads to, as the disk names it,
// when the link may not be written through; nothing when diskPath is no
// link, or one that may be. A link that loops leads nowhere that could be
// written, and gives nothing.
std::optional<std::string> OutwardLinkTarget(const std::string& diskPath);

}  // namespace voicememo
