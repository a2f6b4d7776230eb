// The dialog's save writes the calendar feed beside the catalogue only where
// the user has switched it on, and a feed that cannot be written never
// keeps the window from closing.
#include <QTest>

#include <filesystem>
#include <sys/stat.h>

#include "DialogHarness.h"
#include "DialogTestMain.h"

using namespace voicememo;
using namespace voicememo::testing;

class FeedOnSaveTest : public QObject {
    Q_OBJECT
private slots:
    void theFeedFollowsTheSetting_data();
    void theFeedFollowsTheSetting();
    void anUnwritableFeedDoesNotKeepTheWindowOpen();
    void aFeedWithTheSameEventsIsNotWrittenAgain();
};

namespace {
const char* const kCatalogue = "a\t/v/1.wav\t2025/01/02\t09:08:07\tTODO\t\r\n"
                               "b\t/v/2.wav\t2025/01/02\t09:08:07\tDAILY\t2025/3/1\r\n";
}

void FeedOnSaveTest::theFeedFollowsTheSetting_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<bool>("unreadableCatalogue");
    QTest::addColumn<bool>("written");
    QTest::newRow("on") << "[Voice]\r\nCalendarFeed=1\r\n" << false << true;
    QTest::newRow("missing") << "[Voice]\r\nLeft=3\r\n" << false << false;
    QTest::newRow("off") << "[Voice]\r\nCalendarFeed=0\r\n" << false << false;
    QTest::newRow("other section") << "[Option]\r\nCalendarFeed=1\r\n" << false << false;
    // The memos are not all known: a feed would lose them.
    QTest::newRow("catalogue unreadable") << "[Voice]\r\nCalendarFeed=1\r\n" << true << false;
}

void FeedOnSaveTest::theFeedFollowsTheSetting()
{
    QFETCH(QString, settings);
    QFETCH(bool, unreadableCatalogue);
    QFETCH(bool, written);
    Harness h;
    h.folder.Write("sorvane.ini", settings.toStdString());
    if (unreadableCatalogue)
        h.folder.MakeUnreadable("Voice.dat");
    else
        h.folder.Write("Voice.dat", kCatalogue);
    BoxAnswerer box;  // the message about an unreadable catalogue
    TForm1& form = h.Open();
    QVERIFY(form.close());
    QCOMPARE(h.folder.Exists("Voice.ics"), written);
    if (written) {
        const std::string feed = h.folder.Read("Voice.ics");
        QVERIFY(feed.find("SUMMARY:a\r\n") != std::string::npos);
        QVERIFY(feed.find("DTSTART;VALUE=DATE:20250301\r\n") != std::string::npos);
        QCOMPARE(h.folder.Read("Voice.dat"), std::string(kCatalogue));
    }
}

void FeedOnSaveTest::anUnwritableFeedDoesNotKeepTheWindowOpen()
{
    Harness h;
    h.folder.Write("sorvane.ini", "[Voice]\r\nCalendarFeed=1\r\n");
    h.folder.Write("Voice.dat", kCatalogue);
    h.folder.MakeFolder("Voice.ics");  // no file can take its place
    BoxAnswerer box;
    TForm1& form = h.Open();
    QVERIFY(form.close());
    QVERIFY(!box.seen);
    QCOMPARE(h.folder.Read("Voice.dat"), std::string(kCatalogue));
    QVERIFY(std::filesystem::is_directory(h.folder.path("Voice.ics")));
}

// Saves that change no memo leave the feed file as it is (a rewrite would
// put a new file, with a new stamp, in its place); a changed memo writes it.
void FeedOnSaveTest::aFeedWithTheSameEventsIsNotWrittenAgain()
{
    Harness h;
    h.folder.Write("sorvane.ini", "[Voice]\r\nCalendarFeed=1\r\n");
    h.folder.Write("Voice.dat", kCatalogue);
    auto inodeOfFeed = [&h] {
        struct stat info {};
        return ::stat(h.folder.path("Voice.ics").c_str(), &info) == 0 ? info.st_ino : 0;
    };
    QVERIFY(h.Open().close());
    const auto written = inodeOfFeed();
    const std::string feed = h.folder.Read("Voice.ics");
    QVERIFY(written != 0);
    QVERIFY(h.Open().close());
    QCOMPARE(inodeOfFeed(), written);
    QCOMPARE(h.folder.Read("Voice.ics"), feed);

    h.folder.Write("Voice.dat", std::string(kCatalogue) + "c\t/v/3.wav\t2025/01/02\t09:08:07\tDAILY\t2025/3/2\r\n");
    QVERIFY(h.Open().close());
    QVERIFY(inodeOfFeed() != written);
    QVERIFY(h.folder.Read("Voice.ics").find("SUMMARY:c\r\n") != std::string::npos);
}

VOICEMEMO_DIALOG_TEST_MAIN(FeedOnSaveTest)
#include "FeedOnSaveTest.moc"
