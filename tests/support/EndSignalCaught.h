#pragma once
// Whether a program started by a test has set up its end from outside: its
// SIGTERM handler is in place, so a signal now reaches its event loop
// (before, the process may still be a copy of the test, handlers and all).
#include <QProcess>
#include <csignal>
#include <fstream>
#include <string>

namespace voicememo::testing {

inline bool CatchesEndSignal(const QProcess& process)
{
    std::ifstream status("/proc/" + std::to_string(process.processId()) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("SigCgt:", 0) == 0)
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1U;
    return false;
}

}  // namespace voicememo::testing
