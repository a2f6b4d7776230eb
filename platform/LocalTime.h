#pragma once
// The local clock and the regional separators new memos are recorded with.
#include "Clock.h"

class QString;

namespace voicememo {

class SystemClock : public Clock {
public:
    LocalDateTime Now() override;
};

// The separator a date or time format uses: its first character that is
// neither a letter nor a digit, or the fallback when there is none or it is
// not a single ASCII character.
char SeparatorOfFormat(const QString& format, char fallback);

// Reads the separators from the system locale's short formats at each call,
// so a memo takes those in force when it is added (also after a change of
// the regional settings while the program runs); under the C or POSIX
// locale they are "/" and ":".
class SystemRegionalSettings : public RegionalSettings {
public:
    Separators Current() override;
};

}  // namespace voicememo
