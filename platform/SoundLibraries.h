#pragma once
// The sound libraries, loaded when the first sound is decoded or played
// rather than at every start: the window needs them only for 再生, and
// loading them (libsndfile with its codecs, libpulse) cost each start
// memory and time. Their functions are called through these tables, typed
// from the libraries' own headers.
#include <pulse/error.h>
#include <pulse/simple.h>
#include <sndfile.h>

namespace voicememo {

struct SndFileCalls {
    decltype(&::sf_open_fd) open_fd;
    decltype(&::sf_readf_float) readf_float;
    decltype(&::sf_close) close;
    decltype(&::sf_strerror) strerror;
};

struct PulseCalls {
    decltype(&::pa_simple_new) simple_new;
    decltype(&::pa_simple_write) simple_write;
    decltype(&::pa_simple_drain) simple_drain;
    decltype(&::pa_simple_flush) simple_flush;
    decltype(&::pa_simple_get_latency) simple_get_latency;
    decltype(&::pa_simple_free) simple_free;
    decltype(&::pa_strerror) strerror;
    decltype(&::pa_sample_spec_valid) sample_spec_valid;
};

// The library's calls, loaded at the first call to this; null when the
// library or one of its calls cannot be had (the reason is logged once).
const SndFileCalls* SndFile();
const PulseCalls* Pulse();

}  // namespace voicememo
