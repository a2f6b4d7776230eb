#pragma once
// Two private Syncthing instances on loopback, each with a home of its own,
// sharing one folder between two places on this machine as two machines
// share the program's folder. Reached over their REST interface only; both
// are stopped by their process ids when the pair goes.
//
// Every wait polls a condition under a generous bound, running the event
// loop meanwhile, so windows open in the test go on saving and looking.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace voicememo::testing {

class SyncthingPair {
public:
    static constexpr int kBoundMs = 60000;
    static constexpr const char* kFolderId = "voicememo";

    // Where the binary is, or empty when Syncthing is not installed.
    static QString Binary() { return QStandardPaths::findExecutable(QStringLiteral("syncthing")); }

    // Starts both instances at once; folderA and folderB end in "/".
    // ignored: names neither side syncs (one .stignore line each).
    SyncthingPair(const std::string& folderA, const std::string& folderB, std::vector<std::string> ignored = {})
        : ignored_(std::move(ignored))
    {
        const std::array<int, 4> ports = FreePorts();
        sides_[0].folder = folderA;
        sides_[1].folder = folderB;
        for (std::size_t i = 0; i < sides_.size(); ++i) {
            Side& side = sides_[i];
            side.home = homes_.dir() + (i == 0 ? "a/" : "b/");
            side.listenPort = ports[2 * i];
            side.guiPort = ports[2 * i + 1];
            QProcess generate;
            generate.setProcessChannelMode(QProcess::MergedChannels);
            generate.setStandardOutputFile(QProcess::nullDevice());
            generate.start(Binary(), {QStringLiteral("generate"), QString::fromStdString("--home=" + side.home),
                                      QStringLiteral("--no-default-folder"), QStringLiteral("--skip-port-probing")});
            generate.waitForFinished(kBoundMs);
            const std::string generated = ReadWhole(side.home + "config.xml");
            side.id = Capture(generated, R"re(<device id="([^"]+)")re");
            side.key = Capture(generated, R"re(<apikey>([^<]+)</apikey>)re");
            std::filesystem::create_directories(side.folder + ".stfolder");
            std::ofstream ignore(side.folder + ".stignore", std::ios::binary);
            for (const std::string& name : ignored_)
                ignore << name << "\n";
        }
        for (Side& side : sides_) {
            WriteConfig(side, Other(side));
            side.process = std::make_unique<QProcess>();
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("STNOUPGRADE"), QStringLiteral("1"));
            side.process->setProcessEnvironment(environment);
            side.process->setProcessChannelMode(QProcess::MergedChannels);
            side.process->setStandardOutputFile(QString::fromStdString(side.home + "syncthing.log"));
            // A test killed outright (a timeout) takes its instances with it:
            // their monitor stops the instance it started.
            side.process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
            side.process->start(Binary(), {QStringLiteral("serve"), QString::fromStdString("--home=" + side.home),
                                           QStringLiteral("--no-browser"), QStringLiteral("--no-restart")});
            side.process->waitForStarted();
        }
    }

    // A failed test shows what both instances said.
    ~SyncthingPair()
    {
        if (QTest::currentTestFailed())
            for (const Side& side : sides_) {
                const std::string log = ReadWhole(side.home + "syncthing.log");
                std::fprintf(stderr, "---- Syncthing of %s\n%s\n", side.folder.c_str(),
                             log.substr(log.size() > 6000 ? log.size() - 6000 : 0).c_str());
            }
        for (Side& side : sides_)
            Stop(side);
    }
    SyncthingPair(const SyncthingPair&) = delete;
    SyncthingPair& operator=(const SyncthingPair&) = delete;

    bool WaitConnected()
    {
        return WaitFor([this] { return Connected(sides_[0]) && Connected(sides_[1]); });
    }

    // Both sides idle with nothing left to pull either way, and the two
    // folders holding the same names and bytes: a write the watcher has yet
    // to notice keeps the wait going.
    bool WaitInSync()
    {
        return WaitFor([this] {
            for (const Side& side : sides_) {
                const QJsonObject status = Get(side, "/rest/db/status?folder=" + std::string(kFolderId));
                const QJsonObject completion =
                    Get(side, "/rest/db/completion?folder=" + std::string(kFolderId) + "&device=" + Other(side).id);
                if (status.value(QLatin1String("state")).toString() != QLatin1String("idle") ||
                    status.value(QLatin1String("needTotalItems")).toInt(-1) != 0 ||
                    completion.value(QLatin1String("completion")).toDouble() != 100.0)
                    return false;
            }
            return Contents(sides_[0].folder) == Contents(sides_[1].folder);
        });
    }

    // The two machines lose each other (a laptop shut, a train) and meet
    // again: the side that dials pauses and resumes the other.
    bool Pause()
    {
        return Ask("/rest/system/pause", [this] { return !Connected(sides_[0]) && !Connected(sides_[1]); });
    }
    bool Resume()
    {
        return Ask("/rest/system/resume", [this] { return Connected(sides_[0]) && Connected(sides_[1]); });
    }
    // Each file's path below the folder and its bytes, Syncthing's own files
    // and the ignored names left out.
    std::map<std::string, std::string> Contents(const std::string& folder) const
    {
        std::map<std::string, std::string> files;
        std::error_code error;
        for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
             it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (name.starts_with(".st") || name.starts_with(".syncthing.") || name.starts_with("~syncthing~") ||
                std::find(ignored_.begin(), ignored_.end(), name) != ignored_.end()) {
                if (it->is_directory())
                    it.disable_recursion_pending();
                continue;
            }
            if (it->is_regular_file())
                files[std::filesystem::relative(it->path(), folder).string()] = ReadWhole(it->path().string());
        }
        return files;
    }

