// The program itself, started as a user starts it from its own folder, and
// ended from outside.
#include <QProcess>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "TempFolder.h"

using voicememo::testing::TempFolder;

class ProgramTest : public QObject {
    Q_OBJECT
private slots:
    void endSignalEndsTheProgram_data();
    void endSignalEndsTheProgram();
    void folderTheCatalogueCannotNameStopsTheStart_data();
    void folderTheCatalogueCannotNameStopsTheStart();
};

namespace {

// Starts the program as a file manager does, on the offscreen platform and
// with a runtime folder of the test's own.
void Start(QProcess& process, const std::filesystem::path& program, const TempFolder& runtime)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.path("").string()));
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(program.string()), {});
}

// True once the process catches SIGTERM: it has set up its end from outside
// and is waiting for the user.
bool CatchesEndSignal(const QProcess& process)
{
    std::ifstream status("/proc/" + std::to_string(process.processId()) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1U;
    return false;
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
    QTest::newRow("while the start-up error box is up") << false;
    QTest::newRow("while the window is up") << true;
}

void ProgramTest::endSignalEndsTheProgram()
{
    QFETCH(bool, catalogueReadable);
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
    QTest::qWait(1500);  // the window, or the box, is up by now
    QCOMPARE(process.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
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
    Start(process, folder / "voicememo", runtime);
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(CatchesEndSignal(process) || process.state() == QProcess::NotRunning, 20000);
    QCOMPARE(process.state(), QProcess::Running);
    QVERIFY(EndFromOutside(process));
    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(top.Entries(name.toStdString()), std::vector<std::string>{"voicememo"});
}

QTEST_GUILESS_MAIN(ProgramTest)

#include "ProgramTest.moc"
