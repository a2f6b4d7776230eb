#pragma once
// Runs part of a test in a forked child: prepare sets the child up (exit 3
// when it cannot, which gives nothing), then the body runs and its text comes
// back through a pipe. A body that throws gives "threw: <what>". The child
// never returns into the test: it leaves by _exit, so no destructor of the
// parent's objects (a TempFolder above all) runs twice.
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace voicememo::testing {

inline std::optional<std::string> RunInChild(const std::function<bool()>& prepare,
                                             const std::function<std::string()>& body)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return std::nullopt;
    std::fflush(nullptr);
    pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(channel[0]);
        if (!prepare())
            ::_exit(3);
        std::string text;
        try {
            text = body();
        } catch (const std::exception& error) {
            text = std::string("threw: ") + error.what();
        } catch (...) {
            text = "threw";
        }
        for (std::size_t done = 0; done < text.size();) {
            ssize_t written = ::write(channel[1], text.data() + done, text.size() - done);
            if (written <= 0)
                ::_exit(4);
            done += static_cast<std::size_t>(written);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(channel[0], buffer, sizeof buffer)) != 0) {
        if (got > 0)
            text.append(buffer, static_cast<std::size_t>(got));
        else if (errno != EINTR)
            break;
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {}
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child failed: status " + std::to_string(status);
    return text;
}

}  // namespace voicememo::testing
