// Takes that killed recorders left in the data folder, as the window meets
// them at its start: each is mended into its memo's empty file, or kept
// beside the take its memo's file holds and given a memo of its own.
#include <QTest>

#include "DialogHarness.h"
#include "DialogTestMain.h"
#include "KilledTakes.h"
#include "MemoSteps.h"

using namespace voicememo;
using namespace voicememo::testing;
using namespace std::string_literals;

namespace {

std::string Little32(std::uint32_t value)
{
    return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
            static_cast<char>(value >> 24)};
}

// A 16-bit mono take as SIGKILL leaves it: its sizes 0, a frame cut in half.
std::string KilledTake(std::uint32_t frames)
{
    const std::string format = "\x01\x00\x01\x00"s + Little32(22050) + Little32(44100) + "\x02\x00\x10\x00"s;
    return "RIFF" + Little32(0) + "WAVEfmt " + Little32(16) + format + "data" + Little32(0) +
           std::string(frames * 2, '\x05') + "\x05";
}

// The whole frames of a take the window may play: its sizes those of its file.
bool MendedOf(const std::string& bytes, std::uint32_t frames)
{
    return bytes.size() == 44 + frames * 2 && bytes.substr(4, 4) == Little32(bytes.size() - 8) &&
           bytes.substr(40, 4) == Little32(frames * 2);
}

}  // namespace

class KilledTakeWindowTest : public QObject {
    Q_OBJECT
private slots:
    void killedTakesAreMendedAndEachHasAMemo();
};

void KilledTakeWindowTest::killedTakesAreMendedAndEachHasAMemo()
{
    Harness h;
    h.folder.Write("data/Voice1.wav", "");  // reserved by 録音; its recorder was killed
    h.folder.Write("data/.Voice1.wav.take-" + ThisMachineId() + "-aB3dE9", KilledTake(1000));
    h.folder.Write("data/Voice2.wav", "an earlier take");
    h.folder.Write("data/.Voice2.wav.take-" + ThisMachineId() + "-Zz9Yy8", KilledTake(300));
    const std::string elsewhere = "data/.Voice2.wav.take-0123456789abcdef0123456789abcdef-Qq1Ww2";
    h.folder.Write(elsewhere, KilledTake(10));
    WriteCatalogue(h, {Memo("A", h.exeDir + "data/Voice1.wav"), Memo("B", h.exeDir + "data/Voice2.wav")});

    BoxAnswerer box;
    TForm1& form = h.Open();
    QTRY_COMPARE(form.Memos().count(), 3);
    QVERIFY(box.seen);
    QCOMPARE(box.text, QStringLiteral("同じ番号で別に録音されたボイスファイルが見つかり、"
                                      "ボイスメモ「B（別の録音）」として追加しました。"));
    QVERIFY(MendedOf(h.folder.Read("data/Voice1.wav"), 1000));
    QCOMPARE(h.folder.Read("data/Voice2.wav"), "an earlier take"s);
    QCOMPARE(form.Memos().memo(2).FilePath, h.exeDir + "data/Voice3.wav");
    QVERIFY(MendedOf(h.folder.Read("data/Voice3.wav"), 300));
    // Another machine's take is its to finish, recorded still or not.
    QCOMPARE(h.folder.Entries("data"),
             (std::vector<std::string>{elsewhere.substr(5), "Voice1.wav", "Voice2.wav", "Voice3.wav"}));
    QCOMPARE(h.folder.Read(elsewhere), KilledTake(10));
    QVERIFY(form.close());
}

VOICEMEMO_DIALOG_TEST_MAIN(KilledTakeWindowTest)

#include "KilledTakeWindowTest.moc"
