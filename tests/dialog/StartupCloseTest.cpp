// The dialog as a person meets it: opening, the controls' first states, the
// catalogue and the settings brought in at show and written at close.
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <QToolTip>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "DialogHarness.h"
#include "DialogTestMain.h"
#include "MemoListView.h"
#include "RewriteJournal.h"
#include "TextCodec.h"
#include "UpDown.h"

using namespace voicememo;
using namespace voicememo::testing;
using namespace std::string_literals;

class StartupCloseTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartWithoutFiles();
    void controlsOfTheForm();
    void tabOrder();
    void oddCatalogueIsWrittenBackByteForByte();
    void storedSettingsAreApplied_data();
    void storedSettingsAreApplied();
    void restartOpensWhereTheLastRunClosed();
    void failedSaveKeepsTheDialogOpen();
    void unwritableSettingsStopTheFirstCloseOnly();
    void journalOfAnotherContentIsSetAsideAndSaidOnce();
    void unreadableCatalogueIsShownAndKept();
    void closedBeforeShowingLeavesTheFilesAlone();
    void catalogueReadableAgainAtCloseComesFirst();
    void closeCommitsTheEditedMemo();
    void renameInPlaceReachesTheTitleEdit();
    void escapeDoesNotClose();
    void everyCloseRequestRunsTheCloseQuery();
    void endSignalClosesThroughTheCloseQuery();
    void tooltipsFollowShowHint();
    void cutCellTellsItsWholeText();
    void lettersPressButtonsWhereNoTextIsTaken();
    void detailViewShowsSixColumns();
};

namespace {

bool Enabled(Harness& h, const char* name) { return h.Find<QWidget>(name)->isEnabled(); }

}  // namespace

void StartupCloseTest::firstStartWithoutFiles()
{
    Harness h;
    TForm1& form = h.Open();
    QCOMPARE(form.pos(), QPoint(0, 0));
    QCOMPARE(form.Memos().count(), 0);
    auto* list = h.Find<MemoListView>("ListView1");
    QVERIFY(!list->showsDetails());
    QVERIFY(list->iconView()->isWrapping());
    QCOMPARE(list->iconView()->flow(), QListView::LeftToRight);
    QCOMPARE(list->iconView()->gridSize().width(), 75);
    for (const char* name :
         {"BitBtn2", "BitBtn3", "Edit1", "RadioButton1", "RadioButton2", "ComboBox1", "ComboBox2", "Edit2", "UpDown3"})
        QVERIFY2(!Enabled(h, name), name);
    for (const char* name : {"ListView1", "BitBtn1", "SpeedButton1", "BitBtn4"})
        QVERIFY2(Enabled(h, name), name);
    for (QAction* entry : form.PopupMenu()->actions())
        QCOMPARE(entry->isEnabled(), !QStringList({"N1", "T1", "Delete1"}).contains(entry->objectName()));
    // The date controls stand on today, the year box offers ten years.
    auto* year = h.Find<QComboBox>("ComboBox1");
    QCOMPARE(year->currentText(), QStringLiteral("2026"));
    QCOMPARE(year->count(), 10);
    QCOMPARE(year->itemText(9), QStringLiteral("2035"));
    QCOMPARE(h.Find<QComboBox>("ComboBox2")->currentText(), QStringLiteral("12"));
    QCOMPARE(h.Find<QLineEdit>("Edit2")->text(), QStringLiteral("7"));
    QCOMPARE(form.EditIndex(), -1);

    QVERIFY(form.close());
    QVERIFY(!h.folder.Exists("Voice.dat"));
    QCOMPARE(h.folder.Read("sorvane.ini"), "[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=0\r\nTop=0\r\n"s);
}

