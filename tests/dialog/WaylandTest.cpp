// The dialog on a native Wayland display: a private headless weston, started
// before the application and stopped by its process id after it.
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <csignal>
#include <sys/wait.h>

#include "Application.h"
#include "DialogHarness.h"
#include "TestSoundServer.h"

using namespace voicememo;
using namespace voicememo::testing;

class WaylandTest : public QObject {
    Q_OBJECT
private slots:
    void storedPositionIsKeptAsRead_data();
    void storedPositionIsKeptAsRead();
    void windowNamesTheLauncherForItsIcon();
    void maximizeLeavesTheFixedDialogAsItIs();
};

void WaylandTest::storedPositionIsKeptAsRead_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("on the screen") << QByteArray("[Option]\r\nShowHint=1\r\n[Voice]\r\nLeft=200\r\nTop=150\r\n");
    // At the top-left corner, where (-3, -30) would put the title bar off
    // the screen in a later X11 session.
    QTest::newRow("at the corner") << QByteArray("[Option]\r\nShowHint=0\r\n[Voice]\r\nLeft=0\r\nTop=0\r\n");
}

// Shown, closed, shown and closed again: Left and Top stay as they were read.
void WaylandTest::storedPositionIsKeptAsRead()
{
    QFETCH(QByteArray, stored);
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("wayland"));
    Harness h;
    h.folder.Write("sorvane.ini", stored.toStdString());
    for (int session = 0; session < 2; ++session) {
        TForm1& form = h.Open();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.close());
        QCOMPARE(QByteArray::fromStdString(h.folder.Read("sorvane.ini")), stored);
    }
}

// The compositor finds the window's icon through the launcher's file name.
void WaylandTest::windowNamesTheLauncherForItsIcon()
{
    const QFileInfo entry(QStringLiteral(VOICEMEMO_DESKTOP_ENTRY));
    QVERIFY(entry.isFile());
    QCOMPARE(QGuiApplication::desktopFileName() + QStringLiteral(".desktop"), entry.fileName());
}

// Qt's own title bar under weston offers 最大化 on this fixed dialog, which
// asked for no such button: asked so, the window stays as it is.
void WaylandTest::maximizeLeavesTheFixedDialogAsItIs()
{
    Harness h;
    TForm1& form = h.Open();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QSize size = form.size();
    QSignalSpy stateChanges(form.windowHandle(), &QWindow::windowStateChanged);
    form.windowHandle()->setWindowStates(Qt::WindowMaximized);  // what the title bar's button does
    QTRY_VERIFY(!stateChanges.isEmpty());
    QTRY_COMPARE(form.windowHandle()->windowStates(), Qt::WindowStates(Qt::WindowNoState));
    // The size the compositor gave comes back to the dialog's own a turn later.
    QTRY_COMPARE(form.size(), size);
    QVERIFY(form.close());
}

int main(int argc, char** argv)
{
    TempFolder runtime;  // mode 0700, as Wayland wants
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path("").string()));
    qputenv("WAYLAND_DISPLAY", "voicememo-test");
    qputenv("QT_QPA_PLATFORM", "wayland");
    qunsetenv("DISPLAY");
    const pid_t weston =
        SpawnProgram({"weston", "--backend=headless-backend.so", "--socket=voicememo-test", "--idle-time=0"},
                     runtime.path("weston.log").string());
    int status = 0;
    for (int waited = 0; !runtime.Exists("voicememo-test"); waited += 20) {
        if (::waitpid(weston, &status, WNOHANG) == weston || waited > 20000) {
            std::fprintf(stderr, "weston did not start: %s\n", ReadText(runtime.path("weston.log").string()).c_str());
            ::kill(weston, SIGTERM);
            return 1;
        }
        QTest::qSleep(20);
    }
    int result = 1;
    {
        QApplication app(argc, argv);
        SetUpApplication(app);
        WaylandTest test;
        result = QTest::qExec(&test, argc, argv);
    }
    ::kill(weston, SIGTERM);
    ::waitpid(weston, nullptr, 0);
    return result;
}

#include "WaylandTest.moc"
