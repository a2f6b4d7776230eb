// Keys pressed while the recorder plays a take: only its playback keys act.
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "RecorderWindow.h"
#include "SoundPlayer.h"
#include "TempFolder.h"
#include "TestSoundServer.h"

using namespace voicememo;
using namespace voicememo::testing;

namespace {

// Plays until stopped, or for a while when nobody stops it; the test presses
// its key while the sound plays.
class PlayerUntilStopped : public SoundPlayer {
public:
    void PlayToEnd(const std::string&, const std::function<void()>& whileWaiting) override
    {
        stopped = false;
        if (duringPlay)
            duringPlay();
        for (int round = 0; round < 20 && !stopped; ++round)
            whileWaiting();
    }
    void Stop() override
    {
        stopped = true;
        ++stops;
    }
    bool stopped = false;
    int stops = 0;
    std::function<void()> duringPlay;
};

struct KeyCase {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool endsPlayback;
};

void PrintTo(const KeyCase& row, std::ostream* out) { *out << row.name; }

class RecorderPlaybackKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(RecorderPlaybackKeys, OnlyEscAndTheStopKeyActWhileATakePlays)
{
    const KeyCase& row = GetParam();
    // The focus on either button that can be pressed while a take plays.
    for (const char* focused : {"stopButton", "closeButton"}) {
        TempFolder folder;
        TestSoundServer::UseNoServer(folder.path("").string());
        folder.Write("Voice1.wav", "RIFF an earlier take");
        PlayerUntilStopped player;
        RecorderWindow window(folder.path("Voice1.wav").string(), player);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        auto* button = window.findChild<QPushButton*>(QString::fromLatin1(focused));
        bool stillPlayingAfterKey = false;
        bool aButtonPressed = false;
        player.duringPlay = [&] {
            button->setFocus();
            QTest::keyClick(button, row.key, row.modifiers);
            stillPlayingAfterKey = !player.stopped;
            // An underlined letter holds its button down, to click a moment later.
            for (const QPushButton* any : window.findChildren<QPushButton*>())
                aButtonPressed = aButtonPressed || any->isDown();
        };
        window.PlayTake();
        EXPECT_EQ(stillPlayingAfterKey, !row.endsPlayback) << "focus on " << focused;
        EXPECT_FALSE(aButtonPressed) << "focus on " << focused;
        EXPECT_EQ(player.stops, row.endsPlayback ? 1 : 0) << "focus on " << focused;
        EXPECT_TRUE(window.isVisible()) << "focus on " << focused;
        EXPECT_TRUE(window.findChild<QPushButton*>(QStringLiteral("playButton"))->isEnabled());
        // Once the take has played, keys press buttons again.
        window.findChild<QPushButton*>(QStringLiteral("closeButton"))->setFocus();
        QTest::keyClick(window.focusWidget(), Qt::Key_Space);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); })) << "focus on " << focused;
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, RecorderPlaybackKeys,
                         ::testing::Values(
                             // A screen reader's "where am I" key.
                             KeyCase{"KeypadEnter", Qt::Key_Enter, Qt::KeypadModifier, false},
                             KeyCase{"Enter", Qt::Key_Return, Qt::NoModifier, false},
                             KeyCase{"Space", Qt::Key_Space, Qt::NoModifier, false},
                             KeyCase{"AltCCloses", Qt::Key_C, Qt::AltModifier, false},
                             KeyCase{"AltRRecords", Qt::Key_R, Qt::AltModifier, false},
                             KeyCase{"Esc", Qt::Key_Escape, Qt::NoModifier, true},
                             KeyCase{"AltSStops", Qt::Key_S, Qt::AltModifier, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
