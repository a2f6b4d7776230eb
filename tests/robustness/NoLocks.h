#pragma once
// While one lives, every flock of this program fails as where locks do not
// work (NoLocks.cpp).
namespace voicememo::testing {

struct NoLocks {
    NoLocks();
    ~NoLocks();
    NoLocks(const NoLocks&) = delete;
    NoLocks& operator=(const NoLocks&) = delete;
};

}  // namespace voicememo::testing
