// Editing a memo as a new user does: pasting into the date boxes, typing and
// stepping through them, long titles, clicking back into the list, another
// writer changing the memo being edited, and ending the program while a
// start-up message is up.
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QToolTip>
#include <csignal>
#include <filesystem>

#include "DialogHarness.h"
#include "DialogTestMain.h"
#include "MemoListView.h"
#include "MemoSteps.h"

using namespace voicememo;
using namespace voicememo::testing;
using namespace std::string_literals;

class EditingTest : public QObject {
    Q_OBJECT
private slots:
    void pastedLineBreaksNeverSplitTheCatalogue();
    void titlesOfAnyLengthSurvive();
    void charactersTheCatalogueCannotHoldAreRefused_data();
    void charactersTheCatalogueCannotHoldAreRefused();
    void yearBoxKeepsWhatIsTyped();
    void monthListOpensOnTheMonthShown();
    void arrowsStepFromTheEntryShown_data();
    void arrowsStepFromTheEntryShown();
    void clickBackIntoTheListCommitsWithoutRenaming();
    void anotherWritersChangesMeetTheControls_data();
    void anotherWritersChangesMeetTheControls();
    void endSignalDuringStartUpMessageEndsTheProgram();
};

namespace {

const std::string kDated = "d\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tDAILY\t2001/3/31\r\n";
const std::string kOther = "t\t/x/data/Voice2.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";

QLineEdit* BoxEdit(Harness& h, const char* name) { return h.Find<QComboBox>(name)->lineEdit(); }

void Paste(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QApplication::clipboard()->setText(text);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

// The memo as the editing controls show it: "title|TODO" or "title|y/m/d".
QString ShownInControls(Harness& h)
{
    const QString kind =
        h.Find<QRadioButton>("RadioButton1")->isChecked()
            ? QStringLiteral("TODO")
            : BoxEdit(h, "ComboBox1")->text() + "/" + BoxEdit(h, "ComboBox2")->text() + "/" + Text(h, "Edit2");
    return Text(h, "Edit1") + "|" + kind;
}

}  // namespace

void EditingTest::pastedLineBreaksNeverSplitTheCatalogue()
{
    Harness h;
    h.folder.Write("Voice.dat", kDated + kOther);
    TForm1& form = h.Open();
    QVERIFY(h.Activate());
    h.ClickRow(0);
    Paste(BoxEdit(h, "ComboBox1"), QStringLiteral("4\r\n"));
    Paste(BoxEdit(h, "ComboBox2"), QString::fromUtf16(u"1\0"
                                                      "2",
                                                      3));
    Paste(h.Find<QLineEdit>("Edit2"), QStringLiteral("\t5"));
    QCOMPARE(BoxEdit(h, "ComboBox1")->text(), QStringLiteral("4"));
    QCOMPARE(BoxEdit(h, "ComboBox2")->text(), QStringLiteral("12"));
    QCOMPARE(h.Find<QLineEdit>("Edit2")->text(), QStringLiteral("5"));
    QVERIFY(form.close());
    QCOMPARE(h.folder.Read("Voice.dat"), "d\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tDAILY\t4/12/5\r\n" + kOther);
}

void EditingTest::charactersTheCatalogueCannotHoldAreRefused_data()
{
    QTest::addColumn<bool>("inList");
    QTest::newRow("title box") << false;
    QTest::newRow("rename box in the list") << true;
}

// An emoji or "€" (code page 932 has neither; "①" and "ｱ" it has) entered
// as an input method or emoji picker enters text is refused at once, and
// the box says so once per edit, in a tooltip and to a screen reader.
void EditingTest::charactersTheCatalogueCannotHoldAreRefused()
{
    QFETCH(bool, inList);
    Harness h;
    h.folder.Write("Voice.dat", kDated);
    TForm1& form = h.Open();
    QVERIFY(h.Activate());
    QAbstractItemView* view = h.Find<MemoListView>("ListView1")->currentView();
    // The box the user types into: the title box, or the editor F2 opens.
    const auto startEdit = [&](bool click) {
        if (click)
            h.ClickRow(0);
        if (!inList) {
            h.Find<QLineEdit>("Edit1")->setFocus();
            return h.Find<QLineEdit>("Edit1");
        }
        QTest::keyClick(view, Qt::Key_F2);
        return view->findChild<QLineEdit*>();
    };
    const auto enter = [](QLineEdit* edit, const QString& text) {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(edit, &commit);
    };
    const QString hint = QStringLiteral("「😀€」は Shift_JIS で表せないため、タイトルに使えません。");

    QLineEdit* edit = startEdit(true);
    QVERIFY(edit && edit->hasFocus());
    edit->selectAll();
    enter(edit, QStringLiteral("a😀b€c①ｱ"));
    QCOMPARE(edit->text(), QStringLiteral("abc①ｱ"));
    QCOMPARE(edit->cursorPosition(), 5);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), hint);
    QCOMPARE(edit->accessibleDescription(), hint);
    // Once per edit: the next refusal refuses without a word.
    QToolTip::showText(edit->mapToGlobal(QPoint()), QStringLiteral("another tip"), edit);
    enter(edit, QStringLiteral("😀"));
    QCOMPARE(edit->text(), QStringLiteral("abc①ｱ"));
    QCOMPARE(QToolTip::text(), QStringLiteral("another tip"));
    QTest::keyClick(edit, Qt::Key_Return);
    if (inList)
        QTRY_VERIFY(!view->findChild<QLineEdit*>());
    else
        view->setFocus();

    // The next edit is told again.
    edit = startEdit(!inList);
    QVERIFY(edit && edit->hasFocus());
    QVERIFY(edit->accessibleDescription().isEmpty());
    edit->end(false);
    enter(edit, QStringLiteral("€😀"));
    QCOMPARE(edit->text(), QStringLiteral("abc①ｱ"));
    QCOMPARE(QToolTip::text(), QStringLiteral("「€😀」は Shift_JIS で表せないため、タイトルに使えません。"));
    QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(form.close());
    QCOMPARE(h.folder.Read("Voice.dat"), "abc\x87\x40\xb1" + kDated.substr(1));
}

