#include "VoiceFiles.h"

#include "Codepage.h"
#include "DiskPaths.h"
#include "PosixFileSystem.h"

namespace voicememo {

std::string VoiceDiskPath(const VoiceMemo& memo, const std::string& catalogueDir)
{
    const std::string path = memo.FilePath.starts_with('/') ? memo.FilePath : catalogueDir + memo.FilePath;
    // A path with bytes that do not decode is shown with stand-ins.
    return ResolveDiskPath(path).value_or(Cp932ToUtf8(path));
}

}  // namespace voicememo
