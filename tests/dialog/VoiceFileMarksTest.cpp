// Memos whose voice file is missing or empty are marked in both views, at
// the cost of the rows drawn only, and the marks follow the files.
#include <QListView>
#include <QTableView>
#include <QTest>

#include "DialogHarness.h"
#include "DialogTestMain.h"
#include "Pictures.h"

using namespace voicememo;
using namespace voicememo::testing;

class VoiceFileMarksTest : public QObject {
    Q_OBJECT
private slots:
    void missingAndEmptyFilesAreMarkedAndFollowTheFiles();
    void onlyTheRowsDrawnAreLookedAt();
};

namespace {

// The files the window asks about, counted.
struct CountingFiles : PosixFileSystem {
    int asked = 0;
    bool FileHoldsBytes(const std::string& path) override
    {
        ++asked;
        return PosixFileSystem::FileHoldsBytes(path);
    }
};

struct MarkedWindow {
    Harness h;
    CountingFiles files;
    std::unique_ptr<TForm1> form;

    TForm1& Open()
    {
        form = std::make_unique<TForm1>(DialogServices{files, h.clock, h.regional, h.player, h.launcher, h.exeDir});
        form->show();
        return *form;
    }
    // What the views draw for a row: a pixel of the icon view's picture
    // where the mark goes, and whether the detail view greys the row.
    QRgb Picture(int row) const
    {
        const QIcon icon = form->Memos().data(form->Memos().index(row, 0), Qt::DecorationRole).value<QIcon>();
        return icon.pixmap(32, 32).toImage().pixel(24, 24);
    }
    bool Greyed(int row) const
    {
        return std::all_of(std::begin(kColumns), std::end(kColumns), [&](int column) {
            return form->Memos().data(form->Memos().index(row, column), Qt::ForegroundRole).isValid();
        });
    }
    static constexpr int kColumns[] = {0, 1, 2, 3, 4, 5};
};

std::string CatalogueLine(const std::string& title, const std::string& path)
{
    return title + "\t" + path + "\t2026/12/07\t09:05:30\tTODO\t\r\n";
}

}  // namespace

void VoiceFileMarksTest::missingAndEmptyFilesAreMarkedAndFollowTheFiles()
{
    MarkedWindow w;
    TempFolder& folder = w.h.folder;
    folder.Write("data/Voice1.wav", "RIFF");
    folder.Write("data/Voice2.wav", "");
    folder.MakeFolder("data/Voice4.wav");
    std::string catalogue;
    for (const char* name : {"Voice1", "Voice2", "Voice3", "Voice4"})
        catalogue += CatalogueLine(name, w.h.exeDir + "data/" + name + ".wav");
    folder.Write("Voice.dat", catalogue);
    TForm1& form = w.Open();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    const QRgb plain = w.Picture(0);
    QVERIFY(!w.Greyed(0));
    for (int row : {1, 2, 3}) {  // empty, missing, a folder
        QVERIFY2(w.Picture(row) != plain, qPrintable(QString::number(row)));
        QVERIFY(w.Greyed(row));
    }

    // The recorder fills the empty file while the window is in the back.
    folder.Write("data/Voice2.wav", "RIFF");
    QVERIFY(w.Greyed(1));
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(&form);
    QTRY_VERIFY(!w.Greyed(1));
    QCOMPARE(w.Picture(1), plain);

    // A command run: the file of the first memo was taken away meanwhile.
    QVERIFY(!w.Greyed(0));
    std::filesystem::remove(folder.path("data/Voice1.wav"));
    QVERIFY(!w.Greyed(0));
    form.findChild<MemoListView*>(QStringLiteral("ListView1"))->selectRow(3);
    form.ListView1Click();
    form.findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
    QVERIFY(w.Greyed(0));
    QVERIFY(w.Picture(0) != plain);
}

void VoiceFileMarksTest::onlyTheRowsDrawnAreLookedAt()
{
    constexpr int kMemos = 100000;
    MarkedWindow w;
    std::string catalogue;
    for (int i = 1; i <= kMemos; ++i)
        catalogue += CatalogueLine("m", w.h.exeDir + "data/Voice" + std::to_string(i) + ".wav");
    w.h.folder.Write("Voice.dat", catalogue);
    TForm1& form = w.Open();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* list = form.findChild<MemoListView*>(QStringLiteral("ListView1"));
    for (bool details : {false, true}) {
        details ? list->showDetails() : list->showLargeIcons();
        list->currentView()->viewport()->repaint();
        const int asked = w.files.asked;
        QVERIFY2(asked > 0 && asked < 500, qPrintable(QString::number(asked)));
        list->currentView()->viewport()->repaint();
        QCOMPARE(w.files.asked, asked);  // remembered by path
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(&form);
        w.files.asked = 0;
    }
}

VOICEMEMO_DIALOG_TEST_MAIN(VoiceFileMarksTest)
#include "VoiceFileMarksTest.moc"
