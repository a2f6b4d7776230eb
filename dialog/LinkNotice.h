#pragma once
// What the window says at start when Voice.dat or sorvane.ini is a link that
// leads out of the folder (OutwardLinks.h): that file is then only read.
#include <QString>
#include <optional>
#include <string>

#include "FileSystem.h"

namespace voicememo {

// One line naming each such link and the file it leads to, as the user
// sees them: the catalogue opened read-only, the window's place not kept.
// Empty when neither is such a link. catalogueTarget is where Voice.dat
// leads, as its load found it (CatalogueFile::linkLeadingOut).
QString OutwardLinksNotice(FileSystem& files, const std::string& exeDir,
                           const std::optional<std::string>& catalogueTarget);

}  // namespace voicememo
