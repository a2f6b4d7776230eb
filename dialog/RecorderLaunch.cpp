#include "RecorderLaunch.h"

#include "PosixFileSystem.h"
#include "ProgramLauncher.h"

namespace voicememo {

bool StartRecorder(const std::string& exeDir, const std::string& voicePath)
{
    const auto diskExeDir = ResolveDiskPath(exeDir);
    const auto diskVoicePath = ResolveDiskPath(voicePath);
    if (!diskExeDir || !diskVoicePath)
        return false;
    return StartCompanionProgram(*diskExeDir, QString::fromLatin1(kRecorderProgram),
                                 {QString::fromStdString(*diskVoicePath)});
}

}  // namespace voicememo
