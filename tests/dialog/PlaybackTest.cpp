// Playback through the real player and a private sound server, heard on the
// server's monitor.
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <chrono>

#include "DialogHarness.h"
#include "DialogTestMain.h"
#include "PulseSoundPlayer.h"
#include "TestSoundServer.h"

using namespace voicememo;
using namespace voicememo::testing;

class PlaybackTest : public QObject {
    Q_OBJECT
private slots:
    void escOrACloseEndsTheSoundAndNothingElse_data();
    void escOrACloseEndsTheSoundAndNothingElse();
    void aScreenReadersFilterStillSeesKeysDuringTheSound();
};

namespace {

using Steady = std::chrono::steady_clock;

double Seconds(Steady::time_point from, Steady::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// True while a client plays into the server (the loopback is no client).
bool ServerPlays(const TempFolder& scratch)
{
    const std::string listing = scratch.path("sink-inputs").string();
    RunProgram({"pactl", "list", "short", "sink-inputs"}, listing);
    return ReadText(listing).find("protocol-native") != std::string::npos;
}

}  // namespace

void PlaybackTest::escOrACloseEndsTheSoundAndNothingElse_data()
{
    QTest::addColumn<bool>("close");
    QTest::newRow("Esc") << false;
    QTest::newRow("a close") << true;
}

// Esc or a close (the window's, the window manager's, SIGTERM's), once the
// sound is heard, ends it within half a second on the speaker, and Play
// returns; Esc leaves the window open with its memo, a close then closes it
// as usual. An underlined letter meanwhile does nothing (Alt+E would ask a
// question nothing could answer, or delete the memo being played).
void PlaybackTest::escOrACloseEndsTheSoundAndNothingElse()
{
    QFETCH(bool, close);
    TestSoundServer server;
    PulseSoundPlayer player;
    Harness h;
    const std::string voice = h.folder.path("data/Voice1.wav").string();
    QCOMPARE(RunProgram({"sox", "-n", "-r", "22050", "-c", "1", "-b", "16", voice, "synth", "10", "sine", "440"}), 0);
    h.folder.Write("Voice.dat", "A\t" + h.exeDir + "data/Voice1.wav\t2026/12/07\t09:05:30\tTODO\t\r\n");
    TForm1 form(DialogServices{h.files, h.clock, h.regional, player, h.launcher, h.exeDir});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.findChild<MemoListView*>(QStringLiteral("ListView1"))->selectRow(0);
    form.ListView1Click();

    TempFolder scratch;
    std::optional<Steady::time_point> escAt;
    QTimer listen;
    QObject::connect(&listen, &QTimer::timeout, &form, [&] {
        if (escAt || !ServerPlays(scratch))
            return;
        // A shortcut taken would press its button down at once (its click follows).
        QTest::keyClick(&form, Qt::Key_E, Qt::AltModifier);
        QTest::keyClick(&form, Qt::Key_R, Qt::AltModifier);
        QVERIFY(!form.findChild<QPushButton*>(QStringLiteral("BitBtn3"))->isDown());
        QVERIFY(!form.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->isDown());
        escAt = Steady::now();
        if (close)
            QVERIFY(!form.close());  // done once the sound has stopped
        else
            QTest::keyClick(&form, Qt::Key_Escape);
    });
    SpeakerCapture capture((server.dir() / "capture.wav").string());
    listen.start(20);
    const auto playedAt = Steady::now();
    form.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
    const auto returnedAt = Steady::now();
    listen.stop();
    const double heard = VoicedSeconds(capture.Stop());

    QVERIFY2(escAt, "the sound was never heard");
    QVERIFY2(Seconds(*escAt, returnedAt) < 0.5, "Play went on after Esc");
    QVERIFY2(heard < Seconds(playedAt, *escAt) + 0.5, qPrintable(QString::number(heard) + " s heard"));
    QVERIFY(heard > 0);
    QCOMPARE(form.isVisible(), !close);
    QCOMPARE(form.Memos().count(), 1);
    QCOMPARE(h.launcher.starts, 0);
    QCOMPARE(h.folder.Exists("sorvane.ini"), close);
}

// The accessibility bridge sets up its filter once the program runs, after
// the window: while a sound plays it must still see each key (and hand it
// to the screen reader); the window itself takes none.
void PlaybackTest::aScreenReadersFilterStillSeesKeysDuringTheSound()
{
    Harness h;
    h.folder.Write("data/Voice1.wav", "RIFF");
    h.folder.Write("Voice.dat", "A\t" + h.exeDir + "data/Voice1.wav\t2026/12/07\t09:05:30\tTODO\t\r\n");
    TForm1& form = h.Open();
    h.ClickRow(0);
    struct KeySeen : QObject {
        int keys = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::KeyPress && event->spontaneous()) {
                const int key = static_cast<QKeyEvent*>(event)->key();
                keys += key == Qt::Key_Delete || key == Qt::Key_E;
            }
            return false;
        }
    } bridge;
    qApp->installEventFilter(&bridge);
    h.player.observe = [&](const std::string& path) {
        QTest::keyClick(&form, Qt::Key_Delete);
        QTest::keyClick(&form, Qt::Key_E, Qt::AltModifier);
        return ListeningPlayer::Played{path, form.EditIndex(), false};
    };
    form.BitBtn2Click();
    QCOMPARE(h.player.played.size(), std::size_t(1));
    QCOMPARE(bridge.keys, 2);
    QCOMPARE(form.Memos().count(), 1);
}

VOICEMEMO_DIALOG_TEST_MAIN(PlaybackTest)
#include "PlaybackTest.moc"
