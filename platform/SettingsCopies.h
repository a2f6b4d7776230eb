#pragma once
// The sync tool's conflict copies of the settings file shared with the
// calendar (sorvane.sync-conflict-….ini beside sorvane.ini).
#include <cstddef>
#include <string>

#include "FileSystem.h"

namespace voicememo {

// Moves to the trash each conflict copy of the settings file that differs
// from it in nothing but the window's place ([Voice] Left and Top): two
// machines closed the window at once, and the place one of them kept is of
// no use to the user. A copy that differs in anything else is left for the
// user, as is every copy while the settings file cannot be read. Returns
// how many went.
std::size_t DiscardPlaceOnlySettingsCopies(FileSystem& files, const std::string& exeDir);

}  // namespace voicememo