void StartupCloseTest::controlsOfTheForm()
{
    Harness h;
    TForm1& form = h.Open();
    QCOMPARE(form.windowTitle(), QStringLiteral("ボイスメモ"));
    QCOMPARE(form.size(), QSize(340, 330));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(h.Find<QWidget>("ListView1")->geometry(), QRect(8, 24, 321, 145));
    QCOMPARE(h.Find<QWidget>("Edit2")->geometry(), QRect(136, 8, 25, 20));
    QCOMPARE(h.Find<QWidget>("Edit2")->parentWidget()->objectName(), QStringLiteral("Panel1"));
    QCOMPARE(h.Find<QPushButton>("BitBtn1")->text(), QStringLiteral("録音(&R)"));
    QCOMPARE(h.Find<QPushButton>("BitBtn1")->toolTip(), QStringLiteral("サウンドレコーダーを呼び出し録音します"));
    QCOMPARE(h.Find<QToolButton>("SpeedButton1")->focusPolicy(), Qt::NoFocus);
    QVERIFY(h.Find<QRadioButton>("RadioButton1")->isChecked());

    // No button is a default button: only the focused one takes Enter.
    for (auto* button : form.findChildren<QPushButton*>())
        QVERIFY(!button->isDefault());

    // The glyphs: a disabled button shows the grey half.
    QIcon play = h.Find<QPushButton>("BitBtn2")->icon();
    QImage normal = play.pixmap(16, 16, QIcon::Normal).toImage();
    QImage disabled = play.pixmap(16, 16, QIcon::Disabled).toImage();
    QVERIFY(normal != disabled);
    QCOMPARE(qAlpha(normal.pixel(0, 15)), 0);
    QCOMPARE(qAlpha(disabled.pixel(0, 15)), 0);

    // The menu, in order, the default entry bold.
    QStringList captions;
    for (QAction* entry : form.PopupMenu()->actions())
        captions << (entry->isSeparator() ? QStringLiteral("-") : entry->text());
    QCOMPARE(captions, QStringList({"再生(&P)", "削除(&D)", "タイトルを変える(&T)", "-", "大きいアイコン(&G)",
                                    "詳細(&S)", "-", "未使用追加(&A)"}));
    QVERIFY(form.PopupMenu()->actions().first()->font().bold());
    QCOMPARE(form.PopupMenu()->defaultAction(), form.PopupMenu()->actions().first());
}

