// Voice.dat, sorvane.ini and Voice.ics planted as links (by a synced folder,
// an unpacked archive) that lead to the user's own files: the window reads
// them and writes nothing through them, and says so once at start. Links to
// a catalogue kept elsewhere, or to a file within the folder, are followed.
// Every planted file lies in a home folder made for the test.
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "DialogHarness.h"
#include "DialogTestMain.h"

using namespace voicememo;
using namespace voicememo::testing;

class LinksTest : public QObject {
    Q_OBJECT
private slots:
    void linksAreWrittenThroughOnlyIntoTheFolderOrTheirOwnName_data();
    void linksAreWrittenThroughOnlyIntoTheFolderOrTheirOwnName();
    void aDeletedMemoKeepsItsTakeWhileTheCatalogueIsOnlyRead();
};

namespace {

const char* const kCatalogue = "a\t/v/1.wav\t2025/01/02\t09:08:07\tTODO\t\r\n"
                               "b\t/v/2.wav\t2025/01/02\t09:08:07\tDAILY\t2025/3/1\r\n";
const char* const kStartUpFile = "export PATH=\"$HOME/bin:$PATH\"\nalias ll='ls -l'\n";
const char* const kOtherSettings = "[Window]\r\nLeft=7\r\n";
const char* const kCalendar = "BEGIN:VCALENDAR\r\nPRODID:-//GNOME//Evolution//EN\r\nVERSION:2.0\r\n"
                              "BEGIN:VEVENT\r\nSUMMARY:Dentist\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

// A file the user keeps: "home/..." in the test's home, "app/..." in the
// program's folder.
std::filesystem::path Place(const TempFolder& home, const Harness& h, const QString& where)
{
    const std::string rest = where.mid(5).toStdString();
    return where.startsWith(QLatin1String("home/")) ? home.path(rest) : h.folder.path(rest);
}

// Puts bytes at name in the program's folder, through a link to `where`
// when one is given; the file the bytes went to.
std::filesystem::path Plant(const TempFolder& home, const Harness& h, const char* name, const QString& where,
                            const std::string& bytes)
{
    if (where.isEmpty()) {
        h.folder.Write(name, bytes);
        return h.folder.path(name);
    }
    const std::filesystem::path target = Place(home, h, where);
    std::filesystem::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << bytes;
    std::filesystem::create_symlink(target, h.folder.path(name));
    return target;
}

// Every name under the folder, for what a write through a link left.
std::vector<std::string> Listing(const TempFolder& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path("")))
        names.push_back(entry.path().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

void LinksTest::linksAreWrittenThroughOnlyIntoTheFolderOrTheirOwnName_data()
{
    QTest::addColumn<QString>("catalogueTo");  // where Voice.dat leads; empty: a file of its own
    QTest::addColumn<QString>("settingsTo");
    QTest::addColumn<QString>("feedTo");
    QTest::addColumn<bool>("catalogueWritten");
    QTest::addColumn<bool>("settingsWritten");
    QTest::addColumn<QStringList>("told");  // in the one line said at start

    const QString startUp = QStringLiteral("home/.bashrc");
    const QString otherIni = QStringLiteral("home/.config/other/app.ini");
    const QString readOnly = QStringLiteral("へのリンクのため、読み取り専用で開きました。一覧の変更は保存されません。");
    const QString placeLost = QStringLiteral("へのリンクのため、ウィンドウの位置は保存されません。");
    QTest::newRow("catalogue to a start-up file")
        << startUp << QString() << QString() << false << true << QStringList{"Voice.dat は", ".bashrc ", readOnly};
    QTest::newRow("settings to another program's")
        << QString() << otherIni << QString() << true << false << QStringList{"sorvane.ini は", "app.ini ", placeLost};
    QTest::newRow("both, in one line") << startUp << otherIni << QString() << false << false
                                       << QStringList{readOnly + "/", "sorvane.ini は", placeLost};
    QTest::newRow("feed to the user's calendar")
        << QString() << QString() << QStringLiteral("home/.local/share/evolution/calendar/system/calendar.ics") << true
        << true << QStringList();
    QTest::newRow("a catalogue kept elsewhere")
        << QStringLiteral("home/Sync/memos/VOICE.DAT") << QStringLiteral("home/Sync/memos/sorvane.ini") << QString()
        << true << true << QStringList();
    QTest::newRow("files within the folder")
        << QStringLiteral("app/kept/list.txt") << QStringLiteral("app/kept/window.txt") << QString() << true << true
        << QStringList();
}

void LinksTest::linksAreWrittenThroughOnlyIntoTheFolderOrTheirOwnName()
{
    QFETCH(QString, catalogueTo);
    QFETCH(QString, settingsTo);
    QFETCH(QString, feedTo);
    QFETCH(bool, catalogueWritten);
    QFETCH(bool, settingsWritten);
    QFETCH(QStringList, told);
    Harness h;
    TempFolder home;
    qputenv("HOME", home.path("").c_str());
    qputenv("XDG_CONFIG_HOME", home.path(".config").c_str());

    const std::string catalogue = catalogueTo.startsWith(QLatin1String("home/.")) ? kStartUpFile : kCatalogue;
    const std::string settings = settingsTo.startsWith(QLatin1String("home/.")) ? kOtherSettings
                                 : feedTo.isEmpty()                             ? "[Voice]\r\nShowHint=1\r\n"
                                                                                : "[Voice]\r\nCalendarFeed=1\r\n";
    const auto catalogueFile = Plant(home, h, "Voice.dat", catalogueTo, catalogue);
    const auto settingsFile = Plant(home, h, "sorvane.ini", settingsTo, settings);
    const auto feedFile = feedTo.isEmpty() ? std::filesystem::path() : Plant(home, h, "Voice.ics", feedTo, kCalendar);

    const std::vector<std::string> homeBefore = Listing(home);
    BoxAnswerer box({}, true);
    TForm1& form = h.Open();
    QVERIFY(h.Activate());
    h.ClickRow(0);
    QTest::keyClicks(h.Find<QLineEdit>("Edit1"), "!");
    QVERIFY(form.close());

    QVERIFY2(box.later.isEmpty(), qPrintable(box.later.join(u'|')));
    if (told.isEmpty()) {
        QVERIFY2(!box.seen, qPrintable(box.text));
    } else {
        QVERIFY(box.seen);
        QVERIFY(!box.text.contains(u'\n'));
        for (const QString& part : told)
            QVERIFY2(box.text.contains(part), qPrintable(box.text));
        if (!catalogueTo.isEmpty())  // the link and its target, as the user finds them
            QVERIFY2(box.text.contains(QString::fromStdString(h.folder.path("Voice.dat").string() +
                                                              " はフォルダーの外の " + catalogueFile.string() + " へ")),
                     qPrintable(box.text));
    }
    // Written through, or left byte for byte; a link stays a link.
    const std::string catalogueNow = ReadAll(catalogueFile);
    QCOMPARE(catalogueNow.find('!') != std::string::npos, catalogueWritten);
    if (!catalogueWritten)
        QCOMPARE(catalogueNow, catalogue);
    QCOMPARE(ReadAll(settingsFile) != settings, settingsWritten);
    if (settingsWritten)
        QVERIFY(ReadAll(settingsFile).find("Left=") != std::string::npos);
    if (!feedTo.isEmpty())
        QCOMPARE(ReadAll(feedFile), std::string(kCalendar));
    QCOMPARE(std::filesystem::is_symlink(h.folder.path("Voice.dat")), !catalogueTo.isEmpty());
    QCOMPARE(std::filesystem::is_symlink(h.folder.path("sorvane.ini")), !settingsTo.isEmpty());
    // Nothing was made or left beside the files the links lead to.
    QCOMPARE(Listing(home), homeBefore);
}

// The file the link leads to keeps the memo, so its take must stay too.
void LinksTest::aDeletedMemoKeepsItsTakeWhileTheCatalogueIsOnlyRead()
{
    Harness h;
    TempFolder home;
    qputenv("HOME", home.path("").c_str());
    const std::string catalogue = "a\t" + h.exeDir + "data/Voice1.wav\t2025/01/02\t09:08:07\tTODO\t\r\n";
    Plant(home, h, "Voice.dat", QStringLiteral("home/memos.txt"), catalogue);
    h.folder.Write("data/Voice1.wav", "RIFF");
    BoxAnswerer startUp;
    TForm1& form = h.Open();
    QTRY_VERIFY(startUp.text.contains(QStringLiteral("読み取り専用")));
    h.ClickRow(0);
    {
        BoxAnswerer yes(QStringLiteral("はい(&Y)"), true);
        QTest::mouseClick(h.Find<QAbstractButton>("BitBtn3"), Qt::LeftButton);
        QVERIFY(yes.seen);
        QVERIFY2(yes.later.isEmpty(), qPrintable(yes.later.join(u'|')));
    }
    QCOMPARE(form.Memos().count(), 0);
    QCOMPARE(h.folder.Read("data/Voice1.wav"), std::string("RIFF"));
    QVERIFY(form.close());
    QCOMPARE(ReadAll(home.path("memos.txt")), catalogue);
}

VOICEMEMO_DIALOG_TEST_MAIN(LinksTest)
#include "LinksTest.moc"
