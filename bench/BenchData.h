#pragma once
// What the benchmarks work on: catalogues of memos with Japanese titles and
// data folders of voice files, written into a folder of their own.
#include <string>
#include <vector>

#include "VoiceMemo.h"

namespace voicememo::bench {

// A memo as the program keeps them: a Japanese title, its voice file in the
// data folder of exeDir, TODO and DAILY in turn; its line is about 80 bytes.
VoiceMemo SampleMemo(const std::string& exeDir, int number);
std::vector<VoiceMemo> SampleMemos(const std::string& exeDir, int count);

// Writes count sample memos as exeDir's catalogue; returns the file's size.
// pathsDir: the folder its memos' paths name (another machine's), exeDir's when empty.
std::size_t WriteSampleCatalogue(const std::string& exeDir, int count, const std::string& pathsDir = {});

// Empty voice files data/Voice1.wav to data/Voice<files>.wav.
void WriteEmptyVoiceFiles(const std::string& exeDir, int files);

// Writes a settings file as the calendar leaves it beside its programs:
// its options, its window's place, voice alarms and the dialog's [Voice]
// keys, some 5 KB.
void WriteSampleSettings(const std::string& exeDir);

// Texts naming voice files as the catalogue and the settings file do.
struct UsedTexts {
    std::vector<std::string> memoPaths;
    std::vector<std::string> settingsLines;
};

// Fills exeDir's data folder with files empty voice files Voice1.wav ...,
// and returns files memo paths and files settings lines that between them
// name every second file (in other letter cases too); the other texts name
// files that do not exist or nothing at all.
UsedTexts MakeHalfUsedDataFolder(const std::string& exeDir, int files);

// Fills exeDir's data folder with files empty voice files that nothing names.
void MakeUnusedDataFolder(const std::string& exeDir, int files);

}  // namespace voicememo::bench
