#include "SoundLibraries.h"

#include "Diagnostics.h"

namespace voicememo {

namespace {
constexpr const char* kWithoutSound = "音を鳴らせません";
}  // namespace

// Each loaded once, by whichever thread needs it first; never unloaded.
const SndFileCalls* SndFile()
{
    static const auto calls = LazyLibrary::Load<SndFileCalls>({"libsndfile.so.1"}, lcSound, kWithoutSound,
                                                              [](LazyLibrary& library, SndFileCalls& calls) {
                                                                  VOICEMEMO_SNDFILE_CALLS(VOICEMEMO_TAKE_CALL)
                                                              });
    return calls ? &*calls : nullptr;
}

const PulseCalls* Pulse()
{
    static const auto calls = LazyLibrary::Load<PulseCalls>({"libpulse-simple.so.0", "libpulse.so.0"}, lcSound,
                                                            kWithoutSound, [](LazyLibrary& library, PulseCalls& calls) {
                                                                VOICEMEMO_PULSE_CALLS(VOICEMEMO_TAKE_CALL)
                                                            });
    return calls ? &*calls : nullptr;
}

}  // namespace voicememo