void StartupCloseTest::tabOrder()
{
    Harness h;
    h.folder.Write("Voice.dat", "a\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tDAILY\t2001/4/7\r\n");
    h.Open();
    QVERIFY(h.Activate());
    h.ClickRow(0);
    QStringList order;
    for (int step = 0; step < 11; ++step) {
        QWidget* focus = QApplication::focusWidget();
        while (focus && focus->objectName().isEmpty())
            focus = focus->parentWidget();
        order << (focus ? focus->objectName() : QStringLiteral("?"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Only the checked kind button is a tab stop; the spinner is none.
    QCOMPARE(order, QStringList({"ListView1", "Edit1", "RadioButton2", "ComboBox1", "ComboBox2", "Edit2", "BitBtn1",
                                 "BitBtn2", "BitBtn3", "BitBtn4", "ListView1"}));

    // An arrow key moves to the other kind and checks it.
    auto* dated = h.Find<QRadioButton>("RadioButton2");
    dated->setFocus();
    QTest::keyClick(dated, Qt::Key_Up);
    QVERIFY(h.Find<QRadioButton>("RadioButton1")->isChecked());
    QVERIFY(h.Find<QRadioButton>("RadioButton1")->hasFocus());
    QVERIFY(!h.Find<QWidget>("ComboBox1")->isEnabled());
}

void StartupCloseTest::oddCatalogueIsWrittenBackByteForByte()
{
    Harness h;
    const std::string japanese = "\x94\x83\x82\xa2\x95\xa8";  // 買い物
    const std::string broken = "a\x81";                       // a lead byte without its trail byte
    h.folder.Write("Voice.dat", japanese + "\t/x/data/Voice2.wav\t2001/04/05\t09:12:30\tDAILY\t2001/4/7\r\n" + "\r\n" +
                                    broken + "\tb\tc\n" + "no tabs" + "\r\n" + "x\t1\t2\t3\t4\t5\t6\t7\r\n");
    TForm1& form = h.Open();
    QCOMPARE(form.Memos().count(), 5);
    QCOMPARE(form.Memos().data(form.Memos().index(0, 0), Qt::DisplayRole).toString(), QStringLiteral("買い物"));
    QCOMPARE(form.Memos().data(form.Memos().index(2, 0), Qt::DisplayRole).toString(), QStringLiteral("a\uFFFD"));
    // Nothing changed in the window: the file stays as it was written.
    const std::string written = h.folder.Read("Voice.dat");
    QVERIFY(form.close());
    QCOMPARE(h.folder.Read("Voice.dat"), written);
}

void StartupCloseTest::storedSettingsAreApplied_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<bool>("showHint");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("hexadecimal and hints off")
        << QByteArray("[Voice]\r\nLeft=0x10\r\nTop=40\r\n[Option]\r\nShowHint=0\r\n") << QPoint(16, 40) << false
        << QByteArray("[Voice]\r\nLeft=0x10\r\nTop=40\r\n[Option]\r\nShowHint=0\r\n");
    QTest::newRow("not numbers give the defaults")
        << QByteArray("; calendar\r\n[OPTION]\r\nshowhint=yes\r\n[voice]\r\nleft=0x\r\ntop=abc\r\n") << QPoint(0, 0)
        << true << QByteArray("; calendar\r\n[OPTION]\r\nshowhint=yes\r\n[voice]\r\nleft=0\r\ntop=0\r\n");
    QTest::newRow("off the screen as read")
        << QByteArray("[Voice]\r\nLeft=-4\r\nTop=5000\r\n") << QPoint(-4, 5000) << true
        << QByteArray("[Voice]\r\nLeft=-4\r\nTop=5000\r\n[Option]\r\nShowHint=1\r\n");
}

void StartupCloseTest::storedSettingsAreApplied()
{
    QFETCH(QByteArray, ini);
    QFETCH(QPoint, position);
    QFETCH(bool, showHint);
    QFETCH(QByteArray, written);
    Harness h;
    h.folder.Write("sorvane.ini", ini.toStdString());
    TForm1& form = h.Open();
    QCOMPARE(form.pos(), position);
    QCOMPARE(form.ShowHint(), showHint);
    QVERIFY(form.close());
    QCOMPARE(h.folder.Read("sorvane.ini"), written.toStdString());
}

void StartupCloseTest::restartOpensWhereTheLastRunClosed()
{
    Harness h;
    TForm1& first = h.Open();
    first.move(123, 45);
    QVERIFY(first.close());
    TForm1& second = h.Open();
    QCOMPARE(second.pos(), QPoint(123, 45));
}

void StartupCloseTest::failedSaveKeepsTheDialogOpen()
{
    Harness h;
    const std::string catalogue = "old\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    h.folder.Write("Voice.dat", catalogue);
    h.folder.Write("sorvane.ini", "[Voice]\r\nLeft=5\r\nTop=6\r\n");
    std::filesystem::permissions(h.folder.path("Voice.dat"), std::filesystem::perms::owner_read);
    TForm1& form = h.Open();
    form.move(50, 60);
    h.ClickRow(0);
    auto* title = h.Find<QLineEdit>("Edit1");
    title->selectAll();
    QTest::keyClicks(title, QStringLiteral("new"));
    {
        BoxAnswerer box;
        QVERIFY(!form.close());
        QVERIFY(box.seen);
        QCOMPARE(box.caption, QStringLiteral("ボイスメモ"));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttons, QStringList({"OK"}));
        QCOMPARE(box.text,
                 QStringLiteral("ﾌｧｲﾙ %1Voice.dat を作成できません.").arg(QString::fromStdString(h.folder.dir())));
    }
    QVERIFY(form.isVisible());
    QCOMPARE(h.folder.Read("Voice.dat"), catalogue);
    QCOMPARE(h.folder.Read("sorvane.ini"), "[Voice]\r\nLeft=5\r\nTop=6\r\n"s);

    std::filesystem::permissions(h.folder.path("Voice.dat"), std::filesystem::perms::owner_all);
    QVERIFY(form.close());
    QCOMPARE(h.folder.Read("Voice.dat"), "new" + catalogue.substr(3));
    QCOMPARE(h.folder.Read("sorvane.ini"), "[Voice]\r\nLeft=50\r\nTop=60\r\n[Option]\r\nShowHint=1\r\n"s);
}

// Settings that cannot be written keep the window open once; asked again,
// it closes, the memos saved, and says that only its place was lost.
void StartupCloseTest::unwritableSettingsStopTheFirstCloseOnly()
{
    Harness h;
    h.folder.MakeFolder("sorvane.ini");
    const std::string catalogue = "old\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    h.folder.Write("Voice.dat", catalogue);
    TForm1& form = h.Open();
    {
        BoxAnswerer box;
        QVERIFY(!form.close());
        QCOMPARE(box.icon, QMessageBox::Critical);
    }
    QVERIFY(form.isVisible());
    {
        BoxAnswerer box;
        QVERIFY(form.close());
        QCOMPARE(box.text, QStringLiteral("ボイスメモは保存しましたが、ウィンドウの位置は保存できませんでした。"));
    }
    QCOMPARE(h.folder.Read("Voice.dat"), catalogue);
}

// A rollback journal that does not fit the file (a line was added by hand
// after a cut rewrite) rolls nothing back: the window shows the file as it
// is and says once where the journal was kept.
void StartupCloseTest::journalOfAnotherContentIsSetAsideAndSaidOnce()
{
    testing::UsePrivateStateFolder();
    Harness h;
    const std::string old = "a\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    const std::string edited = old + "b\t/x/data/Voice2.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    h.folder.Write("Voice.dat", old);
    {
        const std::string path = h.folder.path("Voice.dat").string();
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        struct stat info {};
        RewriteJournal journal;
        QVERIFY(fd >= 0 && ::fstat(fd, &info) == 0 && RewriteJournal::Begin(fd, info, path, "new", journal));
        ::close(fd);
    }  // cut before a byte was written, and no commit
    h.folder.Write("Voice.dat", edited);
    BoxAnswerer box;
    TForm1& form = h.Open();
    QTRY_VERIFY(box.seen);
    QVERIFY(box.text.startsWith(QString::fromStdString(h.folder.path("Voice.dat").string())));
    QCOMPARE(form.Memos().count(), 2);
    BoxAnswerer again;
    QVERIFY(form.close());
    QVERIFY(!again.seen);
    QCOMPARE(h.folder.Read("Voice.dat"), edited);
}

void StartupCloseTest::unreadableCatalogueIsShownAndKept()
{
    Harness h;
    h.folder.MakeUnreadable("Voice.dat");
    h.folder.Write("sorvane.ini", "[Voice]\r\nLeft=7\r\nTop=8\r\n");
    BoxAnswerer box;
    TForm1& form = h.Open();
    QTRY_VERIFY(box.seen);
    QCOMPARE(box.text, QStringLiteral("ﾌｧｲﾙ %1Voice.dat は開けません.").arg(QString::fromStdString(h.folder.dir())));
    QVERIFY(form.isVisible());
    QCOMPARE(form.pos(), QPoint(7, 8));
    QCOMPARE(form.Memos().count(), 0);
    QVERIFY(form.close());
    QVERIFY(std::filesystem::is_symlink(h.folder.path("Voice.dat")));
}

// A window closed before it ever showed has loaded nothing, and saves
// nothing over the files.
void StartupCloseTest::closedBeforeShowingLeavesTheFilesAlone()
{
    Harness h;
    const std::string catalogue = "A\t" + h.exeDir + "data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    h.folder.Write("Voice.dat", catalogue);
    TForm1& form = h.Create();
    QVERIFY(form.close());
    QCOMPARE(h.folder.Read("Voice.dat"), catalogue);
    QVERIFY(!h.folder.Exists("sorvane.ini"));
}

void StartupCloseTest::catalogueReadableAgainAtCloseComesFirst()
{
    Harness h;
    h.folder.MakeUnreadable("Voice.dat");
    auto startUpBox = std::make_unique<BoxAnswerer>();
    TForm1& form = h.Open();
    QTRY_VERIFY(startUpBox->seen);
    startUpBox.reset();
    h.folder.Write("data/Voice1.wav", "");
    {
        // The adoption is saved at once, which the unreadable file stops:
        // the user is told.
        BoxAnswerer box({}, true);
        QTest::mouseClick(h.Find<QAbstractButton>("SpeedButton1"), Qt::LeftButton);  // adopts Voice1.wav
        QCOMPARE(box.later,
                 QStringList(
                     QStringLiteral("ﾌｧｲﾙ %1Voice.dat は開けません.").arg(QString::fromStdString(h.folder.dir()))));
    }
    h.ClickRow(0);
    QCOMPARE(form.EditIndex(), 0);
    std::filesystem::remove(h.folder.path("Voice.dat"));
    const std::string old = "old\t/x/data/Voice9.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    h.folder.Write("Voice.dat", old);
    QVERIFY(form.close());
    // The memo the file held stays, before ours, in the file and in the list,
    // and the controls still hold ours.
    QCOMPARE(form.Memos().count(), 2);
    QCOMPARE(form.Memos().memo(0).Title, "old"s);
    QCOMPARE(form.EditIndex(), 1);
    QCOMPARE(h.folder.Read("Voice.dat").substr(0, old.size()), old);
}

void StartupCloseTest::closeCommitsTheEditedMemo()
{
    Harness h;
    h.folder.Write("Voice.dat", "old\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n");
    TForm1& form = h.Open();
    h.ClickRow(0);
    QCOMPARE(form.EditIndex(), 0);
    auto* title = h.Find<QLineEdit>("Edit1");
    QVERIFY(title->isEnabled());
    title->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("会議\tメモ"));
    title->paste();
    h.Find<QRadioButton>("RadioButton2")->click();
    auto* year = h.Find<QComboBox>("ComboBox1");
    year->lineEdit()->selectAll();
    QTest::keyClicks(year->lineEdit(), QStringLiteral("2002"));
    QVERIFY(form.close());
    QCOMPARE(h.folder.Read("Voice.dat"),
             "\x89\xef\x8b\x63 \x83\x81\x83\x82\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tDAILY\t2002/12/7\r\n"s);
}

