// The memo commands as a person uses them: record through a stand-in
// recorder, play, delete after the question, and adopt unused voice files,
// on real files in the program's own folder.
#include <QAction>
#include <QCursor>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "DialogHarness.h"
#include "DialogTestMain.h"
#include "MemoListView.h"
#include "MemoSteps.h"

using namespace voicememo;
using namespace voicememo::testing;
using namespace std::string_literals;

class MemoCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void recordReservesTheNextNameAndStartsTheRecorder();
    void recordWithoutDataFolderAddsNothing();
    void recordWithEveryNameTakenChangesNoFile();
    void deleteAsksFirst();
    void deleteKeepsAFileThatIsNotOurs();
    void deleteWithoutATrashAsksAgain();
    void closeDuringTheDeleteQuestionDeletesNothing();
    void deleteQuestionEndedWithoutYesDeletesNothing_data();
    void deleteQuestionEndedWithoutYesDeletesNothing();
    void addUnusedAdoptsOnlyFilesNothingNames();
    void addUnusedRightAfterRecordFindsNothing();
    void addUnusedWithUnreadableSettingsStops();
    void doubleClickLoadsThenPlays();
    void playOnlyExistingWaveFiles();
    void playKeepsTheFocusForTheNextReturn_data();
    void playKeepsTheFocusForTheNextReturn();
    void returnAfterDeleteDoesNothing();
    void walkHoldsOffCommandsAndClose();
};

namespace {

// Two memos with their voice files, the first loaded with a click.
TForm1& OpenTwoMemosFirstLoaded(Harness& h)
{
    h.folder.Write("data/Voice1.wav", "x");
    h.folder.Write("data/Voice2.wav", "x");
    WriteCatalogue(h, {Memo("A", h.exeDir + "data/Voice1.wav"), Memo("B", h.exeDir + "data/Voice2.wav")});
    TForm1& form = h.Open();
    h.ClickRow(0);
    return form;
}

}  // namespace

void MemoCommandsTest::recordReservesTheNextNameAndStartsTheRecorder()
{
    Harness h;
    h.exeDir = h.folder.dir() + "my memos/";
    h.folder.MakeFolder("my memos/data");
    h.folder.Write("my memos/data/Voice1.wav", "RIFF");
    InstallStandInRecorder(h.exeDir);
    h.folder.Write("my memos/Voice.dat", "A\t" + h.exeDir + "data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n");
    TForm1& form = h.Open();
    RetitleRow(h, 0, QStringLiteral("会議"));

    Click(h, "BitBtn1");
    Click(h, "BitBtn1");

    // The memo loaded before keeps its new title; the gap-free names follow.
    QCOMPARE(form.Memos().count(), 3);
    QCOMPARE(form.Memos().memo(0).Title, "\x89\xef\x8b\x63"s);
    const std::string second = h.exeDir + "data/Voice2.wav";
    const std::string third = h.exeDir + "data/Voice3.wav";
    QCOMPARE(form.Memos().memo(1), (VoiceMemo{"Voice2.wav", second, "2026/12/07", "09:05:30", "TODO", ""}));
    QCOMPARE(form.Memos().memo(2).FilePath, third);
    QVERIFY(std::filesystem::file_size(second) == 0 && std::filesystem::file_size(third) == 0);
    QCOMPARE(h.folder.Read("my memos/data/Voice1.wav"), "RIFF"s);

    // The controls show the new memo, which is not selected.
    QCOMPARE(form.EditIndex(), 2);
    QCOMPARE(h.Find<MemoListView>("ListView1")->selectedRow(), -1);
    QCOMPARE(Text(h, "Edit1"), QStringLiteral("Voice3.wav"));
    QVERIFY(h.Find<QRadioButton>("RadioButton1")->isChecked());
    QVERIFY(h.Find<QWidget>("Edit1")->isEnabled());

    // The recorder got each path whole, spaces and all, as its one argument.
    QCOMPARE(h.launcher.starts, 2);
    QTRY_COMPARE_WITH_TIMEOUT(RecorderStarts(h.exeDir), (std::vector<std::string>{"1|" + second, "1|" + third}), 20000);

    QVERIFY(form.close());
    QVERIFY(h.folder.Read("my memos/Voice.dat").find("Voice3.wav\t" + third + "\t2026/12/07\t09:05:30\tTODO\t\r\n") !=
            std::string::npos);
}

