// The window driven with the keyboard alone: picking a memo, playing it,
// retitling it, leaving the list and reaching the list's pop-up menu.
#include <QAbstractButton>
#include <QLineEdit>
#include <QListView>
#include <QMenu>

#include "DialogHarness.h"
#include "DialogTestMain.h"
#include "MemoListView.h"

using namespace voicememo;
using namespace voicememo::testing;

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void keysPickPlayAndRetitleOneMemo_data();
    void keysPickPlayAndRetitleOneMemo();
    void tabLeavesTheTable_data();
    void tabLeavesTheTable();
    void shiftF10OpensTheMenuWithAddUnused();
    void endReachesTheLastMemoOfALongListAtOnce();
    void f2RenamesTheTitleFromAnyColumn();
    void altLetterChecksAKindBeforeItTakesTheFocus();
};

namespace {

const QStringList kTitles{"Apple", "Banana", "Cherry"};

// Three memos with their voice files, the window active.
TForm1& OpenThreeMemos(Harness& h)
{
    std::string catalogue;
    for (int row = 0; row < kTitles.size(); ++row) {
        const std::string file = "data/Voice" + std::to_string(row + 1) + ".wav";
        h.folder.Write(file, "x");
        catalogue += kTitles[row].toStdString() + "\t" + h.exeDir + file + "\t2001/04/05\t09:12:30\tTODO\t\r\n";
    }
    h.folder.Write("Voice.dat", catalogue);
    TForm1& form = h.Open();
    [&] { QVERIFY(h.Activate()); }();
    return form;
}

void PressKeys(Harness& h, const QList<int>& keys)
{
    for (int key : keys)
        PressKey(h, Qt::Key(key));
}

}  // namespace

void KeyboardTest::keysPickPlayAndRetitleOneMemo_data()
{
    QTest::addColumn<bool>("details");
    QTest::addColumn<QList<int>>("keys");  // pressed in the list, its first memo current
    QTest::addColumn<int>("row");
    QTest::newRow("Right in the icons") << false << QList<int>{Qt::Key_Right} << 1;
    QTest::newRow("End in the icons") << false << QList<int>{Qt::Key_End} << 2;
    QTest::newRow("Down in the table") << true << QList<int>{Qt::Key_Down} << 1;
    QTest::newRow("Page Down in the table") << true << QList<int>{Qt::Key_PageDown} << 2;
    QTest::newRow("a title's first letter") << true << QList<int>{Qt::Key_C} << 2;
    // The table moves by memo from any column.
    QTest::newRow("End in another column of the table") << true << QList<int>{Qt::Key_Right, Qt::Key_End} << 2;
    QTest::newRow("a title's first letter from another column")
        << true << QList<int>{Qt::Key_Right, Qt::Key_Right, Qt::Key_C} << 2;
}

// The memo a key picks is loaded as a click loads it: it plays with Alt+P,
// and the title typed for it reaches it and no other memo, also once
// another memo has been picked in between.
void KeyboardTest::keysPickPlayAndRetitleOneMemo()
{
    QFETCH(bool, details);
    QFETCH(QList<int>, keys);
    QFETCH(int, row);
    Harness h;
    TForm1& form = OpenThreeMemos(h);
    if (details)
        form.Detail1Click();
    auto* title = h.Find<QLineEdit>("Edit1");

    PressKey(h, Qt::Key_L, Qt::AltModifier);
    PressKeys(h, keys);
    QCOMPARE(form.EditIndex(), row);
    QCOMPARE(title->text(), kTitles[row]);
    QVERIFY(h.Find<QWidget>("BitBtn2")->isEnabled());
    PressKey(h, Qt::Key_P, Qt::AltModifier);
    QTRY_COMPARE(h.player.played.size(), std::size_t(1));
    QCOMPARE(h.player.played[0].diskPath, h.folder.path("data/Voice" + std::to_string(row + 1) + ".wav").string());

    PressKey(h, Qt::Key_S, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), title);
    PressKey(h, Qt::Key_End);
    PressKey(h, Qt::Key_2);
    PressKey(h, Qt::Key_L, Qt::AltModifier);
    PressKey(h, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(form.EditIndex(), 0);
    QCOMPARE(title->text(), kTitles[0]);
    QTest::qWait(QApplication::keyboardInputInterval() + 50);  // typed letters start a new search
    PressKeys(h, keys);
    QCOMPARE(title->text(), kTitles[row] + "2");
    for (int other = 0; other < kTitles.size(); ++other)
        QCOMPARE(QString::fromStdString(form.Memos().memo(other).Title), kTitles[other] + (other == row ? "2" : ""));
}

