#pragma once
// One of the sound server's inputs, read as 16-bit mono at the take's rate
// through PulseAudio's simple API. Every call blocks, so the recorder reads
// on a thread of its own.
#include <cstddef>
#include <cstdint>
#include <string>

#include "TakeProblem.h"

struct pa_simple;

namespace voicememo {

class PulseInput {
public:
    PulseInput() = default;
    ~PulseInput();
    PulseInput(const PulseInput&) = delete;
    PulseInput& operator=(const PulseInput&) = delete;

    // Opens the named source, or the server's default when the name is empty
    // or the server has no such source (it was unplugged). error is the
    // server's PA_ERR_* code when something fails.
    TakeProblem Open(const std::string& source, int& error);
    bool Read(std::int16_t* samples, std::size_t count, int& error);

private:
    pa_simple* stream_ = nullptr;
};

}  // namespace voicememo
