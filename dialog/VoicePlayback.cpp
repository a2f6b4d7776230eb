#include "VoicePlayback.h"

#include <QCoreApplication>
#include <QScopeGuard>

#include "ByteText.h"

namespace voicememo {

void VoicePlayback::Play(const std::string& path)
{
    if (playing_ || !files_.FileExists(path) || LowerAscii(ExtractFileExt(path)) != ".wav")
        return;
    if (auto diskPath = files_.DiskPath(path)) {
        playing_ = true;
        input_.setStop([this] { Stop(); });
        const auto ended = qScopeGuard([this] {
            input_.setStop({});
            playing_ = false;
        });
        player_.PlayToEnd(*diskPath, [] { QCoreApplication::processEvents(); });
    }
}

void VoicePlayback::Stop()
{
    if (playing_)
        player_.Stop();
}

}  // namespace voicememo
