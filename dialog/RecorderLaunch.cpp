#include "RecorderLaunch.h"

#include "Diagnostics.h"

namespace voicememo {

bool StartRecorder(FileSystem& files, ProgramLauncher& launcher, const std::string& exeDir,
                   const std::string& voicePath)
{
    const auto diskExeDir = files.DiskPath(exeDir);
    const auto diskVoicePath = files.DiskPath(voicePath);
    const bool started =
        diskExeDir && diskVoicePath &&
        launcher.Start(*diskExeDir, QString::fromLatin1(kRecorderProgram), {QString::fromStdString(*diskVoicePath)});
    if (!started)
        qCInfo(lcRecorder, "%s を起動できません (プログラムのフォルダーにも PATH にもないか、実行できません)",
               kRecorderProgram);
    return started;
}

}  // namespace voicememo