void StartupCloseTest::renameInPlaceReachesTheTitleEdit()
{
    Harness h;
    h.folder.Write("Voice.dat", "old\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n");
    TForm1& form = h.Open();
    QVERIFY(h.Activate());
    h.ClickRow(0);
    form.T1Click();
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("new\ttitle"));
    editor->paste();
    QTest::keyClick(editor, Qt::Key_Return);  // the view takes the text a moment later
    QTRY_COMPARE(h.Find<QLineEdit>("Edit1")->text(), QStringLiteral("new title"));
    QCOMPARE(form.Memos().memo(0).Title, std::string("new title"));

    // Esc leaves both as they were.
    form.T1Click();
    QPointer<QLineEdit> canceled = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(canceled);
    QTest::keyClicks(canceled, QStringLiteral("zzz"));
    QTest::keyClick(canceled, Qt::Key_Escape);
    QTRY_VERIFY(!canceled || !canceled->isVisible());
    QCOMPARE(h.Find<QLineEdit>("Edit1")->text(), QStringLiteral("new title"));
    QCOMPARE(form.Memos().memo(0).Title, std::string("new title"));
    QVERIFY(form.isVisible());
}

void StartupCloseTest::escapeDoesNotClose()
{
    Harness h;
    TForm1& form = h.Open();
    QTest::keyClick(&form, Qt::Key_Escape);
    QTest::keyClick(h.Find<QWidget>("BitBtn1"), Qt::Key_Escape);
    QVERIFY(form.isVisible());
    QVERIFY(!h.folder.Exists("sorvane.ini"));
}

