#pragma once
// The sound libraries, loaded when the first sound is decoded or played
// rather than at every start: the window needs them only for 再生, and
// loading them (libsndfile with its codecs, libpulse) cost each start
// memory and time. Their functions are called through these tables, typed
// from the libraries' own headers.
#include <pulse/error.h>
#include <pulse/simple.h>
#include <sndfile.h>

#include "LazyLibrary.h"

namespace voicememo {

#define VOICEMEMO_SNDFILE_CALLS(CALL) CALL(sf_open_fd) CALL(sf_readf_float) CALL(sf_close) CALL(sf_strerror)
#define VOICEMEMO_PULSE_CALLS(CALL)                                                                                    \
    CALL(pa_simple_new)                                                                                                \
    CALL(pa_simple_write)                                                                                              \
    CALL(pa_simple_drain)                                                                                              \
    CALL(pa_simple_flush)                                                                                              \
    CALL(pa_simple_get_latency)                                                                                        \
    CALL(pa_simple_free)                                                                                               \
    CALL(pa_strerror)                                                                                                  \
    CALL(pa_sample_spec_valid)

struct SndFileCalls {
    VOICEMEMO_SNDFILE_CALLS(VOICEMEMO_DECLARE_CALL)
};

struct PulseCalls {
    VOICEMEMO_PULSE_CALLS(VOICEMEMO_DECLARE_CALL)
};

// The library's calls, loaded at the first call to this; null when the
// library or one of its calls cannot be had (the reason is logged once).
const SndFileCalls* SndFile();
const PulseCalls* Pulse();

}  // namespace voicememo
