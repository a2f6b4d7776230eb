#pragma once
// The program's own folder, where all its files lie.
#include <stdexcept>
#include <string>

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

}  // namespace voicememo
