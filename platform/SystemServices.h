#pragma once
// The program's own folder, the local clock and the regional separators.
#include <stdexcept>
#include <string>

#include "Clock.h"

class QString;

namespace voicememo {

// The program's folder when its path cannot stand in the catalogue: a
// character code page 932 has no form for, or a TAB, CR or LF, which would
// split the line of every memo recorded there.
class UnusableFolder : public std::runtime_error {
public:
    enum class Reason { NotInCodePage, BreaksCatalogueLine };
    UnusableFolder(std::string folder, Reason reason);
    // The folder as the system names it (UTF-8), without a trailing "/".
    const std::string& folder() const { return folder_; }
    Reason reason() const { return reason_; }

private:
    std::string folder_;
    Reason reason_;
};

// The folder of the running executable, with a trailing "/", as code page
// 932 text. Throws UnusableFolder when the folder's path cannot stand in
// the catalogue, Error when the executable cannot be found.
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
