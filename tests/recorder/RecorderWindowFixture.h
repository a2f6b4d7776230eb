#pragma once
// The recorder's window opened by a test on a file of its own, with a player
// that plays nothing, and with a private sound server beside it.
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "RecorderTestSupport.h"
#include "RecorderWindow.h"
#include "SoundPlayer.h"
#include "TempFolder.h"

namespace voicememo::testing {

// Plays nothing; notes what it was asked to play and lets the test act
// while "playing".
class FakePlayer : public SoundPlayer {
public:
    void PlayToEnd(const std::string& diskPath, const std::function<void()>& whileWaiting) override
    {
        played.push_back(diskPath);
        if (duringPlay)
            duringPlay();
        for (int i = 0; i < 5; ++i)
            whileWaiting();
    }
    std::vector<std::string> played;
    std::function<void()> duringPlay;
};

class RecorderWindowTest : public ::testing::Test {
protected:
    RecorderWindowTest() { folder.Write("Voice1.wav", ""); }

    template <typename T>
    T* Find(const char* name)
    {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    QPushButton* Button(const char* name) { return Find<QPushButton>(name); }
    QString Status() { return Find<QLabel>("statusLabel")->text(); }

    void Open(const std::string& file = "Voice1.wav")
    {
        window = std::make_unique<RecorderWindow>(folder.path(file).string(), player);
        window->show();
    }

    std::string Spoken(const std::string& words)
    {
        const std::string file = folder.path("spoken.src").string();
        MakeSpokenWav(file, words);
        return file;
    }

    TempFolder folder;
    std::string target = folder.path("Voice1.wav").string();
    FakePlayer player;
    std::unique_ptr<RecorderWindow> window;
};

class RecorderWindowWithServer : public RecorderWindowTest {
protected:
    TestSoundServer server;
};

}  // namespace voicememo::testing