void StartupCloseTest::everyCloseRequestRunsTheCloseQuery()
{
    {
        Harness h;
        TForm1& form = h.Open();
        h.Find<QPushButton>("BitBtn4")->click();
        QVERIFY(!form.isVisible());
        QVERIFY(h.folder.Exists("sorvane.ini"));
    }
    {
        // The window's close box and Alt+F4 send the window a close event.
        Harness h;
        TForm1& form = h.Open();
        QCloseEvent event;
        QApplication::sendEvent(&form, &event);
        QVERIFY(event.isAccepted());
        QVERIFY(h.folder.Exists("sorvane.ini"));
    }
    {
        // Enter presses the focused button only.
        Harness h;
        TForm1& form = h.Open();
        auto* close = h.Find<QPushButton>("BitBtn4");
        close->setFocus();
        QTest::keyClick(close, Qt::Key_Return);
        QVERIFY(!form.isVisible());
    }
}

void StartupCloseTest::endSignalClosesThroughTheCloseQuery()
{
    Harness h;
    TForm1& form = h.Open();
    SessionEnd sessionEnd(&form);
    ::raise(SIGTERM);
    QTRY_VERIFY(!form.isVisible());
    QVERIFY(h.folder.Exists("sorvane.ini"));
}

void StartupCloseTest::tooltipsFollowShowHint()
{
    for (bool showHint : {true, false}) {
        Harness h;
        h.folder.Write("sorvane.ini", showHint ? "[Option]\r\nShowHint=1\r\n" : "[Option]\r\nShowHint=0\r\n");
        TForm1& form = h.Open();
        auto* record = h.Find<QPushButton>("BitBtn1");
        QVERIFY(h.Activate());
        QTest::mouseMove(record, QPoint(5, 5));
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), record->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(record, &help);
        QCOMPARE(QToolTip::isVisible(), showHint);
        if (showHint) {
            QCOMPARE(QToolTip::text(), QStringLiteral("サウンドレコーダーを呼び出し録音します"));
            // Up for 2.5 seconds, then gone by itself.
            QTest::qWait(1500);
            QVERIFY(QToolTip::isVisible());
            QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 2500);
        }
        QVERIFY(form.close());
    }
}

