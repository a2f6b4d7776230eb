// The program at the edges of what the machine gives it: little address
// space, a flood of connections to its socket, a runtime folder that is not
// its own.
#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "AsUser.h"
#include "EndSignalCaught.h"
#include "FolderInstance.h"
#include "TempFolder.h"

using voicememo::FolderInstance;
using voicememo::testing::CatchesEndSignal;
using voicememo::testing::TempFolder;

class LimitsTest : public QObject {
    Q_OBJECT
private slots:
    void endSignalEndsUnderAMemoryLimit_data();
    void endSignalEndsUnderAMemoryLimit();
    void floodOfConnectionsHoldsFewFiles();
    void runtimeFolderOnlyWhenPrivate_data();
    void runtimeFolderOnlyWhenPrivate();
};

namespace {

// The main thread waits in the event loop for what comes, the window or a
// box up: not stuck on a lock or a thread that never started.
bool WaitsForEvents(const QProcess& process)
{
    std::ifstream wchan("/proc/" + std::to_string(process.processId()) + "/wchan");
    std::string where;
    std::getline(wchan, where);
    return where.find("poll") != std::string::npos;
}

std::size_t OpenFiles()
{
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator()));
}

// A connection to the socket, not waiting: -1 while the queue is full.
int Connect(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), std::min(path.size(), sizeof address.sun_path - 1));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
}

std::string SocketIn(const TempFolder& runtime)
{
    for (const auto& entry : std::filesystem::directory_iterator(runtime.path("")))
        if (entry.path().extension() == ".socket")
            return entry.path().string();
    return {};
}

}  // namespace

void LimitsTest::endSignalEndsUnderAMemoryLimit_data()
{
    QTest::addColumn<int>("catalogueMegabytes");
    QTest::addColumn<int>("limitMegabytes");
    QTest::addColumn<int>("stackMegabytes");  // each thread's, and the main thread's most
    // Read near the limit: the threads Qt paints with must still start.
    QTest::newRow("catalogue near the limit") << 160 << 400 << 8;
    // Too little to read the catalogue: the out-of-memory message is up.
    QTest::newRow("catalogue too large") << 160 << 250 << 8;
}

// Under an address space limit the window or the out-of-memory message
// comes up, and an end from outside ends the program at once: no box waits
// for an answer, and the catalogue it could not read is kept byte for byte.
void LimitsTest::endSignalEndsUnderAMemoryLimit()
{
#ifdef VOICEMEMO_SANITIZED
    QSKIP("AddressSanitizer reserves its shadow memory up front: no program of this build starts under an "
          "address-space limit (the plain build runs this test)");
#endif
    QFETCH(int, catalogueMegabytes);
    QFETCH(int, limitMegabytes);
    QFETCH(int, stackMegabytes);
    TempFolder folder;
    TempFolder runtime;
    folder.MakeFolder("data");
    std::string catalogue;
    const std::string line = "memo\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    catalogue.reserve(static_cast<std::size_t>(catalogueMegabytes) << 20);
    while (catalogue.size() + line.size() <= static_cast<std::size_t>(catalogueMegabytes) << 20)
        catalogue += line;
    folder.Write("Voice.dat", catalogue);
    const auto program = folder.path("voicememo");
    std::filesystem::copy_file(VOICEMEMO_PROGRAM, program);

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.path("").string()));
    process.setProcessEnvironment(environment);
    const rlimit space{static_cast<rlim_t>(limitMegabytes) << 20, static_cast<rlim_t>(limitMegabytes) << 20};
    const rlimit stack{static_cast<rlim_t>(stackMegabytes) << 20, static_cast<rlim_t>(stackMegabytes) << 20};
    // A thread's stack is as large as the stack limit: beyond the address
    // space, no thread starts (for root too, whom a process limit spares).
    process.setChildProcessModifier([space, stack] {
        ::setrlimit(RLIMIT_STACK, &stack);
        ::setrlimit(RLIMIT_AS, &space);
    });
    process.start(QString::fromStdString(program.string()), {});
    QVERIFY(process.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT((CatchesEndSignal(process) && WaitsForEvents(process)) ||
                                 process.state() == QProcess::NotRunning,
                             60000);
    QCOMPARE(process.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    QVERIFY2(process.waitForFinished(10000), "the program goes on running");
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(folder.Read("Voice.dat") == catalogue);
}

// Connections held open by the thousand cost the first copy a few files;
// each is dropped at its deadline, and a later start's request still comes
// through while the flood goes on.
void LimitsTest::floodOfConnectionsHoldsFewFiles()
{
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
    TempFolder runtime;
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.path("").string()));
    std::optional<QString> raisedWith;
    FolderInstance first("/memos/");
    QCOMPARE(first.claim([&](const QString& given) { raisedWith = given; }), FolderInstance::Claim::First);
    const std::string socketPath = SocketIn(runtime);
    QVERIFY(!socketPath.empty());

    const std::size_t before = OpenFiles();
    std::vector<int> flood;
    for (int attempt = 0; attempt < 1500 && flood.size() + 64 < files.rlim_cur; ++attempt) {
        if (const int fd = Connect(socketPath); fd >= 0)
            flood.push_back(fd);
        if (attempt % 20 == 0)
            QCoreApplication::processEvents();
    }
    QVERIFY(!flood.empty());
    // The first copy's side: a few requests read at once.
    QVERIFY2(OpenFiles() - flood.size() <= before + 8,
             qPrintable(
                 QStringLiteral("%1 files open for %2 connections").arg(OpenFiles() - before).arg(flood.size())));
    // A connection that says nothing is dropped.
    auto droppedByTheFirst = [&flood] {
        char byte;
        return std::any_of(flood.begin(), flood.end(),
                           [&byte](int fd) { return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0; });
    };
    QTRY_VERIFY_WITH_TIMEOUT(droppedByTheFirst(), 10000);

    // A later start's request, while the flood is still held open.
    int later = -1;
    QTRY_VERIFY_WITH_TIMEOUT((later = Connect(socketPath)) >= 0, 20000);
    QCOMPARE(::send(later, "raise tok\n", 10, MSG_NOSIGNAL), 10);
    QTRY_VERIFY_WITH_TIMEOUT(raisedWith.has_value(), 20000);
    QCOMPARE(*raisedWith, QStringLiteral("tok"));
    ::close(later);
    for (int fd : flood)
        ::close(fd);
}