void MemoCommandsTest::recordWithoutDataFolderAddsNothing()
{
    Harness h;
    std::filesystem::remove(h.folder.path("data"));
    InstallStandInRecorder(h.exeDir);
    WriteCatalogue(h, {Memo("A", h.exeDir + "data/Voice1.wav")});
    TForm1& form = h.Open();
    RetitleRow(h, 0, QStringLiteral("B"));
    {
        BoxAnswerer box;
        Click(h, "BitBtn1");
        QVERIFY(box.seen);
        QCOMPARE(box.text, QStringLiteral("不正なﾌｧｲﾙ名です."));
        QCOMPARE(box.icon, QMessageBox::Critical);
    }
    QCOMPARE(form.Memos().count(), 1);
    QCOMPARE(form.Memos().memo(0).Title, "B"s);
    // The commit and the cleared selection have happened; nothing else.
    QCOMPARE(form.EditIndex(), -1);
    QCOMPARE(h.Find<MemoListView>("ListView1")->selectedRow(), -1);
    QCOMPARE(h.launcher.starts, 0);
}

void MemoCommandsTest::recordWithEveryNameTakenChangesNoFile()
{
    Harness h;
    InstallStandInRecorder(h.exeDir);
    for (int n = 1; n <= 999; ++n)
        h.folder.Write("data/Voice" + std::to_string(n) + ".wav", "take " + std::to_string(n));
    TForm1& form = h.Open();
    {
        BoxAnswerer box;
        Click(h, "BitBtn1");
        QVERIFY(box.seen);
        QCOMPARE(box.text,
                 QStringLiteral(
                     "ボイスファイルの番号（1～999）がすべて使われています。不要なボイスメモを削除してください."));
    }
    QCOMPARE(form.Memos().count(), 0);
    for (int n = 1; n <= 999; ++n)
        QCOMPARE(h.folder.Read("data/Voice" + std::to_string(n) + ".wav"), "take " + std::to_string(n));
    QCOMPARE(h.launcher.starts, 0);
}

void MemoCommandsTest::deleteAsksFirst()
{
    Harness h;
    h.folder.Write("data/Voice1.wav", "one");
    h.folder.Write("data/Voice2.wav", "two");
    // The calendar's alarm names the file; the memo's file goes all the same.
    h.folder.Write("sorvane.ini", "[Alarm]\r\nVoice=" + h.exeDir + "data/Voice2.wav\r\n");
    WriteCatalogue(h, {Memo("A", h.exeDir + "data/Voice1.wav"), Memo("B", h.exeDir + "data/Voice2.wav")});
    TForm1& form = h.Open();
    RetitleRow(h, 1, QStringLiteral("not kept"));
    {
        BoxAnswerer box(QStringLiteral("いいえ(&N)"));
        Click(h, "BitBtn3");
        QVERIFY(box.seen);
        QCOMPARE(box.caption, QStringLiteral("ボイスメモ"));
        QCOMPARE(box.text, QStringLiteral("削除してもよろしいですか?"));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.buttonsLeftToRight, QStringList({"はい(&Y)", "いいえ(&N)"}));
        QCOMPARE(box.defaultButton, QStringLiteral("はい(&Y)"));
    }
    QCOMPARE(form.Memos().count(), 2);
    QVERIFY(h.folder.Exists("data/Voice2.wav"));
    {
        BoxAnswerer box(QStringLiteral("はい(&Y)"));
        form.PopupMenu()->findChild<QAction*>(QStringLiteral("Delete1"))->trigger();
        QVERIFY(box.seen);
    }
    QCOMPARE(form.Memos().count(), 1);
    QCOMPARE(form.Memos().memo(0).Title, "A"s);
    QVERIFY(!h.folder.Exists("data/Voice2.wav"));
    QCOMPARE(ReadWhole(testing::UsePrivateDataFolder() + "/Voice2.wav"), "two"s);  // in the trash
    QVERIFY(h.folder.Exists("data/Voice1.wav"));
    QCOMPARE(form.EditIndex(), -1);
    QCOMPARE(h.Find<MemoListView>("ListView1")->selectedRow(), -1);
    QCOMPARE(Text(h, "Edit1"), QString());
    QVERIFY(!h.Find<QWidget>("Edit1")->isEnabled());
    QVERIFY(!h.Find<QWidget>("BitBtn3")->isEnabled());

    // A memo whose file is already gone goes without a word.
    std::filesystem::remove(h.folder.path("data/Voice1.wav"));
    h.ClickRow(0);
    {
        BoxAnswerer box;
        Click(h, "BitBtn3");
        QVERIFY(box.seen);
        QCOMPARE(box.text, QStringLiteral("削除してもよろしいですか?"));
    }
    QCOMPARE(form.Memos().count(), 0);
    QVERIFY(form.close());
    QVERIFY(!h.folder.Exists("Voice.dat"));
}

