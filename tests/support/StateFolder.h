#pragma once
// The user's state folder, where rewrites in place keep their rollback
// journals, made private to the test run (so no test writes into the real
// home) and open to the unprivileged user of AsUser.h as well.
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "TempFolder.h"

namespace voicememo::testing {

// The journals' folder; set up once per process, before any child starts.
inline std::string UsePrivateStateFolder()
{
    static TempFolder state;
    static const std::string journals = [] {
        state.MakeFolder("voicememo");
        ::chmod(state.path("").c_str(), 0755);
        ::chmod(state.path("voicememo").c_str(), 01777);
        ::setenv("XDG_STATE_HOME", state.path("").c_str(), 1);
        return state.path("voicememo").string();
    }();
    return journals;
}

}  // namespace voicememo::testing
