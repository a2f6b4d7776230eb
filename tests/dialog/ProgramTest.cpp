// The program itself, started as a user starts it from its own folder, and
// ended from outside.
#include <QProcess>
#include <QTest>
#include <csignal>
#include <filesystem>

#include "TempFolder.h"

using voicememo::testing::TempFolder;

class ProgramTest : public QObject {
    Q_OBJECT
private slots:
    void endSignalEndsTheProgram_data();
    void endSignalEndsTheProgram();
};

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

QTEST_GUILESS_MAIN(ProgramTest)

#include "ProgramTest.moc"