void KeyboardTest::tabLeavesTheTable_data()
{
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("focusAfter");
    QTest::newRow("Tab, a memo loaded") << true << 0 << QStringLiteral("Edit1");
    QTest::newRow("Shift+Tab, a memo loaded") << true << int(Qt::ShiftModifier) << QStringLiteral("BitBtn4");
    QTest::newRow("Tab, no memo loaded") << false << 0 << QStringLiteral("BitBtn1");
}

void KeyboardTest::tabLeavesTheTable()
{
    QFETCH(bool, loaded);
    QFETCH(int, modifiers);
    QFETCH(QString, focusAfter);
    Harness h;
    TForm1& form = OpenThreeMemos(h);
    form.Detail1Click();
    PressKey(h, Qt::Key_L, Qt::AltModifier);
    if (loaded)
        PressKey(h, Qt::Key_Down);
    PressKey(h, Qt::Key_Tab, Qt::KeyboardModifiers(modifiers));
    QVERIFY(QApplication::focusWidget());
    QCOMPARE(QApplication::focusWidget()->objectName(), focusAfter);
}

// Shift+F10 opens the list's menu; its last entry adds the unused files,
// as the button does that no key reaches.
void KeyboardTest::shiftF10OpensTheMenuWithAddUnused()
{
    Harness h;
    TForm1& form = OpenThreeMemos(h);
    h.folder.Write("data/Voice7.wav", "x");
    PressKey(h, Qt::Key_L, Qt::AltModifier);
    PressKey(h, Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(form.PopupMenu()->isVisible());
    BoxAnswerer notice;
    QTest::keyClick(form.PopupMenu(), Qt::Key_A);
    QTRY_VERIFY(notice.seen);
    QCOMPARE(notice.text, QStringLiteral("1個の未使用のファイルが見つかり、追加しました。"));
    QCOMPARE(form.Memos().count(), 4);
    QCOMPARE(form.Memos().memo(3).FilePath, h.exeDir + "data/Voice7.wav");
}

// A long list is placed in batches once the window shows. End pressed
// before the last batch is placed still picks the last memo, in sight.
void KeyboardTest::endReachesTheLastMemoOfALongListAtOnce()
{
    constexpr int kMemos = 500;
    Harness h;
    std::string catalogue;
    for (int row = 0; row < kMemos; ++row)
        catalogue += "Memo " + std::to_string(row) + "\t" + h.exeDir + "data/Voice" + std::to_string(row) +
                     ".wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    h.folder.Write("Voice.dat", catalogue);
    TForm1& form = h.Open();
    QListView* icons = h.Find<MemoListView>("ListView1")->iconView();
    icons->setCurrentIndex(icons->model()->index(0, 0));
    QTest::keyClick(icons, Qt::Key_End);
    QCOMPARE(form.EditIndex(), kMemos - 1);
    QVERIFY(icons->viewport()->rect().intersects(icons->visualRect(icons->currentIndex())));
}

void KeyboardTest::f2RenamesTheTitleFromAnyColumn()
{
    Harness h;
    TForm1& form = OpenThreeMemos(h);
    form.Detail1Click();
    PressKey(h, Qt::Key_L, Qt::AltModifier);
    PressKeys(h, {Qt::Key_Down, Qt::Key_Right, Qt::Key_Right, Qt::Key_F2});
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    QCOMPARE(editor->text(), kTitles[1]);
    editor->selectAll();
    editor->insert(QStringLiteral("Blueberry"));
    PressKey(h, Qt::Key_Return);  // committed once the events are handled
    QTRY_COMPARE(QString::fromStdString(form.Memos().memo(1).Title), QStringLiteral("Blueberry"));
}

// A screen reader announces the kind button that takes the focus: it must
// be checked by then, not a moment later.
void KeyboardTest::altLetterChecksAKindBeforeItTakesTheFocus()
{
    Harness h;
    OpenThreeMemos(h);
    h.ClickRow(0);
    auto* dated = h.Find<QAbstractButton>("RadioButton2");
    auto* todo = h.Find<QAbstractButton>("RadioButton1");
    bool checkedWhenFocused = false;
    QObject listening;  // gone before the flag it sets
    QObject::connect(qApp, &QApplication::focusChanged, &listening,
                     [&](QWidget*, QWidget* now) { checkedWhenFocused = now == dated && dated->isChecked(); });
    PressKey(h, Qt::Key_D, Qt::AltModifier);
    QVERIFY(checkedWhenFocused);
    QVERIFY(h.Find<QWidget>("ComboBox1")->isEnabled());
    PressKey(h, Qt::Key_T, Qt::AltModifier);
    QVERIFY(todo->isChecked() && todo->hasFocus());
}

VOICEMEMO_DIALOG_TEST_MAIN(KeyboardTest)

#include "KeyboardTest.moc"
