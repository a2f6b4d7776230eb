#pragma once
// A memo's voice file played to its end while the window waits: the window
// repaints meanwhile but takes no input of the user but Esc, which ends the
// sound (EscEndsPlayback), so nothing changes under the sound. A close ends
// the sound at once and is done once Play has returned.
#include <string>

#include "EscEndsPlayback.h"
#include "FileSystem.h"
#include "SoundPlayer.h"

namespace voicememo {

class VoicePlayback {
public:
    // Made with the window (EscEndsPlayback says why).
    VoicePlayback(FileSystem& files, SoundPlayer& player) : files_(files), player_(player) {}

    // Plays the file, an existing .wav one only, to its end or until Stop.
    void Play(const std::string& path);
    bool playing() const { return playing_; }
    // Ends the sound being played; Play returns.
    void Stop();

private:
    FileSystem& files_;
    SoundPlayer& player_;
    EscEndsPlayback input_;
    bool playing_ = false;
};

}  // namespace voicememo