void EditingTest::titlesOfAnyLengthSurvive()
{
    Harness h;
    std::string title;
    for (int i = 0; i < 20000; ++i)
        title += i % 100 == 99 ? "\x82\xa0" : "ab";  // 40,000 bytes, a few of them kana
    h.folder.Write("Voice.dat", title + "\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n" + kOther);
    TForm1& form = h.Open();
    h.ClickRow(0);
    h.ClickRow(1);
    h.ClickRow(0);
    QCOMPARE(form.Memos().memo(0).Title.size(), title.size());
    // Typing at its end reaches the memo whole, too.
    QLineEdit* edit = h.Find<QLineEdit>("Edit1");
    edit->end(false);
    QTest::keyClicks(edit, "!");
    QVERIFY(form.close());
    QCOMPARE(h.folder.Read("Voice.dat"), title + "!\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n" + kOther);
}

void EditingTest::yearBoxKeepsWhatIsTyped()
{
    Harness h;
    h.folder.Write("Voice.dat", "d\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tDAILY\t2024/2/29\r\n" + kOther);
    TForm1& form = h.Open();
    QVERIFY(h.Activate());
    h.ClickRow(0);
    QLineEdit* year = BoxEdit(h, "ComboBox1");
    year->setFocus();
    year->selectAll();
    QTest::keyClicks(year, "2");
    QCOMPARE(year->text(), QStringLiteral("2"));  // not completed to 2026
    QCOMPARE(h.Find<QLineEdit>("Edit2")->text(), QStringLiteral("28"));
    year->selectAll();
    QTest::keyClicks(year, "4");  // year 4 is a leap year: the day may be 29 again
    QTest::keyClick(h.Find<QLineEdit>("Edit2"), Qt::Key_Up);
    h.ClickRow(1);
    QCOMPARE(form.Memos().memo(0).ShownDate, "4/2/29"s);
}

// The month's list opens on the month shown, not on the one picked last.
void EditingTest::monthListOpensOnTheMonthShown()
{
    Harness h;
    h.folder.Write("Voice.dat", kDated + kOther);
    h.Open();
    QVERIFY(h.Activate());
    h.ClickRow(0);
    auto* month = h.Find<QComboBox>("ComboBox2");
    QCOMPARE(month->currentText(), QStringLiteral("3"));
    QTest::keyClick(month->lineEdit(), Qt::Key_Down, Qt::AltModifier);
    QTRY_VERIFY(month->view()->isVisible());
    QCOMPARE(month->view()->currentIndex().data().toString(), QStringLiteral("3"));
    month->hidePopup();
    QCOMPARE(month->currentText(), QStringLiteral("3"));
}

void EditingTest::arrowsStepFromTheEntryShown_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("day");
    QTest::newRow("month down from 3") << "ComboBox2" << int(Qt::Key_Down) << "4"
                                       << "30";
    QTest::newRow("month up from 3") << "ComboBox2" << int(Qt::Key_Up) << "2"
                                     << "28";
    // 2001 is not in the list: the first entry comes first.
    QTest::newRow("year down from 2001") << "ComboBox1" << int(Qt::Key_Down) << "2026"
                                         << "31";
    QTest::newRow("year up from 2001") << "ComboBox1" << int(Qt::Key_Up) << "2026"
                                       << "31";
}

