#pragma once
// A private PulseAudio server for one test: started on construction, stopped
// by its process id on destruction, and reached only through the PULSE_*
// environment variables it sets in this process (children inherit them).
//
// Its default sink "speaker" is what players play into; its monitor is what
// a test captures to hear them. The default source "microphone" is a remap of
// that monitor, so whatever a test plays into the sink is what a recorder
// hears. The loopback into a second sink avoids a 2 s start delay of a bare
// null sink.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace voicememo::testing {

// Starts a program with arguments (no shell); returns its process id.
inline pid_t SpawnProgram(const std::vector<std::string>& argv, const std::string& output = "/dev/null")
{
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        throw std::runtime_error("cannot start " + argv[0]);
    return pid;
}

// Runs a program to its end; returns its exit status (-1 when killed).
inline int RunProgram(const std::vector<std::string>& argv, const std::string& output = "/dev/null")
{
    pid_t pid = SpawnProgram(argv, output);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TestSoundServer {
public:
    TestSoundServer()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "voicememo-pulse-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp");
        dir_ = pattern;
        for (const char* sub : {"runtime", "state", "home"})
            std::filesystem::create_directories(dir_ / sub);
        std::ofstream(dir_ / "client.conf") << "autospawn = no\n";
        std::ofstream(dir_ / "test.pa")
            << "load-module module-null-sink sink_name=speaker\n"
               "load-module module-null-sink sink_name=drain\n"
               "load-module module-loopback source=speaker.monitor sink=drain latency_msec=20\n"
               "load-module module-remap-source source_name=microphone master=speaker.monitor\n"
               "load-module module-native-protocol-unix socket="
            << (dir_ / "native").string()
            << " auth-anonymous=1\n"
               "set-default-sink speaker\n"
               "set-default-source microphone\n"
               "suspend-sink speaker 1\n"
               "suspend-sink speaker 0\n";
        UseThisServer();
        ::setenv("HOME", (dir_ / "home").c_str(), 1);
        pid_ =
            SpawnProgram({"pulseaudio", "--daemonize=no", "-n", "-F", (dir_ / "test.pa").string(), "--use-pid-file=no",
                          "--exit-idle-time=-1", "--disallow-exit=yes", "--high-priority=no", "--realtime=no"},
                         (dir_ / "server.log").string());
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (RunProgram({"pactl", "info"}) != 0) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                throw std::runtime_error("pulseaudio died: " + ReadText((dir_ / "server.log").string()));
            }
            if (std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("pulseaudio did not answer");
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~TestSoundServer()
    {
        Stop();
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    TestSoundServer(const TestSoundServer&) = delete;
    TestSoundServer& operator=(const TestSoundServer&) = delete;

    pid_t pid() const { return pid_; }
    std::filesystem::path dir() const { return dir_; }

    void Freeze() { ::kill(pid_, SIGSTOP); }
    void Thaw() { ::kill(pid_, SIGCONT); }
    void Stop()
    {
        if (pid_ <= 0)
            return;
        ::kill(pid_, SIGCONT);
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

    // Points this process at a server address where none listens.
    static void UseNoServer(const std::string& dir)
    {
        ::setenv("PULSE_SERVER", ("unix:" + dir + "/no-server").c_str(), 1);
        ::setenv("PULSE_CLIENTCONFIG", (dir + "/no-client.conf").c_str(), 1);
    }

private:
    void UseThisServer()
    {
        ::setenv("PULSE_SERVER", ("unix:" + (dir_ / "native").string()).c_str(), 1);
        ::setenv("PULSE_CLIENTCONFIG", (dir_ / "client.conf").c_str(), 1);
        ::setenv("PULSE_COOKIE", (dir_ / "cookie").c_str(), 1);
        ::setenv("PULSE_RUNTIME_PATH", (dir_ / "runtime").c_str(), 1);
        ::setenv("PULSE_STATE_PATH", (dir_ / "state").c_str(), 1);
    }

    std::filesystem::path dir_;
    pid_t pid_ = -1;
};

// Captures what the server's speaker plays into a WAV file, from
// construction until Stop().
class SpeakerCapture {
public:
    explicit SpeakerCapture(std::string file) : file_(std::move(file))
    {
        pid_ = SpawnProgram({"parecord", "--device=speaker.monitor", "--file-format=wav", file_});
        // The capture's timeline may run ahead: give it a moment before playing.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    ~SpeakerCapture() { Stop(); }
    const std::string& Stop()
    {
        if (pid_ > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            ::kill(pid_, SIGINT);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        return file_;
    }

private:
    std::string file_;
    pid_t pid_ = -1;
};

// The length in seconds of a file's sound from its first to its last voiced
// sample (silence below 1 % trimmed at both ends); 0 when all is silent.
inline double VoicedSeconds(const std::string& file)
{
    const std::string report = file + ".stat";
    RunProgram({"sox", file, "-n", "silence", "1", "0.01", "1%", "reverse", "silence", "1", "0.01", "1%", "reverse",
                "stat"},
               report);
    const std::string text = ReadText(report);
    auto at = text.find("Length (seconds):");
    if (at == std::string::npos)
        return 0;
    return std::atof(text.c_str() + at + 17);
}

// The whole length in seconds of a sound file, as sox reads it.
inline double FileSeconds(const std::string& file)
{
    const std::string report = file + ".len";
    RunProgram({"soxi", "-D", file}, report);
    return std::atof(ReadText(report).c_str());
}

// A spoken test sound made with espeak-ng.
inline void MakeSpokenWav(const std::string& file, const std::string& words)
{
    if (RunProgram({"espeak-ng", "-w", file, words}) != 0)
        throw std::runtime_error("espeak-ng failed");
}

}  // namespace voicememo::testing