// In the table, a cell cut short tells its whole text; a whole one leaves
// the list's own tooltip.
void StartupCloseTest::cutCellTellsItsWholeText()
{
    Harness h;
    const QString title = QStringLiteral("帰りに牛乳とパンを買う");
    h.folder.Write("Voice.dat", Encode(title) + "\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n");
    TForm1& form = h.Open();
    QVERIFY(h.Activate());
    form.Detail1Click();
    QTableView* table = h.Find<MemoListView>("ListView1")->detailView();
    for (auto [column, tip] : {std::pair{0, title}, std::pair{4, QStringLiteral("ボイスファイルの一覧")}}) {
        const QPoint at = table->visualRect(table->model()->index(0, column)).center();
        QTest::mouseMove(table->viewport(), at);
        QHelpEvent help(QEvent::ToolTip, at, table->viewport()->mapToGlobal(at));
        QApplication::sendEvent(table->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), tip);
        QToolTip::hideText();
    }
}

void StartupCloseTest::lettersPressButtonsWhereNoTextIsTaken()
{
    Harness h;
    h.folder.Write("Voice.dat", "old\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n");
    TForm1& form = h.Open();
    QVERIFY(h.Activate());
    auto* record = h.Find<QPushButton>("BitBtn1");
    auto* title = h.Find<QLineEdit>("Edit1");

    // "L" alone on a button focuses the list its label names.
    record->setFocus();
    QTest::keyClick(record, Qt::Key_L);
    QTRY_VERIFY(h.Find<MemoListView>("ListView1")->iconView()->hasFocus());

    // "S" names the title edit, which takes no focus while it is disabled ...
    record->setFocus();
    QTest::keyClick(record, Qt::Key_S);
    QVERIFY(record->hasFocus());
    // ... and takes it once a memo is loaded; there "C" is typed, not pressed.
    h.ClickRow(0);
    record->setFocus();
    QTest::keyClick(record, Qt::Key_S);
    QTRY_VERIFY(title->hasFocus());
    title->end(false);
    QTest::keyClick(title, Qt::Key_C);
    QCOMPARE(title->text(), QStringLiteral("oldc"));
    QVERIFY(form.isVisible());

    // "C" alone on a button closes.
    record->setFocus();
    QTest::keyClick(record, Qt::Key_C);
    QTRY_VERIFY(!form.isVisible());
    QCOMPARE(h.folder.Read("Voice.dat"), "oldc\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n"s);
}

void StartupCloseTest::detailViewShowsSixColumns()
{
    Harness h;
    h.folder.Write("Voice.dat", "a\tb\tc\td\te\tf\r\n");
    TForm1& form = h.Open();
    auto* list = h.Find<MemoListView>("ListView1");
    // Picked among the icons, before the table was ever shown.
    QTest::mouseClick(list->iconView()->viewport(), Qt::LeftButton, {},
                      list->iconView()->visualRect(list->iconView()->model()->index(0, 0)).center());
    form.Detail1Click();
    QVERIFY(list->showsDetails());
    QTableView* table = list->detailView();
    QVERIFY(table->selectionModel()->isRowSelected(0, {}));
    list->clearSelection();
    QStringList headers;
    for (int column = 0; column < 6; ++column) {
        headers << form.Memos().headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
        QCOMPARE(table->columnWidth(column), 50);
    }
    QCOMPARE(headers, QStringList({"名前", "ファイル名", "記録日付", "記録時刻", "種別", "日付"}));
    QVERIFY(!table->horizontalHeader()->sectionsClickable());
    QCOMPARE(form.Memos().data(form.Memos().index(0, 5), Qt::DisplayRole).toString(), QStringLiteral("f"));
    // Both views share the selection.
    list->selectRow(0);
    QVERIFY(table->selectionModel()->isRowSelected(0, {}));
    form.LargeIcon1Click();
    QVERIFY(!list->showsDetails());
    QCOMPARE(list->selectedRow(), 0);
}

VOICEMEMO_DIALOG_TEST_MAIN(StartupCloseTest)

#include "StartupCloseTest.moc"
