#include "PulseInput.h"

#include <pulse/simple.h>

#include "TakeFile.h"

namespace voicememo {

namespace {

// Small fragments keep the level meter lively and let a stop take effect at
// once; the default would hand over seconds of sound at a time.
constexpr pa_usec_t kFragmentUsec = 50'000;

TakeProblem ProblemOf(int error)
{
    switch (error) {
    case PA_ERR_NOENTITY:
        return TakeProblem::NoInput;
    case PA_ERR_TIMEOUT:
        return TakeProblem::ServerNotAnswering;
    default:
        return TakeProblem::NoSoundServer;
    }
}

}  // namespace

PulseInput::~PulseInput()
{
    if (stream_)
        pa_simple_free(stream_);
}

TakeProblem PulseInput::Open(const std::string& source, int& error)
{
    const pa_sample_spec takeFormat{PA_SAMPLE_S16LE, static_cast<uint32_t>(kTakeSampleRate), 1};
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<uint32_t>(-1);
    buffer.tlength = static_cast<uint32_t>(-1);
    buffer.prebuf = static_cast<uint32_t>(-1);
    buffer.minreq = static_cast<uint32_t>(-1);
    buffer.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kFragmentUsec, &takeFormat));
    const auto open = [&](const char* device) {
        return pa_simple_new(nullptr, "voicememo-recorder", PA_STREAM_RECORD, device, "録音", &takeFormat, nullptr,
                             &buffer, &error);
    };
    stream_ = open(source.empty() ? nullptr : source.c_str());
    if (!stream_ && !source.empty() && error == PA_ERR_NOENTITY)
        stream_ = open(nullptr);
    if (stream_)
        return TakeProblem::None;
    return ProblemOf(error);
}

bool PulseInput::Read(std::int16_t* samples, std::size_t count, int& error)
{
    if (stream_ && pa_simple_read(stream_, samples, count * sizeof(std::int16_t), &error) == 0)
        return true;
    if (!stream_)
        error = PA_ERR_BADSTATE;
    return false;
}

}  // namespace voicememo
