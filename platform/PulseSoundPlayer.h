#pragma once
// The player of the desktop's sound server (PulseAudio, or PipeWire's
// PulseAudio service).
#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "SoundPlayer.h"

namespace voicememo {

// The desktop's alert sound, played for a voice file that cannot be decoded.
inline constexpr const char* kDesktopAlertSound = "/usr/share/sounds/freedesktop/stereo/bell.oga";

// libsndfile decoding into the sound server's simple API. A server that stops
// answering is given up after the sound's length plus the grace time; the
// playback left behind finishes or fails on its own. When alertSoundPath
// cannot be decoded either, a short beep stands in for it.
class PulseSoundPlayer : public SoundPlayer {
public:
    explicit PulseSoundPlayer(std::chrono::milliseconds grace = std::chrono::seconds(3),
                              std::string alertSoundPath = kDesktopAlertSound);
    void PlayToEnd(const std::string& diskPath, const std::function<void()>& whileWaiting) override;
    void Stop() override;

private:
    std::chrono::milliseconds grace_;
    std::string alertSoundPath_;
    // Set by Stop; shared with the worker of the sound being played, which
    // may outlive the call and this player.
    std::shared_ptr<std::atomic<bool>> stopped_;
};

}  // namespace voicememo
