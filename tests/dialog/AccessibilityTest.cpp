// What a screen reader is told of the window, read inside the process
// through QAccessible: the names and roles of the controls and one item per
// memo in the icon view.
#include <QAccessible>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include "DialogHarness.h"
#include "DialogTestMain.h"
#include "MemoListModel.h"
#include "MemoListView.h"

using namespace voicememo;
using namespace voicememo::testing;

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void controlsHaveNamesAndRoles_data();
    void controlsHaveNamesAndRoles();
    void everyInputControlIsNamed();
    void iconViewHasOneItemPerMemo();
    void everyControlIsAChildOfItsParent();
    void aRowAScreenReaderSelectsIsPicked_data();
    void aRowAScreenReaderSelectsIsPicked();
};

namespace {

QAccessibleInterface* Accessible(QObject* object) { return QAccessible::queryAccessibleInterface(object); }

// What a screen reader names a control by: the label that names it, or
// else its own name.
QString Label(QAccessibleInterface* accessible)
{
    const auto labels = accessible->relations(QAccessible::Label);
    return labels.isEmpty() ? accessible->text(QAccessible::Name) : labels.first().first->text(QAccessible::Name);
}

// A control by its name, or a part of one: "ListView1.icons",
// "ListView1.table", "UpDown3.up", "UpDown3.down", "RadioButton1.group".
QObject* Control(Harness& h, const QString& path)
{
    const QStringList parts = path.split(u'.');
    QWidget* widget = path == "TForm1" ? h.form.get() : h.Find<QWidget>(parts[0].toLatin1().constData());
    if (parts.size() == 1)
        return widget;
    if (auto* list = qobject_cast<MemoListView*>(widget))
        return parts[1] == "icons" ? static_cast<QWidget*>(list->iconView()) : list->detailView();
    if (parts[1] == "group")
        return widget->parentWidget();
    for (auto* arrow : widget->findChildren<QToolButton*>())
        if (arrow->arrowType() == (parts[1] == "up" ? Qt::UpArrow : Qt::DownArrow))
            return arrow;
    return nullptr;
}

TForm1& OpenMemos(Harness& h, const QStringList& titles)
{
    std::string catalogue;
    for (const QString& title : titles)
        catalogue +=
            title.toStdString() + "\t/x/data/" + title.toStdString() + ".wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    h.folder.Write("Voice.dat", catalogue);
    return h.Open();
}

}  // namespace

void AccessibilityTest::controlsHaveNamesAndRoles_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    QTest::newRow("window") << "TForm1"
                            << "ボイスメモ" << int(QAccessible::Window);
    QTest::newRow("icons") << "ListView1.icons"
                           << "ボイスメモの一覧" << int(QAccessible::List);
    QTest::newRow("table") << "ListView1.table"
                           << "ボイスメモの一覧" << int(QAccessible::Table);
    QTest::newRow("year") << "ComboBox1"
                          << "年" << int(QAccessible::ComboBox);
    QTest::newRow("month") << "ComboBox2"
                           << "月" << int(QAccessible::ComboBox);
    QTest::newRow("day") << "Edit2"
                         << "日" << int(QAccessible::SpinBox);
    QTest::newRow("day up") << "UpDown3.up"
                            << "1日後" << int(QAccessible::Button);
    QTest::newRow("day down") << "UpDown3.down"
                              << "1日前" << int(QAccessible::Button);
    QTest::newRow("kind group, TODO") << "RadioButton1.group"
                                      << "ボイスメモの種類" << int(QAccessible::Grouping);
    QTest::newRow("kind group, dated") << "RadioButton2.group"
                                       << "ボイスメモの種類" << int(QAccessible::Grouping);
}

void AccessibilityTest::controlsHaveNamesAndRoles()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(int, role);
    Harness h;
    OpenMemos(h, {"a"});
    QObject* object = Control(h, control);
    QVERIFY(object);
    QAccessibleInterface* accessible = Accessible(object);
    QVERIFY(accessible);
    QCOMPARE(Label(accessible), name);
    QCOMPARE(int(accessible->role()), role);
}

// Whatever shown takes the focus or a press has a name to be announced by.
void AccessibilityTest::everyInputControlIsNamed()
{
    Harness h;
    TForm1& form = OpenMemos(h, {"a"});
    h.ClickRow(0);
    h.Find<QAbstractButton>("RadioButton2")->click();  // the date boxes enabled
    for (QWidget* widget : form.findChildren<QWidget*>()) {
        const bool takesInput =
            (widget->focusPolicy() != Qt::NoFocus && !widget->focusProxy()) || qobject_cast<QAbstractButton*>(widget);
        if (!takesInput || !widget->isVisibleTo(&form) || widget->inherits("QScrollBar"))
            continue;
        QVERIFY2(!Label(Accessible(widget)).isEmpty(),
                 qPrintable(widget->objectName() + " " + widget->metaObject()->className()));
    }
}

