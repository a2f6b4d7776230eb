// Any bytes in a voice file, decoded to the end the way the player reads a
// file: libsndfile guesses the format from the bytes, and the samples are
// read as floats, 4096 frames at a time. The player itself (fuzz_player)
// gives up before the first sample when there is no sound server, so the
// decoding is fuzzed here, through a virtual file over the bytes.
//
// libsndfile is the system's library, built without coverage: the fuzzer
// sees only our side of the calls, and finds its way into the decoder by
// mutating the seed files rather than by coverage.
#include <sndfile.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzCheck.h"

namespace {

// The bytes as libsndfile's virtual file.
struct Bytes {
    const std::uint8_t* data;
    sf_count_t size;
    sf_count_t position = 0;
};

sf_count_t Length(void* user) { return static_cast<Bytes*>(user)->size; }

sf_count_t Seek(sf_count_t offset, int whence, void* user)
{
    auto* bytes = static_cast<Bytes*>(user);
    sf_count_t target = whence == SEEK_SET ? offset : whence == SEEK_CUR ? bytes->position + offset : bytes->size + offset;
    if (target < 0)
        return -1;
    bytes->position = target;
    return target;
}

sf_count_t Read(void* out, sf_count_t count, void* user)
{
    auto* bytes = static_cast<Bytes*>(user);
    if (bytes->position >= bytes->size || count <= 0)
        return 0;
    const sf_count_t got = std::min(count, bytes->size - bytes->position);
    std::memcpy(out, bytes->data + bytes->position, static_cast<std::size_t>(got));
    bytes->position += got;
    return got;
}

sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
sf_count_t Tell(void* user) { return static_cast<Bytes*>(user)->position; }

void DecodeAsThePlayerDoes(const std::uint8_t* data, std::size_t size)
{
    Bytes bytes{data, static_cast<sf_count_t>(size)};
    SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
    SF_INFO info{};
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &bytes);
    if (!file)
        return;
    constexpr sf_count_t kChunkFrames = 4096;
    if (info.channels > 0 && info.channels <= 256) {
        std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames) * info.channels);
        sf_count_t total = 0;
        // A header may promise more than the file holds, or loop: stop at a
        // sane length.
        for (sf_count_t got; (got = sf_readf_float(file, chunk.data(), kChunkFrames)) > 0;) {
            FUZZ_CHECK(got <= kChunkFrames);
            total += got;
            if (total > (sf_count_t{1} << 24))
                break;
        }
    }
    sf_close(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DecodeAsThePlayerDoes(data, size);
    return 0;
}
