#pragma once
// What the programs need of a player: a voice file played to its end, as the
// dialog's Play command expects, or until it is stopped. PulseSoundPlayer.h
// plays through the desktop's sound server.
#include <functional>
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

}  // namespace voicememo