// Each memo is one item, named by its title and described by the mark its
// voice file has; the table, hidden, is not shown to a screen reader. (The
// focus events, which the offscreen platform does not send, are read
// through the real bus in the AT-SPI test.)
void AccessibilityTest::iconViewHasOneItemPerMemo()
{
    const QStringList titles{"Apple", "Banana", "Cherry"};
    const QStringList marks{"", "ボイスファイルが空です", "ボイスファイルがありません"};
    Harness h;
    h.folder.Write("data/Apple.wav", "RIFF");
    h.folder.Write("data/Banana.wav", "");
    std::string catalogue;
    for (const QString& title : titles)
        catalogue += title.toStdString() + "\t" + h.exeDir + "data/" + title.toStdString() +
                     ".wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    h.folder.Write("Voice.dat", catalogue);
    h.Open();
    auto* list = h.Find<MemoListView>("ListView1");
    QAccessibleInterface* icons = Accessible(list->iconView());
    QCOMPARE(icons->childCount(), titles.size());
    for (int memo = 0; memo < titles.size(); ++memo) {
        QCOMPARE(icons->child(memo)->text(QAccessible::Name), titles[memo]);
        QCOMPARE(icons->child(memo)->text(QAccessible::Description), marks[memo]);
        QCOMPARE(icons->child(memo)->role(), QAccessible::ListItem);
    }
    QVERIFY(Accessible(list->detailView())->state().invisible);
    list->showDetails();
    QAccessibleTableInterface* table = Accessible(list->detailView())->tableInterface();
    QCOMPARE(table->cellAt(2, 3)->text(QAccessible::Description), marks[2]);
}

// The tree is one: every control, a title being renamed in the list and
// the views' scroll bars and header among them, is found among the
// children of the parent it names (a screen reader asks where each stands).
void AccessibilityTest::everyControlIsAChildOfItsParent()
{
    Harness h;
    TForm1& form = OpenMemos(h, {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p"});
    auto* list = h.Find<MemoListView>("ListView1");
    for (bool details : {false, true}) {
        details ? list->showDetails() : list->showLargeIcons();
        list->editTitle(1);
        QTRY_VERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
        for (QWidget* widget : form.findChildren<QWidget*>()) {
            QAccessibleInterface* accessible = Accessible(widget);
            if (!accessible || !widget->isVisibleTo(&form))
                continue;
            QAccessibleInterface* parent = accessible->parent();
            QVERIFY2(parent, qPrintable(widget->objectName()));
            const int index = parent->indexOfChild(accessible);
            QVERIFY2(index >= 0 && parent->child(index) == accessible,
                     qPrintable(QStringLiteral("%1 (%2) in %3")
                                    .arg(widget->metaObject()->className(), widget->objectName(),
                                         parent->object() ? parent->object()->metaObject()->className() : "")));
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!qobject_cast<QLineEdit*>(QApplication::focusWidget()));
    }
}

VOICEMEMO_DIALOG_TEST_MAIN(AccessibilityTest)

#include "AccessibilityTest.moc"

void AccessibilityTest::aRowAScreenReaderSelectsIsPicked_data()
{
    QTest::addColumn<bool>("details");
    QTest::newRow("icons") << false;
    QTest::newRow("table") << true;
}

// A screen reader's select action on an item changes the selection alone; the
// window follows it as it follows a click: the title, and 再生 enabled.
void AccessibilityTest::aRowAScreenReaderSelectsIsPicked()
{
    QFETCH(bool, details);
    Harness h;
    OpenMemos(h, {"Apple", "Banana"});
    auto* list = h.Find<MemoListView>("ListView1");
    if (details)
        list->showDetails();
    auto* title = h.Find<QLineEdit>("Edit1");
    auto* play = h.Find<QPushButton>("BitBtn2");
    QVERIFY(!play->isEnabled());
    QAccessibleInterface* view = Accessible(list->currentView());
    auto select = [&](int row) {
        QAccessibleInterface* item = details ? view->tableInterface()->cellAt(row, 0) : view->child(row);
        item->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    };
    select(1);
    QTRY_COMPARE(title->text(), QStringLiteral("Banana"));
    QVERIFY(play->isEnabled());
    // The next row it selects takes the title typed meanwhile with it.
    title->setText(QStringLiteral("Banana split"));
    select(0);
    QTRY_COMPARE(title->text(), QStringLiteral("Apple"));
    QCOMPARE(list->model()->memo(1).Title, std::string("Banana split"));
}