// A catalogue from elsewhere names a file outside the data folder: the memo
// goes, the file stays, and the user is told why.
void MemoCommandsTest::deleteKeepsAFileThatIsNotOurs()
{
    Harness h;
    h.folder.Write("thesis.odt", "thesis");
    WriteCatalogue(h, {Memo("A", h.exeDir + "thesis.odt")});
    TForm1& form = h.Open();
    h.ClickRow(0);
    {
        BoxAnswerer box(QStringLiteral("はい(&Y)"), true);
        Click(h, "BitBtn3");
        QCOMPARE(box.later, QStringList(QStringLiteral("ボイスファイル %1thesis.odt はデータフォルダーの外にあるため、"
                                                       "削除しませんでした。")
                                            .arg(QString::fromStdString(h.exeDir))));
    }
    QCOMPARE(form.Memos().count(), 0);
    QCOMPARE(h.folder.Read("thesis.odt"), "thesis"s);
}

// Where no trash can take the take back (another user's trash on a shared
// disk, none at all), it is lost for good only after a second question whose
// default keeps it; いいえ keeps the memo too.
void MemoCommandsTest::deleteWithoutATrashAsksAgain()
{
    struct NoTrashFiles : PosixFileSystem {
        int deletedForGood = 0;
        Discard DiscardFileIn(const std::string&, const std::string&) override { return Discard::NoTrash; }
        Discard DeleteForGoodIn(const std::string& path, const std::string& folder) override
        {
            ++deletedForGood;
            return PosixFileSystem::DeleteForGoodIn(path, folder);
        }
    } files;
    Harness h;
    h.folder.Write("data/Voice1.wav", "one");
    WriteCatalogue(h, {Memo("A", h.exeDir + "data/Voice1.wav")});
    h.form = std::make_unique<TForm1>(DialogServices{files, h.clock, h.regional, h.player, h.launcher, h.exeDir});
    h.form->show();
    const QString question =
        QStringLiteral("ゴミ箱に移せないため、ボイスファイル %1data/Voice1.wav を完全に削除します。よろしいですか？")
            .arg(QString::fromStdString(h.exeDir));
    h.ClickRow(0);
    {
        // The second box is answered by its default button.
        BoxAnswerer box(QStringLiteral("はい(&Y)"), true);
        Click(h, "BitBtn3");
        QCOMPARE(box.text, QStringLiteral("削除してもよろしいですか?"));
        QCOMPARE(box.later, QStringList(question));
    }
    QCOMPARE(h.form->Memos().count(), 1);
    QCOMPARE(h.folder.Read("data/Voice1.wav"), "one"s);
    QCOMPARE(files.deletedForGood, 0);

    h.ClickRow(0);
    {
        // Each answers one box with はい, whichever comes first.
        BoxAnswerer first(QStringLiteral("はい(&Y)"));
        BoxAnswerer second(QStringLiteral("はい(&Y)"));
        Click(h, "BitBtn3");
        QVERIFY(first.seen && second.seen);
        QCOMPARE(QSet<QString>({first.text, second.text}),
                 QSet<QString>({QStringLiteral("削除してもよろしいですか?"), question}));
    }
    QCOMPARE(h.form->Memos().count(), 0);
    QVERIFY(!h.folder.Exists("data/Voice1.wav"));
    QCOMPARE(files.deletedForGood, 1);
}

