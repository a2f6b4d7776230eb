// The program's start: each run is a process of its own, started here, so the
// time from its start to the first paint and its peak memory are the
// program's. The program itself is timed (a copy of it beside each
// catalogue, which it reads from its own folder), with a hook loaded into it
// that ends it at its first paint; the floors are Qt alone (form_floor).
// Runs of the different kinds take turns, in an order shuffled each round,
// so that a busy machine weighs on all of them alike; the median of each
// kind counts, and a start's ratio to its floor is the median of the ratios
// of the runs of one round.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "BenchData.h"
#include "BenchTable.h"
#include "TempFolder.h"

extern char** environ;

namespace voicememo::bench {

namespace {

using voicememo::testing::TempFolder;

constexpr const char* kProgramName = "voicememo";

long long Now()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

struct ProbeResult {
    double seconds = 0;    // to the first paint, or of the timed work
    double peakBytes = 0;  // the process's peak resident memory
};

// The environment of the probes: the X server when there is one, else
// Qt's offscreen platform.
std::vector<std::string> ProbeEnvironment(const std::string& display, const std::string& runtimeDir)
{
    std::vector<std::string> variables;
    if (!runtimeDir.empty())
        variables.push_back("XDG_RUNTIME_DIR=" + runtimeDir);
    for (char** variable = environ; *variable; ++variable) {
        std::string_view text(*variable);
        if (!text.starts_with("DISPLAY=") && !text.starts_with("QT_QPA_PLATFORM=") &&
            !text.starts_with("WAYLAND_DISPLAY=") && !(text.starts_with("XDG_RUNTIME_DIR=") && !runtimeDir.empty()))
            variables.emplace_back(text);
    }
    // Without a session bus, Qt's D-Bus would fork each probe to try to
    // start one (dbus-launch), which a desktop, that has its bus, never does;
    // the fork made a start that was filling memory copy it page by page.
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS"))
        variables.emplace_back("DBUS_SESSION_BUS_ADDRESS=disabled:");
    if (display.empty()) {
        variables.emplace_back("QT_QPA_PLATFORM=offscreen");
    } else {
        variables.push_back("DISPLAY=" + display);
        variables.emplace_back("QT_QPA_PLATFORM=xcb");
    }
    return variables;
}

// What runs for a kind of probe: the floors, the program in a folder (ended
// by the hook at its first paint), or the dialog probe timing its work.
std::vector<std::string> ProbeCommand(const std::string& mode, const std::string& folder,
                                      std::vector<std::string>& environment)
{
    if (mode == "bare" || mode == "text" || mode == "form")
        return {VOICEMEMO_FLOOR, mode};
    if (mode.starts_with("filled-"))
        return {VOICEMEMO_FLOOR, "filled", mode.substr(std::strlen("filled-"))};
    if (mode == "program") {
        environment.emplace_back("LD_PRELOAD=" VOICEMEMO_PAINT_HOOK);
        return {(std::filesystem::path(folder) / kProgramName).string()};
    }
    return {VOICEMEMO_PROBE, mode, folder};
}

std::optional<ProbeResult> RunProbe(const std::string& mode, const std::string& folder,
                                    std::vector<std::string> environment)
{
    const std::vector<std::string> command = ProbeCommand(mode, folder, environment);
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const std::string& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& variable : environment)
        envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);

