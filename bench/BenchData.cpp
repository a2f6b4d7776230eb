#include "BenchData.h"

#include <filesystem>
#include <fstream>

#include "CatalogueFile.h"
#include "Codepage.h"
#include "SampleTitles.h"
#include "Settings.h"

namespace voicememo::bench {

namespace {

std::string VoicePath(const std::string& exeDir, int number)
{
    return exeDir + "data/Voice" + std::to_string(number) + ".wav";
}

}  // namespace

VoiceMemo SampleMemo(const std::string& exeDir, int number)
{
    const bool daily = number % 2 == 0;
    return {Utf8ToCp932(kSampleTitles[number % kSampleTitleCount]) + " " + std::to_string(number),
            VoicePath(exeDir, number),
            "2026/04/" + std::to_string(10 + number % 19),
            "09:" + std::to_string(10 + number % 50) + ":30",
            daily ? kKindDaily : kKindTodo,
            daily ? "2026/5/" + std::to_string(1 + number % 28) : ""};
}

std::vector<VoiceMemo> SampleMemos(const std::string& exeDir, int count)
{
    std::vector<VoiceMemo> memos;
    memos.reserve(static_cast<std::size_t>(count));
    for (int n = 1; n <= count; ++n)
        memos.push_back(SampleMemo(exeDir, n));
    return memos;
}

void WriteEmptyVoiceFiles(const std::string& exeDir, int files)
{
    std::filesystem::create_directories(exeDir + "data");
    for (int n = 1; n <= files; ++n)
        std::ofstream(VoicePath(exeDir, n));
}

std::size_t WriteSampleCatalogue(const std::string& exeDir, int count, const std::string& pathsDir)
{
    const std::string content = FormatCatalogue(SampleMemos(pathsDir.empty() ? exeDir : pathsDir, count));
    std::ofstream(exeDir + kCatalogueFileName, std::ios::binary) << content;
    return content.size();
}

void WriteSampleSettings(const std::string& exeDir)
{
    std::string text = "[Option]\r\nShowHint=1\r\nStartOfWeek=0\r\nShowHoliday=1\r\nShowWeekNumber=0\r\n"
                       "FontSize=12\r\nAlarmSound=1\r\nAlarmRepeat=3\r\nSnoozeMinutes=5\r\n"
                       "[Window]\r\nLeft=612\r\nTop=24\r\nWidth=400\r\nHeight=320\r\nStayOnTop=0\r\n";
    text += "[Alarm]\r\n";
    for (int n = 1; n <= 60; ++n)
        text += "Alarm" + std::to_string(n) + "=" + VoicePath(exeDir, n) + "\r\nAlarmDate" + std::to_string(n) +
                "=2026/" + std::to_string(1 + n % 12) + "/" + std::to_string(1 + n % 28) + " 08:30\r\n";
    text += "[Voice]\r\nLeft=120\r\nTop=80\r\nCalendarFeed=0\r\n";
    std::ofstream(exeDir + kSettingsFileName, std::ios::binary) << text;
}

UsedTexts MakeHalfUsedDataFolder(const std::string& exeDir, int files)
{
    WriteEmptyVoiceFiles(exeDir, files);
    UsedTexts used;
    const std::string upperData = exeDir + "DATA/VOICE";
    // Every fourth file by a memo, the next but one by an alarm of the
    // calendar; the rest of the texts name files beyond the folder's.
    for (int n = 1; n <= files; ++n) {
        if (n % 4 == 0)
            used.memoPaths.push_back(VoicePath(exeDir, n));
        else
            used.memoPaths.push_back(VoicePath(exeDir, files + n));
    }
    used.settingsLines.push_back("[Alarm]");
    for (int n = 1; used.settingsLines.size() < static_cast<std::size_t>(files); ++n) {
        if (n <= files && n % 4 == 2)
            used.settingsLines.push_back("Alarm" + std::to_string(n) + "=" + upperData + std::to_string(n) + ".WAV");
        else if (n % 3 == 0)
            used.settingsLines.push_back("Alarm" + std::to_string(n) + "=" + VoicePath(exeDir, 2 * files + n) + ".bak");
        else
            used.settingsLines.push_back("Key" + std::to_string(n) + "=" + std::to_string(n * 7));
    }
    return used;
}

void MakeUnusedDataFolder(const std::string& exeDir, int files) { WriteEmptyVoiceFiles(exeDir, files); }

}  // namespace voicememo::bench