void MemoCommandsTest::closeDuringTheDeleteQuestionDeletesNothing()
{
    Harness h;
    h.folder.Write("data/Voice1.wav", "one");
    const std::string catalogue = "A\t" + h.exeDir + "data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    h.folder.Write("Voice.dat", catalogue);
    TForm1& form = h.Open();
    h.ClickRow(0);
    bool closed = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        if (qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            poll.stop();
            closed = form.close();  // the session ends while the question is up
        }
    });
    poll.start(10);
    Click(h, "BitBtn3");
    QVERIFY(closed);
    QVERIFY(!form.isVisible());
    QCOMPARE(h.folder.Read("data/Voice1.wav"), "one"s);
    QCOMPARE(h.folder.Read("Voice.dat"), catalogue);
}

enum class QuestionEnd { Escape, CloseBox, Hidden, Rejected, EndedWithCode };

void MemoCommandsTest::deleteQuestionEndedWithoutYesDeletesNothing_data()
{
    QTest::addColumn<int>("endValue");
    QTest::newRow("Esc") << int(QuestionEnd::Escape);
    QTest::newRow("the box's close button") << int(QuestionEnd::CloseBox);
    QTest::newRow("the box hidden") << int(QuestionEnd::Hidden);
    QTest::newRow("the box rejected") << int(QuestionEnd::Rejected);
    QTest::newRow("the box ended with another code") << int(QuestionEnd::EndedWithCode);
}

void MemoCommandsTest::deleteQuestionEndedWithoutYesDeletesNothing()
{
    QFETCH(int, endValue);
    const auto end = QuestionEnd(endValue);
    Harness h;
    h.folder.Write("data/Voice1.wav", "one");
    WriteCatalogue(h, {Memo("A", h.exeDir + "data/Voice1.wav")});
    TForm1& form = h.Open();
    h.ClickRow(0);
    bool asked = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        asked = true;
        switch (end) {
        case QuestionEnd::Escape:
            QTest::keyClick(box, Qt::Key_Escape);
            break;
        case QuestionEnd::CloseBox:
            box->close();
            break;
        case QuestionEnd::Hidden:
            box->hide();
            break;
        case QuestionEnd::Rejected:
            box->reject();
            break;
        case QuestionEnd::EndedWithCode:
            box->done(QMessageBox::Cancel);
            break;
        }
    });
    poll.start(10);
    Click(h, "BitBtn3");
    QVERIFY(asked);
    QCOMPARE(form.Memos().count(), 1);
    QCOMPARE(h.folder.Read("data/Voice1.wav"), "one"s);
}

