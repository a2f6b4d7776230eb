#pragma once
// What the user is told when a deleted memo's voice file stays where it is.
#include <QString>
#include <string>

#include "FileSystem.h"

namespace voicememo {

// One line saying why the file was kept; empty when it went (to the trash,
// deleted) or was not there.
QString KeptVoiceFileNotice(Discard outcome, const std::string& path);

}  // namespace voicememo
