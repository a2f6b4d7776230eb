// The program itself, started as a user starts it from its own folder, and
// ended from outside.
#include <QProcess>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "EndSignalCaught.h"
#include "FolderInstance.h"
#include "TempFolder.h"

using voicememo::testing::CatchesEndSignal;
using voicememo::testing::TempFolder;

class ProgramTest : public QObject {
    Q_OBJECT
private slots:
    void endSignalEndsTheProgram_data();
    void endSignalEndsTheProgram();
    void folderTheCatalogueCannotNameStopsTheStart_data();
    void folderTheCatalogueCannotNameStopsTheStart();
    void laterStartOnTheFolderRaisesTheFirst();
    void onlyAWholeRaiseRequestRaises_data();
    void onlyAWholeRaiseRequestRaises();
    void secondStartOnTheFolderEnds_data();
    void secondStartOnTheFolderEnds();
};

namespace {

// Starts the program as a file manager does, on the offscreen platform and
// with a runtime folder of the test's own; true once it runs the program
// (before, the process is still a copy of the test, signal handlers and all).
bool Start(QProcess& process, const std::filesystem::path& program, const TempFolder& runtime)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.path("").string()));
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(program.string()), {});
    return process.waitForStarted();
}

// Ends the program from outside and waits for its end.
bool EndFromOutside(QProcess& process)
{
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit;
}

}  // namespace

void ProgramTest::endSignalEndsTheProgram_data()
{
    QTest::addColumn<bool>("catalogueReadable");
    QTest::addColumn<int>("signal");
    QTest::newRow("while the start-up error box is up") << false << SIGTERM;
    QTest::newRow("while the window is up") << true << SIGTERM;
    QTest::newRow("Ctrl+C in a terminal") << true << SIGINT;
    QTest::newRow("Ctrl+\\ in a terminal") << true << SIGQUIT;
}

void ProgramTest::endSignalEndsTheProgram()
{
    QFETCH(bool, catalogueReadable);
    QFETCH(int, signal);
    TempFolder folder;
    folder.MakeFolder("data");
    const auto program = folder.path("voicememo");
    std::filesystem::copy_file(VOICEMEMO_PROGRAM, program);
    if (catalogueReadable)
        folder.Write("Voice.dat", "a\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n");
    else
        folder.MakeUnreadable("Voice.dat");

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(program.string()), {});
    QVERIFY(process.waitForStarted());
    // Once the program catches SIGTERM, the signal waits for its event loop,
    // which runs once the window (or the box) is up.
    QTRY_VERIFY_WITH_TIMEOUT(CatchesEndSignal(process) || process.state() == QProcess::NotRunning, 20000);
    QCOMPARE(process.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(process.processId()), signal);
    QVERIFY2(process.waitForFinished(10000), "the program goes on running");
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    // The close query ran: the settings are written, the catalogue is kept.
    QVERIFY(folder.Exists("sorvane.ini"));
    if (catalogueReadable)
        QCOMPARE(folder.Read("Voice.dat"), std::string("a\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n"));
    else
        QVERIFY(std::filesystem::is_symlink(folder.path("Voice.dat")));
}

void ProgramTest::folderTheCatalogueCannotNameStopsTheStart_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("not in code page 932") << QByteArray("caf\xc3\xa9");
    QTest::newRow("TAB") << QByteArray("voice\tmemo");
    QTest::newRow("LF") << QByteArray("voice\nmemo");
}

// The program says why it cannot start (the message's text is checked on
// its own), waits for the user, and ends without writing a thing.
void ProgramTest::folderTheCatalogueCannotNameStopsTheStart()
{
    QFETCH(QByteArray, name);
    TempFolder top;
    TempFolder runtime;
    const auto folder = top.path(name.toStdString());
    std::filesystem::create_directory(folder);
    std::filesystem::copy_file(VOICEMEMO_PROGRAM, folder / "voicememo");

    QProcess process;
    QVERIFY(Start(process, folder / "voicememo", runtime));
    QTRY_VERIFY_WITH_TIMEOUT(CatchesEndSignal(process) || process.state() == QProcess::NotRunning, 20000);
    QCOMPARE(process.state(), QProcess::Running);
    QVERIFY(EndFromOutside(process));
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(top.Entries(name.toStdString()), std::vector<std::string>{"voicememo"});
}