void MemoCommandsTest::addUnusedAdoptsOnlyFilesNothingNames()
{
    Harness h;
    for (const char* name : {"voice5.WAV", "Voice7.wav", "Memo1.wav", "Voice10.wav", "Voice2.wav", "Voice71.wav"})
        h.folder.Write("data/"s + name, "x");
    h.folder.MakeFolder("data/Voice8.wav");
    h.folder.Write("data/.Voice9.wav.take-abc123", "partial");
    h.folder.Write("sorvane.ini",
                   "[Alarm]\r\nAlarm1=" + h.exeDir + "DATA/Voice7.wav\r\nAlarm2=/other/data/Voice71.wav\r\n");
    WriteCatalogue(h, {Memo("A", h.exeDir + "data/Voice5.wav")});
    TForm1& form = h.Open();
    RetitleRow(h, 0, QStringLiteral("changed"));
    // Midnight passes during the search: the rows added together are
    // recorded at one reading of the clock, their date and time alike.
    h.clock.before = {{2026, 12, 7, 23, 59, 59}};
    h.clock.now = {2026, 12, 8, 0, 0, 0};
    {
        BoxAnswerer box;
        Click(h, "SpeedButton1");
        QVERIFY(box.seen);
        QCOMPARE(box.caption, QStringLiteral("ボイスメモ"));
        QCOMPARE(box.text, QStringLiteral("3個の未使用のファイルが見つかり、追加しました。"));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.buttons, QStringList({"OK"}));
    }
    // The memo loaded before keeps its title; the rows come in the order a
    // person counts (Voice2 before Voice10).
    QCOMPARE(form.Memos().count(), 4);
    QCOMPARE(form.Memos().memo(0).Title, "changed"s);
    QCOMPARE(form.Memos().memo(1).Title, "Voice2.wav"s);
    QCOMPARE(form.Memos().memo(2),
             (VoiceMemo{"Voice10.wav", h.exeDir + "data/Voice10.wav", "2026/12/07", "23:59:59", "TODO", ""}));
    QCOMPARE(form.Memos().memo(3),
             (VoiceMemo{"Voice71.wav", h.exeDir + "data/Voice71.wav", "2026/12/07", "23:59:59", "TODO", ""}));
    QCOMPARE(form.EditIndex(), 3);
    QCOMPARE(Text(h, "Edit1"), QStringLiteral("Voice71.wav"));
    QCOMPARE(h.Find<MemoListView>("ListView1")->selectedRow(), -1);

    // Nothing is left to adopt the second time.
    BoxAnswerer again;
    Click(h, "SpeedButton1");
    QVERIFY(again.seen);
    QCOMPARE(again.text, QStringLiteral("未使用のファイルは見つかりませんでした"));
    QCOMPARE(form.Memos().count(), 4);
}

void MemoCommandsTest::addUnusedRightAfterRecordFindsNothing()
{
    Harness h;
    InstallStandInRecorder(h.exeDir);
    TForm1& form = h.Open();
    Click(h, "BitBtn1");
    BoxAnswerer box;
    Click(h, "SpeedButton1");
    QVERIFY(box.seen);
    QCOMPARE(box.text, QStringLiteral("未使用のファイルは見つかりませんでした"));
    QCOMPARE(form.Memos().count(), 1);
}

void MemoCommandsTest::addUnusedWithUnreadableSettingsStops()
{
    Harness h;
    h.folder.Write("data/Voice1.wav", "x");
    h.folder.MakeUnreadable("sorvane.ini");
    WriteCatalogue(h, {Memo("A", h.exeDir + "data/Voice5.wav")});
    BoxAnswerer startUp;  // a link out of the folder: said at start
    TForm1& form = h.Open();
    QTRY_VERIFY(startUp.text.endsWith(QStringLiteral("ウィンドウの位置は保存されません。")));
    h.ClickRow(0);
    {
        BoxAnswerer box;
        Click(h, "SpeedButton1");
        QVERIFY(box.seen);
        QCOMPARE(box.text, QStringLiteral("ﾌｧｲﾙ %1sorvane.ini は開けません.").arg(QString::fromStdString(h.exeDir)));
        QCOMPARE(box.icon, QMessageBox::Critical);
    }
    QCOMPARE(form.Memos().count(), 1);
    QCOMPARE(h.Find<MemoListView>("ListView1")->selectedRow(), -1);
}

