#pragma once
// Runs voicememo-today as a user would, and writes catalogues for it.
#include <string>
#include <vector>

#include "Codepage.h"
#include "TempFolder.h"
#include "TestSoundServer.h"

namespace voicememo::testing {

struct ProgramRun {
    int status;
    std::string output;  // stdout and stderr together
};

inline ProgramRun RunToday(const TempFolder& scratch, std::vector<std::string> arguments,
                           const std::string& program = TODAY_PROGRAM)
{
    arguments.insert(arguments.begin(), program);
    const std::string output = scratch.path("output.txt").string();
    const int status = RunProgram(arguments, output);
    return {status, ReadText(output)};
}

// A memo line of the catalogue, in code page 932, recorded 2025/01/02 09:08:07.
inline std::string MemoLine(const std::string& title, const std::string& path, const std::string& kind,
                            const std::string& shownDate)
{
    return Utf8ToCp932(title + "\t" + path + "\t2025/01/02\t09:08:07\t" + kind + "\t" + shownDate + "\r\n");
}

}  // namespace voicememo::testing
