// The catalogue shared with other writers as a person meets it: a second
// window on the folder (a second machine on a synced folder), a sync tool
// rewriting the file while a title is being typed.
#include <QTest>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "DialogHarness.h"
#include "DialogTestMain.h"
#include "MemoListView.h"
#include "MemoSteps.h"

using namespace voicememo;
using namespace voicememo::testing;
using namespace std::string_literals;

class SharedCatalogueTest : public QObject {
    Q_OBJECT
private slots:
    void twoWindowsOnOneFolderKeepEachOthersMemos();
    void anotherWritersChangesMeetTheWindowsEdits();
    void aWriterInPlaceIsWaitedFor();
};

// Two copies on one folder (two machines on a synced folder, two users):
// each records a memo, saved at once, and neither is lost at either close.
void SharedCatalogueTest::twoWindowsOnOneFolderKeepEachOthersMemos()
{
    Harness h;
    InstallStandInRecorder(h.exeDir);
    WriteCatalogue(h, {Memo("A", h.exeDir + "data/Voice9.wav")});
    TForm1& first = h.Open();
    TForm1 second(DialogServices{h.files, h.clock, h.regional, h.player, h.launcher, h.exeDir});
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    Click(h, "BitBtn1");
    QTest::mouseClick(second.findChild<QAbstractButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
    // Saved as recorded, before any close: a Ctrl+C or a lost display now
    // loses neither.
    const std::string one = h.exeDir + "data/Voice1.wav", two = h.exeDir + "data/Voice2.wav";
    QVERIFY(h.folder.Read("Voice.dat").find(one) != std::string::npos);
    QVERIFY(h.folder.Read("Voice.dat").find(two) != std::string::npos);
    // Idle, the first window takes in the second's memo by itself.
    QTRY_COMPARE_WITH_TIMEOUT(first.Memos().count(), 3, 20000);
    QVERIFY(first.close());
    QVERIFY(second.close());
    const std::string saved = h.folder.Read("Voice.dat");
    for (const std::string& path : {h.exeDir + "data/Voice9.wav", one, two})
        QVERIFY2(saved.find(path + "\t") != std::string::npos, path.c_str());
}

// Another program rewrites the catalogue (a sync tool: one memo renamed, one
// removed, one added) while a title is being typed here: the edit is saved
// a moment later with theirs merged in, and the list shows the result with
// the memo being edited still selected.
void SharedCatalogueTest::anotherWritersChangesMeetTheWindowsEdits()
{
    Harness h;
    WriteCatalogue(h,
                   {Memo("A", "/x/data/Voice1.wav"), Memo("B", "/x/data/Voice2.wav"), Memo("C", "/x/data/Voice3.wav")});
    TForm1& form = h.Open();
    QVERIFY(h.Activate());
    RetitleRow(h, 2, QStringLiteral("C2"));
    QTest::keyClick(h.Find<QLineEdit>("Edit1"), Qt::Key_Z);  // typed: saved once the keys rest
    h.folder.Write("Voice.dat.sync", "B2\t/x/data/Voice2.wav\t2001/04/05\t09:12:30\tTODO\t\r\n"
                                     "D\t/x/data/Voice4.wav\t2001/04/05\t09:12:30\tTODO\t\r\n"
                                     "C\t/x/data/Voice3.wav\t2001/04/05\t09:12:30\tTODO\t\r\n");
    std::filesystem::rename(h.folder.path("Voice.dat.sync"), h.folder.path("Voice.dat"));
    QTRY_COMPARE_WITH_TIMEOUT(h.folder.Read("Voice.dat"),
                              "B2\t/x/data/Voice2.wav\t2001/04/05\t09:12:30\tTODO\t\r\n"
                              "D\t/x/data/Voice4.wav\t2001/04/05\t09:12:30\tTODO\t\r\n"
                              "C2z\t/x/data/Voice3.wav\t2001/04/05\t09:12:30\tTODO\t\r\n"s,
                              20000);
    QCOMPARE(form.Memos().count(), 3);
    QCOMPARE(form.EditIndex(), 2);
    QCOMPARE(h.Find<MemoListView>("ListView1")->selectedRow(), 2);
    QCOMPARE(Text(h, "Edit1"), QStringLiteral("C2z"));
    QVERIFY(form.close());
}

// Another program truncates the catalogue, writes one memo and pauses with
// the file open (a text editor on a network disk): the window's edit waits
// for it, a close meanwhile is refused, and once the file is closed the
// edit is saved beside every memo the writer wrote.
void SharedCatalogueTest::aWriterInPlaceIsWaitedFor()
{
    Harness h;
    const std::vector<VoiceMemo> memos = {Memo("A", "/x/data/Voice1.wav"), Memo("B", "/x/data/Voice2.wav"),
                                          Memo("C", "/x/data/Voice3.wav")};
    WriteCatalogue(h, memos);
    const std::string whole = h.folder.Read("Voice.dat");
    const std::string path = h.folder.path("Voice.dat").string();
    TForm1& form = h.Open();
    QVERIFY(h.Activate());

    const int writer = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    QVERIFY(writer >= 0);
    const std::string first = whole.substr(0, whole.find('\n') + 1);
    QCOMPARE(::write(writer, first.data(), first.size()), ssize_t(first.size()));
    struct stat before {};
    ::stat(path.c_str(), &before);
    RetitleRow(h, 2, QStringLiteral("C2"));
    {
        BoxAnswerer answer;
        QVERIFY(!form.close());
        QVERIFY(answer.seen);
        QVERIFY2(answer.text.contains(QStringLiteral("書き換えている途中")), qPrintable(answer.text));
    }
    struct stat after {};
    ::stat(path.c_str(), &after);
    QCOMPARE(after.st_ino, before.st_ino);
    QCOMPARE(h.folder.Read("Voice.dat"), first);
    QCOMPARE(form.Memos().count(), 3);

    const std::string rest = whole.substr(first.size());
    QCOMPARE(::write(writer, rest.data(), rest.size()), ssize_t(rest.size()));
    ::close(writer);
    std::string expected = whole;
    expected.replace(expected.find("C\t"), 1, "C2");
    QTRY_COMPARE_WITH_TIMEOUT(h.folder.Read("Voice.dat"), expected, 20000);
    QVERIFY(form.close());
}

VOICEMEMO_DIALOG_TEST_MAIN(SharedCatalogueTest)

#include "SharedCatalogueTest.moc"
