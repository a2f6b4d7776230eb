#include "RecorderLaunch.h"

#include "Diagnostics.h"
#include "PosixFileSystem.h"
#include "ProgramLauncher.h"

namespace voicememo {

bool StartRecorder(const std::string& exeDir, const std::string& voicePath)
{
    const auto diskExeDir = ResolveDiskPath(exeDir);
    const auto diskVoicePath = ResolveDiskPath(voicePath);
    const bool started = diskExeDir && diskVoicePath &&
                         StartCompanionProgram(*diskExeDir, QString::fromLatin1(kRecorderProgram),
                                               {QString::fromStdString(*diskVoicePath)});
    if (!started)
        qCInfo(lcRecorder, "%s を起動できません (プログラムのフォルダにも PATH にもないか、実行できません)",
               kRecorderProgram);
    return started;
}

}  // namespace voicememo
