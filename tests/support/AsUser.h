#pragma once
// Runs part of a test as an unprivileged user. Root ignores file
// permissions, so a test about them must not act as root: as root the body
// runs in a child switched to nobody; otherwise we are unprivileged already
// and the child keeps our own user.
#include <grp.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>

#include "InChild.h"

namespace voicememo::testing {

inline uid_t UnprivilegedUid() { return ::geteuid() == 0 ? 65534 : ::geteuid(); }
inline gid_t UnprivilegedGid() { return ::geteuid() == 0 ? 65534 : ::getegid(); }

// The text the body returned in the child; nothing when the child could not
// give up root. A body that throws gives "threw: <what>".
inline std::optional<std::string> RunUnprivileged(const std::function<std::string()>& body)
{
    return RunInChild(
        [] {
            if (::geteuid() != 0)
                return true;
            return ::setgroups(0, nullptr) == 0 && ::setgid(UnprivilegedGid()) == 0 &&
                   ::setuid(UnprivilegedUid()) == 0 && ::geteuid() != 0;
        },
        body);
}

}  // namespace voicememo::testing
