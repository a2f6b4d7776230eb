#pragma once
// Runs part of a test on a small disk of its own: a tmpfs of the given size
// mounted over a folder, in a child with its own mount namespace, so the
// mount goes away with the child whatever happens. Needs the right to mount
// (root, and a machine that allows it); RunOnSmallDisk gives nothing when
// it is refused, and the test falls back to a file size limit.
//
// Like RunUnprivileged, the body returns a text for the test to check, and
// the child leaves by _exit.
#include "InChild.h"

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

inline std::optional<std::string> RunOnSmallDisk(const std::string& folder, unsigned kibibytes,
                                                 const std::function<std::string()>& body)
{
    return RunInChild(
        [&] {
            const std::string options = "size=" + std::to_string(kibibytes) + "k,mode=0777";
            return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                   ::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
        },
        body);
}

// Runs the body in a child whose files may not grow past the given size:
// a write beyond it fails with EFBIG, as a write to a full disk fails with
// ENOSPC. Works for any user.
inline std::optional<std::string> RunWithFileSizeLimit(std::size_t bytes, const std::function<std::string()>& body)
{
    return RunInChild(
        [&] {
            const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
            return std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        },
        body);
}

}  // namespace voicememo::testing
