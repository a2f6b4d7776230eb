#pragma once
// Plays a voice file through the sound server's default output and returns
// only when the sound has ended, as the dialog's Play command expects.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace voicememo {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;

    // Plays the file at diskPath (a UTF-8 path on disk) to its end. While the
    // sound plays, whileWaiting runs every few milliseconds (the dialog
    // repaints there). A file that cannot be decoded plays the desktop's
    // alert sound instead; with no sound server nothing plays. Nothing is
    // reported: playback is best effort.
    virtual void PlayToEnd(const std::string& diskPath, const std::function<void()>& whileWaiting) = 0;

    // Ends the sound being played at once (called from whileWaiting):
    // PlayToEnd returns. Nothing when no sound plays; a player that cannot
    // end a sound early plays it to its end.
    virtual void Stop() {}
};

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
