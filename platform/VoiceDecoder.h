#pragma once
// The player's decoding of a voice file: libsndfile guesses the format from
// the bytes, and the samples are read as floats, a chunk at a time. The
// fuzz target fuzz_decode runs this same code on any bytes.
#include <cstdint>
#include <span>
#include <vector>

struct sf_private_tag;

namespace voicememo {

class VoiceDecoder {
public:
    // The most frames one chunk holds.
    static constexpr std::int64_t kChunkFrames = 4096;

    // A decoder of the open file fd, which it owns from now on and closes;
    // IsOpen() is false when libsndfile cannot decode the file.
    explicit VoiceDecoder(int fd);
    VoiceDecoder(const VoiceDecoder&) = delete;
    VoiceDecoder& operator=(const VoiceDecoder&) = delete;
    ~VoiceDecoder();

    bool IsOpen() const { return file_ != nullptr; }
    // As the file's header gives them.
    int Rate() const { return rate_; }
    int Channels() const { return channels_; }
    std::int64_t Frames() const { return frames_; }

    // The next interleaved float frames, at most kChunkFrames of them; empty
    // at the end. Reading floats keeps float files audible and scales every
    // other encoding. The chunk stays valid until the next call.
    std::span<const float> NextChunk();

private:
    int fd_;  // outlives the decoder reading it
    sf_private_tag* file_;
    int rate_ = 0;
    int channels_ = 0;
    std::int64_t frames_ = 0;
    std::vector<float> chunk_;
};

}  // namespace voicememo
