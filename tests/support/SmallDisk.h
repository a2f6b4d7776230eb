#pragma once
// Runs part of a test on a small disk of its own: a tmpfs of the given size
// mounted over a folder, in a child with its own mount namespace, so the
// mount goes away with the child whatever happens. Needs the right to mount
// (root, and a machine that allows it); RunOnSmallDisk gives nothing when
// it is refused, and the test falls back to a file size limit.
//
// Like RunUnprivileged, the body returns a text for the test to check, and
// the child leaves by _exit.
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace voicememo::testing {

namespace detail {

// Forks; the child runs prepare (exit 3 when it fails) and then the body,
// whose text comes back through a pipe.
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
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child failed: status " + std::to_string(status);
    return text;
}

}  // namespace detail

inline std::optional<std::string> RunOnSmallDisk(const std::string& folder, unsigned kibibytes,
                                                 const std::function<std::string()>& body)
{
    return detail::RunInChild(
        [&] {
            const std::string options = "size=" + std::to_string(kibibytes) + "k,mode=0777";
            return ::unshare(CLONE_NEWNS) == 0 &&
                   ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                   ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
        },
        body);
}

// Runs the body in a child whose files may not grow past the given size:
// a write beyond it fails with EFBIG, as a write to a full disk fails with
// ENOSPC. Works for any user.
inline std::optional<std::string> RunWithFileSizeLimit(std::size_t bytes,
                                                       const std::function<std::string()>& body)
{
    return detail::RunInChild(
        [&] {
            const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
            return std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        },
        body);
}

}  // namespace voicememo::testing
