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

    // Ends the sound that PlayToEnd plays, so that it returns at once; called
    // from whileWaiting (a button pressed meanwhile). A player that cannot
    // end a sound early plays it to its end.
    virtual void StopPlaying() {}
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
    // The sound ends within a quarter of a second: no more is handed to the
    // server ahead of it.
    void StopPlaying() override;

private:
    std::chrono::milliseconds grace_;
    std::string alertSoundPath_;
    // The playing sound's stop, shared with the worker that plays it.
    std::shared_ptr<std::atomic<bool>> stopWanted_;
};

}  // namespace voicememo
