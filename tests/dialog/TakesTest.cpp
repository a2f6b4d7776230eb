// The takes of a folder shared by two machines, as the window meets them: a
// sync tool's copy of a take that arrives while the window is open, a
// deleted memo's take that a change on the other machine brings back, and
// the window's place that two machines close at.
#include <QTest>
#include <chrono>
#include <ctime>
#include <filesystem>

#include "DialogHarness.h"
#include "DialogTestMain.h"
#include "MemoListView.h"
#include "MemoSteps.h"

using namespace voicememo;
using namespace voicememo::testing;
using namespace std::string_literals;

namespace {

// "会議" and "会議（別のコンピューター）"
const std::string kMeeting = "\x89\xef\x8b\x63";
const std::string kMeetingElsewhere =
    kMeeting + "\x81\x69\x95\xca\x82\xcc\x83\x52\x83\x93\x83\x73\x83\x85\x81\x5b\x83\x5e\x81\x5b\x81\x6a";

// Puts a file in place as a sync tool does: written under another name,
// its time set, and renamed.
void Arrive(Harness& h, const std::string& name, const std::string& bytes, std::time_t modified = 0)
{
    h.folder.Write(".syncthing.tmp", bytes);
    if (modified)
        std::filesystem::last_write_time(h.folder.path(".syncthing.tmp"),
                                         std::filesystem::file_time_type::clock::from_sys(
                                             std::chrono::sys_seconds(std::chrono::seconds(modified))));
    std::filesystem::rename(h.folder.path(".syncthing.tmp"), h.folder.path(name));
}

std::string LocalDate(std::time_t at, bool date)
{
    std::tm local{};
    ::localtime_r(&at, &local);
    char text[16];
    std::strftime(text, sizeof text, date ? "%Y/%m/%d" : "%H:%M:%S", &local);
    return text;
}

}  // namespace

class TakesTest : public QObject {
    Q_OBJECT
private slots:
    void aCopyFromTheOtherMachineGetsAMemo();
    void aDeletedMemoBroughtBackBringsItsTakeBack();
    void theSamePlaceIsNotWrittenAgain();
};

// Both machines recorded into Voice1.wav at once; the sync tool sets the
// other's take beside it while the window is open. At the next take-in the
// take has a name and a memo of its own, the window says so, and nothing
// else changed.
void TakesTest::aCopyFromTheOtherMachineGetsAMemo()
{
    Harness h;
    h.folder.Write("data/Voice1.wav", "here");
    h.folder.Write("data/Voice2.wav", "two");
    WriteCatalogue(h, {Memo(kMeeting, h.exeDir + "data/Voice1.wav"), Memo("B", h.exeDir + "data/Voice2.wav")});
    const std::string catalogue = h.folder.Read("Voice.dat");
    TForm1& form = h.Open();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.Memos().count(), 2);

    BoxAnswerer box;
    const std::time_t recorded = 1796722307;  // 2026-12-08 09:31:47 UTC
    Arrive(h, "data/Voice1.sync-conflict-20261208-093147-F5H75MX.wav", "there", recorded);
    QTRY_COMPARE_WITH_TIMEOUT(form.Memos().count(), 3, 20000);
    QTRY_VERIFY(box.seen);
    QCOMPARE(box.text, QStringLiteral("同じ番号で別に録音されたボイスファイルが見つかり、"
                                      "ボイスメモ「会議（別のコンピューター）」として追加しました。"));
    const VoiceMemo added{kMeetingElsewhere,
                          h.exeDir + "data/Voice3.wav",
                          LocalDate(recorded, true),
                          LocalDate(recorded, false),
                          "TODO",
                          ""};
    QCOMPARE(form.Memos().memo(2), added);
    QCOMPARE(h.folder.Entries("data"), (std::vector<std::string>{"Voice1.wav", "Voice2.wav", "Voice3.wav"}));
    QCOMPARE(h.folder.Read("data/Voice1.wav"), "here"s);
    QCOMPARE(h.folder.Read("data/Voice2.wav"), "two"s);
    QCOMPARE(h.folder.Read("data/Voice3.wav"), "there"s);
    // Saved at once, so the other machine gets the same memo.
    QCOMPARE(h.folder.Read("Voice.dat"), catalogue + added.Title + "\t" + added.FilePath + "\t" + added.RecordedDate +
                                             "\t" + added.RecordedTime + "\tTODO\t\r\n");
    QVERIFY(form.close());
}