    pid_t pid;
    const long long started = Now();
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);
    if (spawned != 0) {
        ::close(output[0]);
        return std::nullopt;
    }
    std::string said;
    char buffer[256];
    for (ssize_t got; (got = ::read(output[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            break;
        said.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(output[0]);
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {}
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s %s failed: %s\n", argv[0], mode.c_str(), said.c_str());
        return std::nullopt;
    }
    long long value = 0;
    ProbeResult result;
    result.peakBytes = static_cast<double>(usage.ru_maxrss) * 1024;
    if (std::sscanf(said.c_str(), "painted %lld", &value) == 1)
        result.seconds = static_cast<double>(value - started) / 1e9;
    else if (std::sscanf(said.c_str(), "elapsed %lld", &value) == 1)
        result.seconds = static_cast<double>(value) / 1e9;
    else
        return std::nullopt;
    return result;
}

// The process that starts the probes, forked before this one grows: the
// kernel counts the peak memory of the process a program was started from
// as the program's own, so a big parent would hide the probes' figures.
struct ProbeSpawner {
    pid_t pid = -1;
    FILE* requests = nullptr;
    FILE* replies = nullptr;
} spawner;

[[noreturn]] void ServeProbes(FILE* requests, FILE* replies)
{
    // Qt wants a private runtime folder; give the probes one when there is
    // none, in memory where the system has such a folder, as a desktop's is.
    std::string runtimeDir;
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        std::error_code error;
        const std::filesystem::path parent =
            std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string pattern = (parent / "voicememo-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            runtimeDir = pattern;
    }
    char* line = nullptr;
    std::size_t capacity = 0;
    while (::getline(&line, &capacity, requests) > 0) {
        std::string request(line);
        if (request.ends_with('\n'))
            request.pop_back();
        const auto firstTab = request.find('\t');
        const auto secondTab = request.find('\t', firstTab + 1);
        const std::string mode = request.substr(0, firstTab);
        const std::string folder = request.substr(firstTab + 1, secondTab - firstTab - 1);
        const std::string display = request.substr(secondTab + 1);
        auto result = RunProbe(mode, folder, ProbeEnvironment(display, runtimeDir));
        if (result)
            std::fprintf(replies, "ok %.9f %.0f\n", result->seconds, result->peakBytes);
        else
            std::fprintf(replies, "failed\n");
        std::fflush(replies);
    }
    if (!runtimeDir.empty())
        std::filesystem::remove_all(runtimeDir);
    ::_exit(0);
}

std::optional<ProbeResult> RequestProbe(const std::string& mode, const std::string& folder, const std::string& display)
{
    if (!spawner.requests)
        return std::nullopt;
    std::fprintf(spawner.requests, "%s\t%s\t%s\n", mode.c_str(), folder.c_str(), display.c_str());
    std::fflush(spawner.requests);
    char reply[128];
    ProbeResult result;
    if (!std::fgets(reply, sizeof reply, spawner.replies) ||
        std::sscanf(reply, "ok %lf %lf", &result.seconds, &result.peakBytes) != 2)
        return std::nullopt;
    return result;
}

void StopProbeSpawner()
{
    if (spawner.pid <= 0)
        return;
    std::fclose(spawner.requests);
    std::fclose(spawner.replies);
    ::waitpid(spawner.pid, nullptr, 0);
    spawner = {};
}

// An X server of our own for the probes, when Xvfb is installed; it picks a
// free display itself, and does not reset when a probe leaves (a probe that
// came during a reset was refused, and the reset weighed on the next start).
class VirtualDisplay {
public:
    VirtualDisplay()
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            const std::string fd = std::to_string(ready[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset", "-screen", "0",
                     "1024x768x24", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(ready[1]);
        if (pid_ < 0) {
            ::close(ready[0]);
            return;
        }
        std::string number;
        char c;
        while (::read(ready[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(ready[0]);
        if (!number.empty())
            display_ = ":" + number;
    }
    ~VirtualDisplay()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// Of the runs that gave a figure (a failed run leaves NaN in its round).
double Median(std::vector<double> values)
{
    std::erase_if(values, [](double value) { return std::isnan(value); });
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Kind {
    std::string mode;
    const TempFolder* folder;
    std::vector<double> seconds;
    std::vector<double> peakBytes;
};

}  // namespace

void StartProbeSpawner()
{
    int requests[2], replies[2];
    if (::pipe2(requests, O_CLOEXEC) != 0 || ::pipe2(replies, O_CLOEXEC) != 0)
        return;
    std::fflush(nullptr);
    spawner.pid = ::fork();
    if (spawner.pid == 0) {
        ::close(requests[1]);
        ::close(replies[0]);
        ServeProbes(::fdopen(requests[0], "r"), ::fdopen(replies[1], "w"));
    }
    ::close(requests[0]);
    ::close(replies[1]);
    spawner.requests = ::fdopen(requests[1], "w");
    spawner.replies = ::fdopen(replies[0], "r");
}

std::vector<Figure> RunDialogBenchmarks(int runs)
{
    TempFolder bare, none, tenThousand, hundredThousand, otherMachine, unused, blankLines;
    for (const TempFolder* folder : {&none, &tenThousand, &hundredThousand, &otherMachine, &unused, &blankLines})
        folder->MakeFolder("data");
    // What a runaway writer leaves: 20 MB of blank lines, each a blank memo.
    blankLines.Write("Voice.dat", std::string(20u << 20, '\n'));
    WriteSampleCatalogue(tenThousand.dir(), 10000);
    const double catalogueBytes = static_cast<double>(WriteSampleCatalogue(hundredThousand.dir(), 100000));
    // The same folder synced from another machine, whose paths name its own folder.
    WriteSampleCatalogue(otherMachine.dir(), 100000, "/home/someone-else/voicememo/");
    WriteEmptyVoiceFiles(otherMachine.dir(), 999);
    MakeUnusedDataFolder(unused.dir(), 10000);
    // The dialog reads the calendar's settings at each start; the floor reads none.
    for (const TempFolder* folder : {&none, &tenThousand, &hundredThousand, &otherMachine}) {
        WriteSampleSettings(folder->dir());
        std::filesystem::copy_file(VOICEMEMO_PROGRAM, folder->path(kProgramName));
    }

    VirtualDisplay display;
    std::fprintf(stderr, "dialog probes on %s\n",
                 display.display().empty() ? "the offscreen platform" : ("Xvfb " + display.display()).c_str());

    std::map<std::string, Kind> kinds{
        {"bare", {"bare", &bare, {}, {}}},
        {"text", {"text", &bare, {}, {}}},
        {"form", {"form", &bare, {}, {}}},
        {"0", {"program", &none, {}, {}}},
        {"10000", {"program", &tenThousand, {}, {}}},
        {"100000", {"program", &hundredThousand, {}, {}}},
        {"100000-other", {"program", &otherMachine, {}, {}}},
        {"filled-0", {"filled-0", &bare, {}, {}}},
        {"filled-10000", {"filled-10000", &bare, {}, {}}},
        {"filled-100000", {"filled-100000", &bare, {}, {}}},
        {"load", {"load", &tenThousand, {}, {}}},
        {"add-unused", {"add-unused", &unused, {}, {}}},
        {"load-100000", {"load", &hundredThousand, {}, {}}},
        {"take-in-100000", {"take-in", &hundredThousand, {}, {}}},
        {"load-blank", {"load", &blankLines, {}, {}}},
        {"take-in-blank", {"take-in", &blankLines, {}, {}}},
    };
    // Each round runs every kind once, in an order of its own: a start
    // right after another one is slower or quicker by a few per cent, and
    // a fixed order would give each kind the same neighbour every time.
    std::vector<Kind*> order;
    for (auto& entry : kinds)
        order.push_back(&entry.second);
    std::mt19937 shuffler(20261207);
    for (int run = 0; run < runs; ++run) {
        std::shuffle(order.begin(), order.end(), shuffler);
        for (Kind* kind : order) {
            auto result = RequestProbe(kind->mode, kind->folder->dir(), display.display());
            // The window saves what it adopted at once: the next run finds the
            // files unused again only without that catalogue.
            if (kind->mode == "add-unused")
                std::filesystem::remove(kind->folder->path("Voice.dat"));
            const double failed = std::numeric_limits<double>::quiet_NaN();
            kind->seconds.push_back(result ? result->seconds : failed);
            kind->peakBytes.push_back(result ? result->peakBytes : failed);
        }
    }

    StopProbeSpawner();

    auto ms = [&](const char* name) { return Median(kinds[name].seconds) * 1e3; };
    // Each run against the floor's run of the same round: a machine that
    // speeds up or slows down over the rounds weighs on both alike.
    auto pairedRatio = [&](const char* name, const char* floorName) {
        const std::vector<double>& measured = kinds[name].seconds;
        const std::vector<double>& floor = kinds[floorName].seconds;
        std::vector<double> ratios;
        for (std::size_t round = 0; round < std::min(measured.size(), floor.size()); ++round)
            ratios.push_back(measured[round] / floor[round]);
        return Median(ratios);
    };
    auto mb = [&](const char* name) { return Median(kinds[name].peakBytes) / 1e6; };
    // The floor of the dialog's start: its own Designer form shown by Qt with
    // none of our code, in its face and style. The window of its size that
    // draws a label and a button stays as a second floor.
    const std::string formFloor = "the form alone";
    // What Qt itself costs to show what the window shows at its start (the
    // pictures, the date, the hint or the first memos in its own list),
    // and what is left for the program's own work.
    const std::string filledFloor = "the form filled by Qt alone";
    std::vector<Figure> figures{
        {"start to first paint, label + button window", ms("text"), ms("bare"), "ms", 0, "bare window"},
        {"start to first paint, the form alone", ms("form"), ms("text"), "ms", 0, "label + button window"},
    };
    struct Start {
        std::string kind;
        std::string memos;
        double goal;
    };
    for (const Start& start :
         {Start{"0", "no memos", 1.05}, Start{"10000", "10,000 memos", 1.10}, Start{"100000", "100,000 memos", 1.20}}) {
        const std::string filled = "filled-" + start.kind;
        const char* kind = start.kind.c_str();
        figures.push_back({"start to first paint, " + start.memos, ms(kind), ms("form"), "ms", start.goal, formFloor,
                           pairedRatio(kind, "form")});
        figures.push_back({"  of it Qt alone, the form filled as the window starts", ms(filled.c_str()), ms("form"),
                           "ms", 0, formFloor, pairedRatio(filled.c_str(), "form")});
        figures.push_back({"  and the program's own work", ms(kind), ms(filled.c_str()), "ms", 0, filledFloor,
                           pairedRatio(kind, filled.c_str())});
    }
    figures.push_back({"start to first paint, 100,000 memos of another machine's folder", ms("100000-other"),
                       ms("100000"), "ms", 1.3, "100,000 memos", pairedRatio("100000-other", "100000")});
    figures.push_back(
        {"peak memory over the form alone (" + std::to_string(static_cast<int>(mb("form"))) + " MB), 100,000 memos",
         mb("100000") - mb("form"), catalogueBytes / 1e6, "MB", 1.3, "catalogue size"});
    figures.push_back({"add unused, 10,000 files", ms("add-unused"), ms("load"), "ms", 3.0, "dialog load, 10,000"});
    // A catalogue another writer changed while the window was idle is held
    // within twice what the same file cost at start.
    figures.push_back({"peak memory, 100,000 memos taken in while idle", mb("take-in-100000"), mb("load-100000"), "MB",
                       2.0, "the start on it"});
    figures.push_back({"peak memory, 20 MB of blank lines taken in while idle", mb("take-in-blank"), mb("load-blank"),
                       "MB", 2.0, "the start on it"});
    return figures;
}

}  // namespace voicememo::bench
