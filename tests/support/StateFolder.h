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

// The user's data folder, which holds the desktop's trash, made private to
// the test run likewise: deleted voice files go to its Trash/files.
inline std::string UsePrivateDataFolder()
{
    static TempFolder data;
    static const std::string trash = [] {
        ::chmod(data.path("").c_str(), 01777);
        ::setenv("XDG_DATA_HOME", data.path("").c_str(), 1);
        return data.path("Trash/files").string();
    }();
    return trash;
}

}  // namespace voicememo::testing
