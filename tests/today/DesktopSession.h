#pragma once
// A desktop of the test's own: a private session bus, an X display (Xvfb)
// and the dunst notification server on them, each started here and stopped
// by its process id. Children of the test reach them through DISPLAY and
// DBUS_SESSION_BUS_ADDRESS, which this sets in the test's process.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "TestSoundServer.h"

extern char** environ;

namespace voicememo::testing {

// Generous for a loaded two-core machine; only a fault takes this long.
inline constexpr std::chrono::seconds kDesktopBound{60};

// Polls the condition until it holds or the bound has passed.
inline bool WaitUntil(const std::function<bool()>& condition, std::chrono::seconds bound = kDesktopBound)
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The exit status of a child, or -1 when it has not ended within the bound
// (it is then killed) or was killed.
inline int WaitForExit(pid_t pid, std::chrono::seconds bound = kDesktopBound)
{
    int status = 0;
    if (!WaitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, bound)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A session bus of the test's own, with no service files: nothing is
// started on demand behind the test's back.
class PrivateBus {
public:
    PrivateBus()
    {
        folder_.Write("bus.conf", "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                                  " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                                  "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>\n"
                                  "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                  "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        const std::string output = folder_.path("bus.txt").string();
        if (RunProgram({"dbus-daemon", "--config-file=" + folder_.path("bus.conf").string(), "--fork",
                        "--print-address=1", "--print-pid=1"},
                       output) != 0)
            throw std::runtime_error("dbus-daemon");
        std::ifstream lines(output);
        std::string address;
        std::getline(lines, address);
        lines >> pid_;
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    }
    ~PrivateBus()
    {
        if (pid_ > 0)
            ::kill(pid_, SIGTERM);  // forked away: not our child
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

private:
    TempFolder folder_;
    pid_t pid_ = -1;
};

// dunst keeps each notification until it is closed, as some servers do
// (notification-daemon): none expires while a test looks at it.
class DesktopSession {
public:
    DesktopSession()
    {
        StartDisplay();
        StartNotificationServer();
    }
    ~DesktopSession()
    {
        for (pid_t child : {dunst_, xvfb_}) {
            if (child > 0) {
                ::kill(child, SIGTERM);
                ::waitpid(child, nullptr, 0);
            }
        }
    }
    DesktopSession(const DesktopSession&) = delete;
    DesktopSession& operator=(const DesktopSession&) = delete;

    // A dunstctl command's output; empty when it failed.
    std::string Dunstctl(const std::vector<std::string>& arguments) const
    {
        std::vector<std::string> argv{"dunstctl"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        const std::string output = folder_.path("dunstctl.txt").string();
        return RunProgram(argv, output) == 0 ? ReadText(output) : std::string();
    }
    int Displayed() const
    {
        const std::string count = Dunstctl({"count", "displayed"});
        return count.empty() ? -1 : std::stoi(count);
    }
    // Picks the first line of the newest notification's context menu that
    // matches the extended regular expression; the menu's lines read
    // "#name (summary) [id,key]".
    void Pick(const std::string& line) const
    {
        folder_.Write("pick.txt", line + "\n");
        Dunstctl({"context"});
    }
    // A click on the newest notification: its default action.
    void Click() const { Dunstctl({"action", "0"}); }
    // The lines the context menu was last offered.
    std::string ContextMenu() const { return folder_.Read("menu.txt"); }

private:
    void StartDisplay()
    {
        // Xvfb picks a free display and writes its number to descriptor 3.
        const std::string numberFile = folder_.path("display.txt").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 3, numberFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const char* argv[] = {"Xvfb", "-displayfd", "3", "-nolisten", "tcp", "-noreset", nullptr};
        const int rc = posix_spawnp(&xvfb_, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0 || !WaitUntil([&] { return ReadText(numberFile).find('\n') != std::string::npos; }))
            throw std::runtime_error("Xvfb");
        std::string number = ReadText(numberFile);
        number.pop_back();
        ::setenv("DISPLAY", (":" + number).c_str(), 1);
    }

    void StartNotificationServer()
    {
        // The context menu's chooser: keeps what it was offered and picks
        // the line Pick asked for.
        const std::string menu = folder_.path("menu.txt").string();
        folder_.Write("pick.sh",
                      "#!/bin/sh\ntee '" + menu + "' | grep -m1 -E -f '" + folder_.path("pick.txt").string() + "'\n");
        folder_.SetMode("pick.sh", 0755);
        std::string config = "[global]\n    dmenu = " + folder_.path("pick.sh").string() + "\n";
        for (const char* urgency : {"low", "normal", "critical"})
            config += std::string("[urgency_") + urgency + "]\n    timeout = 0\n";
        folder_.Write("dunstrc", config);
        dunst_ =
            SpawnProgram({"dunst", "-config", folder_.path("dunstrc").string()}, folder_.path("dunst.log").string());
        if (!WaitUntil([&] { return Displayed() == 0; }))
            throw std::runtime_error("dunst: " + folder_.Read("dunst.log"));
    }

    PrivateBus bus_;
    TempFolder folder_;
    pid_t xvfb_ = -1;
    pid_t dunst_ = -1;
};

}  // namespace voicememo::testing