void MemoCommandsTest::doubleClickLoadsThenPlays()
{
    Harness h;
    h.folder.Write("data/Voice1.wav", "x");
    h.folder.Write("data/voice2.WAV", "x");
    WriteCatalogue(h, {Memo("A", h.exeDir + "data/Voice1.wav"), Memo("B", h.exeDir + "data/Voice2.wav")});
    TForm1& form = h.Open();
    RetitleRow(h, 0, QStringLiteral("A2"));

    QAbstractItemView* view = h.Find<MemoListView>("ListView1")->currentView();
    const QPoint second = view->visualRect(view->model()->index(1, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, second);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, second);

    QCOMPARE(h.player.played.size(), std::size_t(1));
    // Played the file as it lies on disk, with row B already loaded and the
    // play button disabled while the sound lasts.
    QCOMPARE(h.player.played[0].diskPath, h.folder.path("data/voice2.WAV").string());
    QCOMPARE(h.player.played[0].editIndex, 1);
    QVERIFY(!h.player.played[0].playButtonEnabled);
    QVERIFY(h.Find<QWidget>("BitBtn2")->isEnabled());
    QCOMPARE(form.Memos().memo(0).Title, "A2"s);
    QCOMPARE(Text(h, "Edit1"), QStringLiteral("B"));
}

void MemoCommandsTest::playOnlyExistingWaveFiles()
{
    Harness h;
    h.folder.Write("data/Voice1.wave", "x");
    h.folder.Write("data/Voice3.wav", "x");
    h.folder.MakeFolder("data/Voice4.wav");
    WriteCatalogue(h, {Memo("wave", h.exeDir + "data/Voice1.wave"), Memo("gone", h.exeDir + "data/Voice2.wav"),
                       Memo("ok", h.exeDir + "data/Voice3.WAV"), Memo("folder", h.exeDir + "data/Voice4.wav")});
    TForm1& form = h.Open();
    for (int row = 0; row < form.Memos().count(); ++row) {
        h.ClickRow(row);
        Click(h, "BitBtn2");
    }
    QCOMPARE(h.player.played.size(), std::size_t(1));
    QCOMPARE(h.player.played[0].diskPath, h.folder.path("data/Voice3.wav").string());
    // The popup menu's entry plays the selected row too; without one nothing.
    form.PopupMenu()->findChild<QAction*>(QStringLiteral("N1"))->trigger();
    QCOMPARE(h.player.played.size(), std::size_t(1));
    h.ClickRow(2);
    form.PopupMenu()->findChild<QAction*>(QStringLiteral("N1"))->trigger();
    QCOMPARE(h.player.played.size(), std::size_t(2));
}

void MemoCommandsTest::playKeepsTheFocusForTheNextReturn_data()
{
    QTest::addColumn<QString>("startFrom");  // the control focused before playing
    QTest::addColumn<int>("key");            // pressed there to play; none: a mouse click
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("focusAfter");
    QTest::newRow("mouse click") << QString() << 0 << 0 << QStringLiteral("BitBtn2");
    QTest::newRow("Return on the button")
        << QStringLiteral("BitBtn2") << int(Qt::Key_Return) << 0 << QStringLiteral("BitBtn2");
    QTest::newRow("P alone on Record") << QStringLiteral("BitBtn1") << int(Qt::Key_P) << 0 << QStringLiteral("BitBtn2");
    QTest::newRow("Alt+P in the title") << QStringLiteral("Edit1") << int(Qt::Key_P) << int(Qt::AltModifier)
                                        << QStringLiteral("Edit1");
}

// The play button, disabled while it plays, keeps the focus: the next
// Return plays again and never reaches Delete. Played from elsewhere, the
// focus stays there.
void MemoCommandsTest::playKeepsTheFocusForTheNextReturn()
{
    QFETCH(QString, startFrom);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, focusAfter);
    Harness h;
    TForm1& form = OpenTwoMemosFirstLoaded(h);
    QVERIFY(h.Activate());
    if (key == 0) {
        Click(h, "BitBtn2");
    } else {
        h.Find<QWidget>(startFrom.toLatin1().constData())->setFocus();
        PressKey(h, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    }
    QTRY_COMPARE(h.player.played.size(), std::size_t(1));
    QVERIFY(!h.player.played[0].playButtonEnabled);
    QCOMPARE(QApplication::focusWidget(), h.Find<QWidget>(focusAfter.toLatin1().constData()));

    BoxAnswerer question(QStringLiteral("いいえ(&N)"));
    PressKey(h, Qt::Key_Return);
    QCOMPARE(h.player.played.size(), std::size_t(focusAfter == QStringLiteral("BitBtn2") ? 2 : 1));
    QVERIFY(!question.seen);
    QCOMPARE(form.Memos().count(), 2);
    QVERIFY(h.folder.Exists("data/Voice1.wav"));
}

