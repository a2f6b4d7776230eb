#pragma once
// Where a memo's voice file lies on disk, for what hands it to other
// programs: the printed list, the calendar feed, the player.
#include <string>

#include "VoiceMemo.h"

namespace voicememo {

// The voice file's path on disk (UTF-8), as the file system resolves the
// code page 932 path the memo holds; a relative one is taken from the
// catalogue's folder (code page 932, with a trailing "/").
std::string VoiceDiskPath(const VoiceMemo& memo, const std::string& catalogueDir);

}  // namespace voicememo
