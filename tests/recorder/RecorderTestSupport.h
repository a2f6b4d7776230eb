#pragma once
// What the recorder tests share: waiting while Qt runs, reading a WAV's
// format, and finding the takes' temporary files.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <sndfile.h>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "TestSoundServer.h"

namespace voicememo::testing {

// Calls meanwhile() until done() holds or the time is up; tells whether it held.
template <typename Done, typename Meanwhile>
bool PollUntil(Done done, std::chrono::milliseconds limit, Meanwhile meanwhile)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limit.count())
            return false;
        meanwhile();
    }
    return true;
}

// Runs Qt's events until done() holds or the time is up; tells whether it held.
template <typename Done>
bool WaitUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(5))
{
    return PollUntil(done, limit, [] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    });
}

// Waits as WaitUntil does without running Qt's events, which a forked child
// shares with the test that forked it.
template <typename Done>
bool WaitInChild(Done done, std::chrono::milliseconds limit)
{
    return PollUntil(done, limit, [] { QThread::msleep(5); });
}

inline void RunEventsFor(std::chrono::milliseconds span)
{
    WaitUntil([] { return false; }, span);
}

// Plays a file into the test server's speaker and runs Qt's events until the
// playback is over.
inline void PlayIntoSpeaker(const std::string& file)
{
    const pid_t player = SpawnProgram({"paplay", file});
    int status = 0;
    WaitUntil([&] { return ::waitpid(player, &status, WNOHANG) == player; }, std::chrono::seconds(30));
}

struct WavFormat {
    bool opens = false;
    int format = 0;
    int channels = 0;
    int sampleRate = 0;
    long long frames = 0;
};

inline WavFormat ReadWavFormat(const std::string& file)
{
    SF_INFO info{};
    SNDFILE* sound = sf_open(file.c_str(), SFM_READ, &info);
    if (!sound)
        return {};
    sf_close(sound);
    return {true, info.format, info.channels, info.samplerate, static_cast<long long>(info.frames)};
}

inline bool IsTakeWav(const WavFormat& wav)
{
    return wav.opens && wav.format == (SF_FORMAT_WAV | SF_FORMAT_PCM_16) && wav.channels == 1 &&
           wav.sampleRate == 22050;
}

// The hidden files in a folder: where the takes' temporary files would be.
inline std::vector<std::string> HiddenFiles(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("."))
            names.push_back(entry.path().filename().string());
    return names;
}

// Whether a WAV's header gives exactly the sizes its file has, whole frames
// of 16-bit mono: what a player that trusts the header needs (libsndfile
// forgives a header that does not).
inline bool HeaderSizesMatch(const std::string& bytes)
{
    const auto little32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 4; i-- > 0;)
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    const std::size_t data = bytes.find("data");
    if (bytes.size() < 44 || data == std::string::npos || data + 8 > bytes.size())
        return false;
    const std::size_t sound = bytes.size() - data - 8;
    return little32(4) == bytes.size() - 8 && little32(data + 4) == sound && sound % 2 == 0;
}

inline std::uintmax_t SizeOf(const std::filesystem::path& file)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    return error ? 0 : size;
}

}  // namespace voicememo::testing
