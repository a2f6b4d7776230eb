#pragma once
// The sound server's default input, read as 16-bit mono at the take's rate
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

    // error is the server's PA_ERR_* code when something fails.
    TakeProblem Open(int& error);
    bool Read(std::int16_t* samples, std::size_t count, int& error);

private:
    pa_simple* stream_ = nullptr;
};

}  // namespace voicememo
