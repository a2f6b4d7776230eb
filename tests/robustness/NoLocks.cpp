// Locks the file system refuses, as NFS without its lock service does: while
// switched on, every flock of this program fails with ENOLCK. It stands in
// for the system's flock for the whole test program.
#include <dlfcn.h>

#include <atomic>
#include <cerrno>

#include "NoLocks.h"

namespace {
std::atomic<bool> locksRefused{false};
}

namespace voicememo::testing {

NoLocks::NoLocks() { locksRefused = true; }
NoLocks::~NoLocks() { locksRefused = false; }

}  // namespace voicememo::testing

extern "C" int flock(int fd, int operation)
{
    if (locksRefused) {
        errno = ENOLCK;
        return -1;
    }
    using Flock = int (*)(int, int);
    static const auto system = reinterpret_cast<Flock>(::dlsym(RTLD_NEXT, "flock"));
    return system(fd, operation);
}
