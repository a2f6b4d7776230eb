// The memo model as the views see it: rows held back during the walk for
// unused files reach the views in one insertion, and a catalogue handed
// over is taken as it is.
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include "DialogTestMain.h"
#include "MemoListModel.h"
#include "TitleColumn.h"

using namespace voicememo;

class MemoListModelTest : public QObject {
    Q_OBJECT
private slots:
    void heldRowsReachTheViewsInOneInsertion();
    void anotherChangeShowsHeldRowsFirst();
    void handedOverMemosAreTakenWhole();
};

namespace {

VoiceMemo Memo(const std::string& title)
{
    return {title, "/app/data/" + title + ".wav", "2001/04/05", "09:12:30", "TODO", ""};
}

// Qt's checks of the model contract, on the model and on the title column
// that forwards it to the icons, through every change a test makes.
struct ContractChecked {
    explicit ContractChecked(MemoListModel& model)
        : titles(),
          tested(&model, kReporting),
          titlesTested(&titles, kReporting)
    {
        titles.setSource(&model);
    }
    static constexpr auto kReporting = QAbstractItemModelTester::FailureReportingMode::QtTest;
    TitleColumn titles;
    QAbstractItemModelTester tested;
    QAbstractItemModelTester titlesTested;
};

}  // namespace

void MemoListModelTest::heldRowsReachTheViewsInOneInsertion()
{
    MemoListModel model;
    ContractChecked checked(model);
    model.appendMemo(Memo("A"));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    model.holdNewRows();
    model.appendMemo(Memo("B"));
    model.appendMemo(Memo("C"));
    QCOMPARE(model.count(), 3);
    QCOMPARE(model.memo(2).Title, std::string("C"));
    QCOMPARE(model.rowCount(), 1);
    QVERIFY(!model.data(model.index(1, 0), Qt::DisplayRole).isValid());
    // A held row changes without a word to the views, which do not know it.
    model.setTitle(2, "C2");
    QCOMPARE(changed.count(), 0);
    QCOMPARE(inserted.count(), 0);

    model.showNewRows();
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted[0][1].toInt(), 1);
    QCOMPARE(inserted[0][2].toInt(), 2);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.data(model.index(2, 0), Qt::DisplayRole).toString(), QStringLiteral("C2"));

    // Once shown, rows come one insertion each again.
    model.appendMemo(Memo("D"));
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(model.rowCount(), 4);
}

void MemoListModelTest::anotherChangeShowsHeldRowsFirst()
{
    MemoListModel model;
    ContractChecked checked(model);
    model.appendMemos({Memo("A"), Memo("B")});
    model.holdNewRows();
    model.appendMemo(Memo("C"));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    model.removeMemo(0);
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(removed.count(), 1);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.memo(1).Title, std::string("C"));
    model.insertMemos(0, {Memo("Z")});
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.memo(0).Title, std::string("Z"));
}

void MemoListModelTest::handedOverMemosAreTakenWhole()
{
    MemoListModel model;
    ContractChecked checked(model);
    MemoTable loaded = MemoTable::FromCatalogueText(
        "A\t/app/data/A.wav\t2001/04/05\t09:12:30\tTODO\t\r\nB\t/app/data/B.wav\t2001/04/05\t09:12:30\tTODO\t\r\n");
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.appendMemos(std::move(loaded));
    QCOMPARE(inserted.count(), 1);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.memo(1), Memo("B"));
    QCOMPARE(model.data(model.index(1, 1), Qt::DisplayRole).toString(), QStringLiteral("/app/data/B.wav"));
    model.appendMemos(std::vector<VoiceMemo>{Memo("C")});
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.memo(2), Memo("C"));
    QCOMPARE(inserted.count(), 2);
    // The list as a merged save left it takes the place of the whole.
    model.replaceMemos(MemoTable(std::vector<VoiceMemo>{Memo("B"), Memo("D")}));
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(checked.titles.data(checked.titles.index(1), Qt::DisplayRole).toString(), QStringLiteral("D"));
}

VOICEMEMO_DIALOG_TEST_MAIN(MemoListModelTest)

#include "MemoListModelTest.moc"
