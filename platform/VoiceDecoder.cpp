#include "VoiceDecoder.h"

#include <unistd.h>

#include "SoundLibraries.h"

namespace voicememo {

VoiceDecoder::VoiceDecoder(int fd) : fd_(fd)
{
    SF_INFO info{};
    info.format = 0;
    const SndFileCalls* sndfile = SndFile();
    file_ = sndfile ? sndfile->sf_open_fd(fd, SFM_READ, &info, SF_FALSE) : nullptr;
    if (file_) {
        rate_ = info.samplerate;
        channels_ = info.channels;
        frames_ = info.frames;
    }
}

VoiceDecoder::~VoiceDecoder()
{
    if (file_)
        SndFile()->sf_close(file_);
    ::close(fd_);
}

std::span<const float> VoiceDecoder::NextChunk()
{
    if (!file_ || channels_ <= 0)
        return {};
    // Made at the first read, once the caller has accepted the channels.
    chunk_.resize(static_cast<std::size_t>(kChunkFrames) * static_cast<std::size_t>(channels_));
    const sf_count_t frames = SndFile()->sf_readf_float(file_, chunk_.data(), kChunkFrames);
    if (frames <= 0)
        return {};
    return std::span<const float>(chunk_).first(static_cast<std::size_t>(frames) * static_cast<std::size_t>(channels_));
}

}  // namespace voicememo