    static bool WaitFor(const std::function<bool()>& condition, int boundMs = kBoundMs)
    {
        QElapsedTimer waited;
        waited.start();
        while (!condition()) {
            if (waited.elapsed() > boundMs)
                return false;
            QTest::qWait(100);
        }
        return true;
    }

private:
    struct Side {
        std::string folder, home;
        int listenPort = 0, guiPort = 0;
        std::string id, key;
        std::unique_ptr<QProcess> process;
    };

    static std::string ReadWhole(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static std::string Capture(const std::string& text, const char* pattern)
    {
        return QRegularExpression(QString::fromLatin1(pattern))
            .match(QString::fromStdString(text))
            .captured(1)
            .toStdString();
    }

    // Ports no one listens on now: each bound to port 0, all four held at
    // once so they differ, then let go for the instances.
    static std::array<int, 4> FreePorts()
    {
        std::array<int, 4> sockets{}, ports{};
        for (std::size_t i = 0; i < sockets.size(); ++i) {
            sockets[i] = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            socklen_t length = sizeof address;
            ::bind(sockets[i], reinterpret_cast<sockaddr*>(&address), sizeof address);
            ::getsockname(sockets[i], reinterpret_cast<sockaddr*>(&address), &length);
            ports[i] = ntohs(address.sin_port);
        }
        for (int s : sockets)
            ::close(s);
        return ports;
    }

    const Side& Other(const Side& side) const { return &side == &sides_[0] ? sides_[1] : sides_[0]; }

    // The generated file gives the device's id and REST key; the rest is
    // ours: loopback only, nothing announced, relayed or reported, quick to
    // reconnect and to rescan. Only the first side has the second's address
    // and dials: when both dialled at once, one dial now and then hung for
    // 20 s in its greeting, at the start and at a resume (3 runs in 5 of
    // the file); with one dialling side none did in 16 starts and resumes.
    void WriteConfig(const Side& side, const Side& other) const
    {
        const auto device = [this](const Side& s) {
            const std::string address =
                &s == &sides_[1] ? "tcp://127.0.0.1:" + std::to_string(s.listenPort) : std::string("dynamic");
            return "  <device id=\"" + s.id + "\" name=\"" + s.id.substr(0, 7) + "\"><address>" + address +
                   "</address></device>\n";
        };
        std::ofstream(side.home + "config.xml", std::ios::binary)
            << "<configuration version=\"36\">\n"
               "  <folder id=\""
            << kFolderId << "\" label=\"" << kFolderId << "\" path=\"" << side.folder
            << "\" type=\"sendreceive\" rescanIntervalS=\"10\" fsWatcherEnabled=\"true\" fsWatcherDelayS=\"1\">\n"
               "    <device id=\""
            << side.id << "\"></device>\n    <device id=\"" << other.id
            << "\"></device>\n"
               "    <maxConflicts>10</maxConflicts>\n"
               "    <pullerPauseS>2</pullerPauseS>\n"
               "  </folder>\n"
            << device(side) << device(other)
            << "  <gui enabled=\"true\" tls=\"false\"><address>127.0.0.1:" << side.guiPort << "</address><apikey>"
            << side.key
            << "</apikey></gui>\n"
               "  <options>\n"
               "    <listenAddress>tcp://127.0.0.1:"
            << side.listenPort
            << "</listenAddress>\n"
               "    <globalAnnounceEnabled>false</globalAnnounceEnabled>\n"
               "    <localAnnounceEnabled>false</localAnnounceEnabled>\n"
               "    <relaysEnabled>false</relaysEnabled>\n"
               "    <natEnabled>false</natEnabled>\n"
               "    <startBrowser>false</startBrowser>\n"
               "    <crashReportingEnabled>false</crashReportingEnabled>\n"
               "    <urAccepted>-1</urAccepted>\n"
               "    <autoUpgradeIntervalH>0</autoUpgradeIntervalH>\n"
               "    <reconnectionIntervalS>2</reconnectionIntervalS>\n"
               "  </options>\n"
               "</configuration>\n";
    }

    static void Stop(Side& side)
    {
        if (!side.process || side.process->state() == QProcess::NotRunning)
            return;
        const qint64 pid = side.process->processId();
        ::kill(static_cast<pid_t>(pid), SIGTERM);
        if (!side.process->waitForFinished(20000)) {
            ::kill(static_cast<pid_t>(pid), SIGKILL);
            side.process->waitForFinished(-1);
        }
    }

    // One HTTP/1.0 request to an instance's REST interface: the body of a
    // 200 answer, nothing otherwise (not yet listening, say).
    static std::optional<std::string> Request(const Side& side, const char* method, const std::string& target)
    {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        timeval limit{10, 0};
        ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
        ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(side.guiPort));
        std::string answer;
        if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            const std::string request = std::string(method) + " " + target +
                                        " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(side.guiPort) +
                                        "\r\nX-API-Key: " + side.key + "\r\nContent-Length: 0\r\n\r\n";
            if (::send(s, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
                char buffer[8192];
                for (ssize_t got; (got = ::recv(s, buffer, sizeof buffer, 0)) > 0;)
                    answer.append(buffer, static_cast<std::size_t>(got));
            }
        }
        ::close(s);
        const std::size_t body = answer.find("\r\n\r\n");
        if (!answer.starts_with("HTTP/1.") || answer.find(" 200 ") != 8 || body == std::string::npos)
            return std::nullopt;
        return answer.substr(body + 4);
    }
    static QJsonObject Get(const Side& side, const std::string& target)
    {
        const std::optional<std::string> body = Request(side, "GET", target);
        return body ? QJsonDocument::fromJson(QByteArray::fromStdString(*body)).object() : QJsonObject();
    }
    static bool Post(const Side& side, const std::string& target) { return Request(side, "POST", target).has_value(); }

    bool Connected(const Side& side) const
    {
        return Get(side, "/rest/system/connections")
            .value(QLatin1String("connections"))
            .toObject()
            .value(QString::fromStdString(Other(side).id))
            .toObject()
            .value(QLatin1String("connected"))
            .toBool();
    }

    // Asks the first side about the other device, then waits until both
    // show the outcome.
    bool Ask(const char* endpoint, const std::function<bool()>& done)
    {
        return Post(sides_[0], endpoint + std::string("?device=") + sides_[1].id) && WaitFor(done);
    }

    TempFolder homes_;
    std::vector<std::string> ignored_;
    std::array<Side, 2> sides_;
};

}  // namespace voicememo::testing
