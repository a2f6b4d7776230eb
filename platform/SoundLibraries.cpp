#include "SoundLibraries.h"

#include "Diagnostics.h"
#include "LazyLibrary.h"

namespace voicememo {

namespace {
constexpr const char* kWithoutSound = "音を鳴らせません";
}  // namespace

// Each loaded once, by whichever thread needs it first; never unloaded.
const SndFileCalls* SndFile()
{
    static const auto calls = LazyLibrary::Load<SndFileCalls>({"libsndfile.so.1"}, lcSound, kWithoutSound,
                                                              [](LazyLibrary& loader, SndFileCalls& taken) {
                                                                  loader.Take(taken.open_fd, "sf_open_fd");
                                                                  loader.Take(taken.readf_float, "sf_readf_float");
                                                                  loader.Take(taken.close, "sf_close");
                                                                  loader.Take(taken.strerror, "sf_strerror");
                                                              });
    return calls ? &*calls : nullptr;
}

const PulseCalls* Pulse()
{
    static const auto calls =
        LazyLibrary::Load<PulseCalls>({"libpulse-simple.so.0", "libpulse.so.0"}, lcSound, kWithoutSound,
                                      [](LazyLibrary& loader, PulseCalls& taken) {
                                          loader.Take(taken.simple_new, "pa_simple_new");
                                          loader.Take(taken.simple_write, "pa_simple_write");
                                          loader.Take(taken.simple_drain, "pa_simple_drain");
                                          loader.Take(taken.simple_flush, "pa_simple_flush");
                                          loader.Take(taken.simple_get_latency, "pa_simple_get_latency");
                                          loader.Take(taken.simple_free, "pa_simple_free");
                                          loader.Take(taken.strerror, "pa_strerror");
                                          loader.Take(taken.sample_spec_valid, "pa_sample_spec_valid");
                                      });
    return calls ? &*calls : nullptr;
}

}  // namespace voicememo
