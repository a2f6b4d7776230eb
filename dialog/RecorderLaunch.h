#pragma once
// The recorder that fills a reserved voice file: our own voicememo-recorder,
// started on the file and left running on its own.
#include <string>

#include "FileSystem.h"
#include "ProgramLauncher.h"

namespace voicememo {

inline constexpr const char* kRecorderProgram = "voicememo-recorder";

// Starts the recorder with the voice file's full path as its one argument.
// The recorder beside the program wins over one on the PATH. False when it
// could not be started; the caller goes on all the same.
bool StartRecorder(FileSystem& files, ProgramLauncher& launcher, const std::string& exeDir,
                   const std::string& voicePath);

}  // namespace voicememo
