#pragma once
// The copies a sync tool leaves beside a file that two machines changed at
// once, each holding the version that did not win:
//   Voice.sync-conflict-20261208-095432-O4QUNXO.dat   (Syncthing)
//   Voice (conflicted copy 2026-12-08 095432).dat     (Nextcloud, ownCloud)
//   Voice (Someone's conflicted copy 2026-12-08).dat  (Dropbox)
#include <optional>
#include <string>
#include <string_view>

namespace voicememo {

// The name of the file whose conflict copy the name is; nothing for any
// other name. Compared without regard to ASCII case.
std::optional<std::string> ConflictCopyOriginal(std::string_view name);

// Whether the name is a conflict copy of the file of that name (ASCII case
// ignored).
bool IsConflictCopyOf(std::string_view name, std::string_view original);

}  // namespace voicememo
