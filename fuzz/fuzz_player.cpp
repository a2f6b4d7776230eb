// Any bytes in a voice file named VoiceN.wav, played by the player with no
// sound server to reach (and no alert sound, so an undecodable file falls
// back to the beep): it opens the file, works out the sound's length and
// returns at once.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "PulseSoundPlayer.h"

using namespace voicememo;

namespace {

std::string g_folder;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char pattern[] = "/tmp/voicememo-fuzz-sound-XXXXXX";
    if (!::mkdtemp(pattern))
        std::abort();
    g_folder = pattern;
    std::ofstream(g_folder + "/client.conf") << "autospawn = no\n";
    // No sound server: the player gives up at once.
    ::setenv("PULSE_SERVER", ("unix:" + g_folder + "/no-server").c_str(), 1);
    ::setenv("PULSE_CLIENTCONFIG", (g_folder + "/client.conf").c_str(), 1);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(g_folder, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = g_folder + "/Voice1.wav";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // No alert sound either: a file that does not decode falls back to the beep.
    PulseSoundPlayer player(std::chrono::milliseconds(0), g_folder + "/no-alert.oga");
    int waits = 0;
    player.PlayToEnd(path, [&waits] { ++waits; });
    return 0;
}
