#include "VoicePlayback.h"

#include <QCoreApplication>

#include "ByteText.h"
#include "EscEndsPlayback.h"

namespace voicememo {

void VoicePlayback::Play(const std::string& path)
{
    if (playing_ || !files_.FileExists(path) || LowerAscii(ExtractFileExt(path)) != ".wav")
        return;
    if (auto diskPath = files_.DiskPath(path)) {
        playing_ = true;
        EscEndsPlayback esc([this] { Stop(); });
        player_.PlayToEnd(*diskPath, [] { QCoreApplication::processEvents(); });
        playing_ = false;
    }
}

void VoicePlayback::Stop()
{
    if (playing_)
        player_.Stop();
}

}  // namespace voicememo