void EditingTest::arrowsStepFromTheEntryShown()
{
    QFETCH(QString, box);
    QFETCH(int, key);
    QFETCH(QString, shown);
    QFETCH(QString, day);
    Harness h;
    h.folder.Write("Voice.dat", kDated + kOther);
    TForm1& form = h.Open();
    QVERIFY(h.Activate());
    h.ClickRow(0);
    QLineEdit* edit = BoxEdit(h, box.toLatin1().constData());
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key(key));
    QCOMPARE(edit->text(), shown);
    QCOMPARE(h.Find<QLineEdit>("Edit2")->text(), day);
    h.ClickRow(1);
    const std::string expected = box == "ComboBox1" ? shown.toStdString() + "/3/" + day.toStdString()
                                                    : "2001/" + shown.toStdString() + "/" + day.toStdString();
    QCOMPARE(form.Memos().memo(0).ShownDate, expected);
}

void EditingTest::clickBackIntoTheListCommitsWithoutRenaming()
{
    Harness h;
    h.folder.Write("Voice.dat", kDated + kOther);
    TForm1& form = h.Open();
    QVERIFY(h.Activate());
    h.ClickRow(1);
    QLineEdit* title = h.Find<QLineEdit>("Edit1");
    title->setFocus();
    title->selectAll();
    QTest::keyClicks(title, "renamed");
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    h.ClickRow(1);
    QTest::qWait(QApplication::doubleClickInterval() + 200);
    QAbstractItemView* view = h.Find<MemoListView>("ListView1")->currentView();
    auto renaming = [view] {
        return qobject_cast<QLineEdit*>(QApplication::focusWidget()) && view->isAncestorOf(QApplication::focusWidget());
    };
    QVERIFY(!renaming());
    QCOMPARE(form.Memos().memo(1).Title, "renamed"s);

    // With the focus in the list already, a click on the icon does not
    // rename, one on the caption does.
    const QRect cell = view->visualRect(view->model()->index(1, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(cell.center().x(), cell.top() + 10));
    QTest::qWait(QApplication::doubleClickInterval() + 200);
    QVERIFY(!renaming());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(cell.center().x(), cell.bottom() - 8));
    QTRY_VERIFY(renaming());
    // The rename box covers the caption, framed, and leaves the icon alone.
    auto* box = static_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(box->hasFrame());
    QCOMPARE(box->geometry().left(), cell.left());
    QCOMPARE(box->geometry().width(), cell.width());
    QVERIFY(box->geometry().top() >= cell.top() + 32 && box->geometry().bottom() <= cell.bottom() + 2);
}

void EditingTest::anotherWritersChangesMeetTheControls_data()
{
    QTest::addColumn<QString>("touch");  // what the user does to the memo loaded
    QTest::addColumn<VoiceMemo>("theirs");
    QTest::addColumn<bool>("leaveByClose");
    QTest::addColumn<QString>("shown");  // the controls once theirs is taken in
    QTest::addColumn<VoiceMemo>("saved");
    QTest::addColumn<QString>("notice");
    const VoiceMemo loaded{"d", "", "2001/04/05", "09:12:30", "DAILY", "2001/3/31"};
    VoiceMemo retitled = loaded, datedAnew = loaded, madeTodo = loaded;
    retitled.Title = "d2";
    datedAnew.ShownDate = "2027/1/15";
    madeTodo.Kind = "TODO";
    madeTodo.ShownDate = "";
    VoiceMemo dayDown = loaded, retitledDayDown = retitled;
    dayDown.ShownDate = retitledDayDown.ShownDate = "2001/3/30";
    const QString replaced =
        QStringLiteral("ボイスメモ「d」の%1は別の場所で「%2」に変えられていましたが、ここで変えた値にしました。");
    QTest::newRow("retitled") << "" << retitled << false << "d2|2001/3/31" << retitled << "";
    QTest::newRow("dated anew") << "" << datedAnew << true << "d|2027/1/15" << datedAnew << "";
    QTest::newRow("made TODO") << "" << madeTodo << false << "d|TODO" << madeTodo << "";
    QTest::newRow("title typed back, retitled")
        << "title typed back" << retitled << false << "d2|2001/3/31" << retitled << "";
    QTest::newRow("day changed, retitled") << "day down" << retitled << true << "d2|2001/3/30" << retitledDayDown << "";
    QTest::newRow("made TODO both") << "TODO" << madeTodo << false << "d|TODO" << madeTodo << "";
    QTest::newRow("day changed, dated anew")
        << "day down" << datedAnew << false << "d|2001/3/30" << dayDown << replaced.arg("表示する日付", "2027/1/15");
    QTest::newRow("day changed, made TODO")
        << "day down" << madeTodo << false << "d|2001/3/30" << dayDown << replaced.arg("種類", "TODOボイスメモ");
    QTest::newRow("made TODO, dated anew") << "TODO" << datedAnew << true << "d|TODO" << madeTodo
                                           << replaced.arg("種類", "2027/1/15 の日付指定ボイスメモ");
}