void LimitsTest::runtimeFolderOnlyWhenPrivate_data()
{
    QTest::addColumn<QString>("runtime");  // "" for XDG_RUNTIME_DIR unset
    QTest::addColumn<int>("mode");         // the folder made before the start; 0: none
    QTest::addColumn<bool>("othersFolder");
    QTest::addColumn<bool>("viaLink");
    QTest::addColumn<bool>("checked");
    QTest::newRow("ours, private") << "run" << 0700 << false << false << true;
    QTest::newRow("ours, open to the group") << "run" << 0750 << false << false << false;
    QTest::newRow("ours, open to all") << "run" << 0777 << false << false << false;
    QTest::newRow("a link to ours") << "run" << 0700 << false << true << false;
    QTest::newRow("another user's") << "run" << 0777 << true << false << false;
    QTest::newRow("unset, none made yet") << "" << 0 << false << false << true;
    QTest::newRow("unset, another user's made first") << "" << 0777 << true << false << false;
}

// The lock and the socket stand only in a folder that is ours alone; in
// any other, one copy per folder cannot be told, and the start says so.
void LimitsTest::runtimeFolderOnlyWhenPrivate()
{
    QFETCH(QString, runtime);
    QFETCH(int, mode);
    QFETCH(bool, othersFolder);
    QFETCH(bool, viaLink);
    QFETCH(bool, checked);
    if (othersFolder && ::geteuid() != 0)
        QSKIP("another user's folder needs root to be made");
    TempFolder top;
    ::chmod(top.path("").c_str(), 0711);  // the unprivileged user passes through
    top.MakeFolder("tmp");
    ::chmod(top.path("tmp").c_str(), 01777);
    const uid_t user = voicememo::testing::UnprivilegedUid();
    const passwd* entry = ::getpwuid(user);
    QVERIFY(entry);
    const std::string folder = runtime.isEmpty() ? top.path("tmp/runtime-" + std::string(entry->pw_name)).string()
                                                 : top.path("tmp/run").string();
    if (othersFolder) {
        QCOMPARE(::mkdir(folder.c_str(), 0), 0);
        QCOMPARE(::chmod(folder.c_str(), static_cast<mode_t>(mode)), 0);
    }
    const auto result = voicememo::testing::RunUnprivileged([&] {
        if (mode != 0 && !othersFolder) {
            if (::mkdir((folder + (viaLink ? "-real" : "")).c_str(), 0) != 0 ||
                ::chmod((folder + (viaLink ? "-real" : "")).c_str(), static_cast<mode_t>(mode)) != 0)
                return std::string("cannot make the folder");
            if (viaLink && ::symlink((folder + "-real").c_str(), folder.c_str()) != 0)
                return std::string("cannot make the link");
        }
        ::setenv("TMPDIR", top.path("tmp").c_str(), 1);
        if (runtime.isEmpty())
            ::unsetenv("XDG_RUNTIME_DIR");
        else
            ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
        FolderInstance instance("/memos/");
        const auto claim = instance.claim([](const QString&) {});
        struct stat st {};
        ::lstat(folder.c_str(), &st);
        return std::string(claim == FolderInstance::Claim::First       ? "first"
                           : claim == FolderInstance::Claim::Unchecked ? "unchecked"
                                                                       : "another") +
               " " + std::to_string(st.st_mode & 07777) + " " +
               std::to_string(
                   std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator())) +
               " " + instance.sharedRuntimeFolder().toStdString();
    });
    QVERIFY(result);
    if (checked) {
        // The lock and the socket, in a folder made private where it was made.
        QCOMPARE(QString::fromStdString(*result), QStringLiteral("first 448 2 "));
    } else {
        // Nothing is put there, and the folder is left as it was.
        QCOMPARE(QString::fromStdString(*result),
                 QStringLiteral("unchecked %1 0 %2").arg(viaLink ? 0777 : mode).arg(QString::fromStdString(folder)));
    }
}

QTEST_GUILESS_MAIN(LimitsTest)

#include "LimitsTest.moc"