// Two claims of a folder in one process, as two starts make them: the later
// asks the first to raise its window; another folder is no concern of it.
void ProgramTest::laterStartOnTheFolderRaisesTheFirst()
{
    TempFolder runtime;
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path("").string()));
    int firstRaised = 0;
    int otherRaised = 0;
    QString token;
    voicememo::FolderInstance first("/memos/");
    voicememo::FolderInstance other("/memos/other/");
    voicememo::FolderInstance later("/memos/");
    QCOMPARE(first.claim([&](const QString& given) {
        ++firstRaised;
        token = given;
    }),
             voicememo::FolderInstance::Claim::First);
    QCOMPARE(other.claim([&](const QString&) { ++otherRaised; }), voicememo::FolderInstance::Claim::First);
    // The compositor's token for the later start reaches the first, which
    // may come forward with it under Wayland.
    qputenv("XDG_ACTIVATION_TOKEN", "token-of-the-later-start");
    QCOMPARE(later.claim([](const QString&) { QFAIL("the later start was raised"); }),
             voicememo::FolderInstance::Claim::AnotherRuns);
    qunsetenv("XDG_ACTIVATION_TOKEN");
    QTRY_COMPARE(firstRaised, 1);
    QCOMPARE(token, QStringLiteral("token-of-the-later-start"));
    // A start given no token passes none on.
    voicememo::FolderInstance tokenless("/memos/");
    QCOMPARE(tokenless.claim([](const QString&) {}), voicememo::FolderInstance::Claim::AnotherRuns);
    QTRY_COMPARE(firstRaised, 2);
    QCOMPARE(token, QString());
    QCOMPARE(otherRaised, 0);
}

void ProgramTest::onlyAWholeRaiseRequestRaises_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QString>("token");  // null: no raise
    QTest::newRow("in two pieces") << QList<QByteArray>{"rai", "se tok\n"} << QStringLiteral("tok");
    QTest::newRow("another word") << QList<QByteArray>{"raised tok\n"} << QString();
    QTest::newRow("no line end") << QList<QByteArray>{"raise tok"} << QString();
    QTest::newRow("too long") << QList<QByteArray>{"raise " + QByteArray(8000, 'x') + "\n"} << QString();
}

// Whatever else reaches the first copy's socket raises nothing; a request
// that comes in pieces is read whole.
void ProgramTest::onlyAWholeRaiseRequestRaises()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QString, token);
    TempFolder runtime;
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path("").string()));
    std::optional<QString> raisedWith;
    voicememo::FolderInstance first("/memos/");
    QCOMPARE(first.claim([&](const QString& given) { raisedWith = given; }), voicememo::FolderInstance::Claim::First);
    std::string socketPath;
    for (const auto& entry : std::filesystem::directory_iterator(runtime.path("")))
        if (entry.path().extension() == ".socket")
            socketPath = entry.path().string();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    QVERIFY(!socketPath.empty() && socketPath.size() < sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    QCOMPARE(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    for (const QByteArray& piece : pieces) {
        QCOMPARE(::send(fd, piece.constData(), static_cast<std::size_t>(piece.size()), MSG_NOSIGNAL), piece.size());
        QCoreApplication::processEvents();
    }
    ::shutdown(fd, SHUT_WR);  // nothing more comes
    // The first copy closes its side once it has read the request.
    auto closedByTheFirst = [fd] {
        char byte;
        return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
    };
    QTRY_VERIFY(closedByTheFirst());
    ::close(fd);
    QCOMPARE(raisedWith.has_value(), !token.isNull());
    if (raisedWith)
        QCOMPARE(*raisedWith, token);
}

void ProgramTest::secondStartOnTheFolderEnds_data()
{
    QTest::addColumn<bool>("firstKilled");
    QTest::newRow("while the first runs") << false;
    QTest::newRow("after the first was killed") << true;
}

// A second start on the folder ends at once and leaves the first running;
// the lock of a killed first holds no start up.
void ProgramTest::secondStartOnTheFolderEnds()
{
    QFETCH(bool, firstKilled);
    TempFolder folder;
    TempFolder runtime;
    folder.MakeFolder("data");
    const std::string catalogue = "a\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    folder.Write("Voice.dat", catalogue);
    const auto program = folder.path("voicememo");
    std::filesystem::copy_file(VOICEMEMO_PROGRAM, program);

    QProcess first;
    QVERIFY(Start(first, program, runtime));
    QTRY_VERIFY_WITH_TIMEOUT(CatchesEndSignal(first), 20000);
    QProcess second;
    QProcess* running = &first;
    if (firstKilled) {
        ::kill(static_cast<pid_t>(first.processId()), SIGKILL);
        QVERIFY(first.waitForFinished(10000));
        QVERIFY(Start(second, program, runtime));
        QTRY_VERIFY_WITH_TIMEOUT(CatchesEndSignal(second) || second.state() == QProcess::NotRunning, 20000);
        QCOMPARE(second.state(), QProcess::Running);
        running = &second;
    }

    QProcess later;
    QVERIFY(Start(later, program, runtime));
    QVERIFY2(later.waitForFinished(15000), "the later start goes on running");
    QCOMPARE(later.exitStatus(), QProcess::NormalExit);
    QCOMPARE(later.exitCode(), 0);
    QCOMPARE(running->state(), QProcess::Running);
    QVERIFY(EndFromOutside(*running));
    QCOMPARE(running->exitCode(), 0);
    QCOMPARE(folder.Read("Voice.dat"), catalogue);
}

QTEST_GUILESS_MAIN(ProgramTest)

#include "ProgramTest.moc"