// Delete, pressed with Return, leaves the focus on no other command: the
// next Return does nothing, and Close, next in the tab order, stays unpressed.
void MemoCommandsTest::returnAfterDeleteDoesNothing()
{
    Harness h;
    TForm1& form = OpenTwoMemosFirstLoaded(h);
    QVERIFY(h.Activate());
    h.Find<QWidget>("BitBtn3")->setFocus();
    {
        BoxAnswerer yes(QStringLiteral("はい(&Y)"));
        PressKey(h, Qt::Key_Return);
        QVERIFY(yes.seen);
    }
    QCOMPARE(form.Memos().count(), 1);
    QVERIFY(h.Activate());  // back from the question
    // The focus is on the list, whose memo a screen reader then reads.
    QVERIFY(h.Find<MemoListView>("ListView1")->isAncestorOf(QApplication::focusWidget()));
    BoxAnswerer anything(QStringLiteral("いいえ(&N)"));
    PressKey(h, Qt::Key_Return);
    PressKey(h, Qt::Key_Return);
    QVERIFY(form.isVisible());
    QVERIFY(!anything.seen);
    QCOMPARE(form.Memos().count(), 1);
    QVERIFY(h.folder.Exists("data/Voice2.wav"));
    // A click in the list takes the focus for good: Delete, enabled again,
    // does not pull it back.
    h.ClickRow(0);
    QVERIFY(h.Find<QWidget>("BitBtn3")->isEnabled());
    QVERIFY(h.Find<MemoListView>("ListView1")->isAncestorOf(QApplication::focusWidget()) ||
            QApplication::focusWidget() == h.Find<QWidget>("ListView1"));
}

void MemoCommandsTest::walkHoldsOffCommandsAndClose()
{
    Harness h;
    InstallStandInRecorder(h.exeDir);
    for (int n = 1; n <= 300; ++n)
        h.folder.Write("data/Voice" + std::to_string(n) + ".wav", "x");
    h.folder.Write("data/Voice1.wav", "x");
    WriteCatalogue(h, {Memo("A", h.exeDir + "data/Voice1.wav")});
    TForm1& form = h.Open();
    h.ClickRow(0);

    // Everything a user might do while the walk runs, done at its first pause.
    bool busyPointer = false;
    bool closedAtOnce = true;
    int rowsAtClose = 0;
    QTimer::singleShot(0, &form, [&] {
        busyPointer = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::BusyCursor;
        Click(h, "BitBtn1");       // Record
        Click(h, "SpeedButton1");  // a second Add unused
        rowsAtClose = form.Memos().count();
        closedAtOnce = form.close();
    });
    BoxAnswerer box;
    Click(h, "SpeedButton1");

    QVERIFY(busyPointer);
    QVERIFY(!closedAtOnce);
    QVERIFY(rowsAtClose < 300);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    // The walk ran to its end, then the window closed and saved every row;
    // Record added no file, and no count message stood in the way.
    QVERIFY(!form.isVisible());
    QTest::qWait(100);
    QVERIFY(!box.seen);
    QCOMPARE(h.launcher.starts, 0);
    QVERIFY(!h.folder.Exists("data/Voice301.wav"));
    QCOMPARE(form.Memos().count(), 300);
    const std::string saved = h.folder.Read("Voice.dat");
    QCOMPARE(static_cast<int>(std::count(saved.begin(), saved.end(), '\n')), 300);
    QVERIFY(saved.find("Voice300.wav\t" + h.exeDir + "data/Voice300.wav\t") != std::string::npos);
}

VOICEMEMO_DIALOG_TEST_MAIN(MemoCommandsTest)

#include "MemoCommandsTest.moc"