// Another writer (a second machine through a sync tool) changes the memo
// loaded in the controls, and the window takes it in: a field the user has
// not changed shows theirs and keeps it at the next click or close; one the
// user changed keeps the user's, which wins, and the user is told once what
// it replaced. The user changes it while playing the memo, which holds the
// save off, so theirs arrives under an edit not yet written.
void EditingTest::anotherWritersChangesMeetTheControls()
{
    QFETCH(QString, touch);
    QFETCH(VoiceMemo, theirs);
    QFETCH(bool, leaveByClose);
    QFETCH(QString, shown);
    QFETCH(VoiceMemo, saved);
    QFETCH(QString, notice);
    Harness h;
    const std::string voiceFile = h.exeDir + "data/Voice1.wav";
    h.folder.Write("data/Voice1.wav", "RIFF");
    h.folder.Write("Voice.dat", "d\t" + voiceFile + "\t2001/04/05\t09:12:30\tDAILY\t2001/3/31\r\n" + kOther);
    TForm1& form = h.Open();
    QVERIFY(h.Activate());
    h.ClickRow(0);
    QLineEdit* title = h.Find<QLineEdit>("Edit1");
    if (touch == "title typed back") {
        title->setFocus();
        QTest::keyClicks(title, "x");
        QTest::keyClick(title, Qt::Key_Backspace);
    } else if (touch == "day down") {
        QTest::keyClick(h.Find<QLineEdit>("Edit2"), Qt::Key_Down);
    } else if (touch == "TODO") {
        Click(h, "RadioButton1");
    }
    auto* keeper = form.findChild<CatalogueKeeper*>();
    bool settled = false;
    h.player.observe = [&](const std::string& path) {
        settled = QTest::qWaitFor([keeper] { return !keeper->EditPending(); }, 20000);
        return ListeningPlayer::Played{path, form.EditIndex(), false};
    };
    Click(h, "BitBtn2");
    QVERIFY(settled);
    QCOMPARE(h.player.played.size(), std::size_t{1});

    title->setFocus();
    title->setCursorPosition(1);
    theirs.FilePath = voiceFile;
    saved.FilePath = voiceFile;
    const auto line = [](const VoiceMemo& m) {
        return m.Title + "\t" + m.FilePath + "\t" + m.RecordedDate + "\t" + m.RecordedTime + "\t" + m.Kind + "\t" +
               m.ShownDate + "\r\n";
    };
    h.folder.Write("Voice.dat.sync", line(theirs) + kOther);
    std::filesystem::rename(h.folder.path("Voice.dat.sync"), h.folder.path("Voice.dat"));
    QTRY_COMPARE_WITH_TIMEOUT(form.Memos().memo(0), theirs, 20000);
    QCOMPARE(ShownInControls(h), shown);
    QCOMPARE(QApplication::focusWidget(), title);
    QCOMPARE(title->cursorPosition(), title->text() == "d" ? 1 : int(title->text().size()));

    BoxAnswerer answer(QString(), true);
    if (!leaveByClose)
        h.ClickRow(1);
    QVERIFY(form.close());
    QCOMPARE(answer.text, notice);
    QCOMPARE(answer.later, QStringList());
    QCOMPARE(h.folder.Read("Voice.dat"), line(saved) + kOther);
}

void EditingTest::endSignalDuringStartUpMessageEndsTheProgram()
{
    Harness h;
    h.folder.MakeUnreadable("Voice.dat");
    h.Create();
    TForm1& form = *h.form;
    SessionEnd sessionEnd(&form);
    bool boxWasUp = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll.stop();
        boxWasUp = true;
        ::raise(SIGTERM);
        // The close query runs while the box is up; then the box is answered
        // (after a long bound all the same, so a close that never comes
        // fails the test instead of hanging it).
        auto* answer = new QTimer(box);
        QElapsedTimer waited;
        waited.start();
        QObject::connect(answer, &QTimer::timeout, box, [box, &form, waited] {
            if (form.Closed() || waited.elapsed() > 20000)
                box->buttons().first()->click();
        });
        answer->start(10);
    });
    poll.start(10);
    form.show();
    QVERIFY(boxWasUp);
    QVERIFY(form.Closed());
    QVERIFY(h.folder.Exists("sorvane.ini"));
    QVERIFY(std::filesystem::is_symlink(h.folder.path("Voice.dat")));
    // The window does not come back once the box is gone.
    QTest::qWait(100);
    QVERIFY(!form.isVisible());
}

VOICEMEMO_DIALOG_TEST_MAIN(EditingTest)

#include "EditingTest.moc"
