// Any bytes in a voice file, decoded to the end by the player's own decoder
// (VoiceDecoder): libsndfile guesses the format from the bytes, and the
// samples are read as floats, a chunk at a time. The player itself
// (fuzz_player) gives up before the first sample when there is no sound
// server, so the decoding is fuzzed here, on a file in memory.
//
// libsndfile is the system's library, built without coverage: the fuzzer
// sees only our side of the calls, and finds its way into the decoder by
// mutating the seed files rather than by coverage.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "FuzzCheck.h"
#include "VoiceDecoder.h"

using namespace voicememo;

namespace {

// The bytes as an open file, as the player opens a voice file.
int FileOf(const std::uint8_t* data, std::size_t size)
{
    const int fd = ::memfd_create("voice", MFD_CLOEXEC);
    if (fd < 0)
        std::abort();
    for (std::size_t written = 0; written < size;) {
        const ssize_t got = ::write(fd, data + written, size - written);
        if (got <= 0)
            std::abort();
        written += static_cast<std::size_t>(got);
    }
    if (::lseek(fd, 0, SEEK_SET) != 0)
        std::abort();
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    VoiceDecoder decoder(FileOf(data, size));
    // The player stops at the sound server's 32 channels; past 256, each
    // chunk would only grow large.
    if (!decoder.IsOpen() || decoder.Channels() <= 0 || decoder.Channels() > 256)
        return 0;
    const auto channels = static_cast<std::size_t>(decoder.Channels());
    std::int64_t total = 0;
    // A header may promise more than the file holds, or loop: stop at a sane
    // length.
    for (auto chunk = decoder.NextChunk(); !chunk.empty(); chunk = decoder.NextChunk()) {
        FUZZ_CHECK(chunk.size() % channels == 0 && chunk.size() <= VoiceDecoder::kChunkFrames * channels);
        total += static_cast<std::int64_t>(chunk.size() / channels);
        if (total > (std::int64_t{1} << 24))
            break;
    }
    return 0;
}
