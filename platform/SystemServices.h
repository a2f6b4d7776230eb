#pragma once
// The program's own folder, the local clock and the regional separators.
#include <string>

#include "Clock.h"

class QString;

namespace voicememo {

// The folder of the running executable, with a trailing "/", as code page
// 932 text. Throws Error when the folder's name cannot be held in it.
std::string ExeDir();

class SystemClock : public Clock {
public:
    LocalDateTime Now() override;
};

// The separator a date or time format uses: its first character that is
// neither a letter nor a digit, or the fallback when there is none or it is
// not a single ASCII character.
char SeparatorOfFormat(const QString& format, char fallback);

// Reads the separators from the system locale's short formats at each call,
// so a memo takes those in force when it is added.
class SystemRegionalSettings : public RegionalSettings {
public:
    Separators Current() override;
};

}  // namespace voicememo