// A memo deleted here while the other machine changed it comes back with
// the merge; its take comes back from the trash, under its name.
void TakesTest::aDeletedMemoBroughtBackBringsItsTakeBack()
{
    Harness h;
    h.folder.Write("data/Voice1.wav", "one");
    h.folder.Write("data/Voice2.wav", "two");
    WriteCatalogue(h, {Memo("A", h.exeDir + "data/Voice1.wav"), Memo("B", h.exeDir + "data/Voice2.wav")});
    TForm1& form = h.Open();
    h.ClickRow(1);
    {
        BoxAnswerer box(QStringLiteral("はい(&Y)"));
        Click(h, "BitBtn3");
        QVERIFY(box.seen);
    }
    QVERIFY(!h.folder.Exists("data/Voice2.wav"));
    QTRY_COMPARE(h.folder.Read("Voice.dat"), "A\t" + h.exeDir + "data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n");

    BoxAnswerer notice({}, true);  // the other notices, of the merge, too
    // The other machine had not seen the deletion and renamed the memo.
    Arrive(h, "Voice.dat",
           "A\t" + h.exeDir + "data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n" + "B2\t" + h.exeDir +
               "data/Voice2.wav\t2001/04/05\t09:12:30\tTODO\t\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(form.Memos().count(), 2, 20000);
    // Said beside what is said of the memo that came back.
    QTRY_VERIFY((notice.later + QStringList(notice.text))
                    .contains(QStringLiteral(
                        "一覧に戻ったボイスメモ「B2」のボイスファイルを、ゴミ箱から元の場所に戻しました。")));
    QCOMPARE(h.folder.Read("data/Voice2.wav"), "two"s);
    QCOMPARE(h.folder.Entries("data"), (std::vector<std::string>{"Voice1.wav", "Voice2.wav"}));
    QVERIFY(form.close());
}

// Closed where it opened, the window leaves the settings file as it is (no
// new version for a sync tool); moved, it writes its place. A sync tool's
// copy of the file that differs only in the place is gone at start.
void TakesTest::theSamePlaceIsNotWrittenAgain()
{
    Harness h;
    const std::string settings = "[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=16\r\nTop=40\r\n";
    h.folder.Write("sorvane.ini", settings);
    const std::string placeOnly = "sorvane.sync-conflict-20261208-093147-F5H75MX.ini";
    const std::string otherKey = "sorvane.sync-conflict-20261208-093148-F5H75MX.ini";
    h.folder.Write(placeOnly, "[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=300\r\nTop=2\r\n");
    h.folder.Write(otherKey, "[Option]\r\nShowHint=0\r\n[Voice]\r\nLeft=300\r\nTop=2\r\n");
    const auto before = h.files.StampOf(h.exeDir + "sorvane.ini");

    QVERIFY(h.Open().close());
    QCOMPARE(h.files.StampOf(h.exeDir + "sorvane.ini"), before);
    QVERIFY(!h.folder.Exists(placeOnly));
    QVERIFY(h.folder.Exists(otherKey));

    TForm1& moved = h.Open();
    moved.move(50, 60);
    QVERIFY(moved.close());
    QCOMPARE(h.folder.Read("sorvane.ini"), "[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=50\r\nTop=60\r\n"s);
}

VOICEMEMO_DIALOG_TEST_MAIN(TakesTest)

#include "TakesTest.moc"
