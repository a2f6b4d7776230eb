#include "VoiceStore.h"

#include "ByteText.h"
#include "Error.h"
#include "Messages.h"

namespace voicememo {

namespace {
constexpr const char* kDataFolder = "data";
constexpr const char* kVoicePrefix = "Voice";
constexpr const char* kVoiceSuffix = ".wav";

}  // namespace

VoiceStore::VoiceStore(FileSystem& files, const std::string& exeDir)
    : files_(files), folder_(exeDir + kDataFolder + kPathSeparator)
{
}

std::string VoiceStore::NextVoiceFileName()
{
    for (int number = 1; number <= kHighestVoiceNumber; ++number) {
        std::string path = folder_ + kVoicePrefix + DecimalText(number) + kVoiceSuffix;
        if (!files_.FileExists(path))
            return path;
    }
    throw Error(std::string(messages::kNoFreeVoiceName));
}

void VoiceStore::Reserve(const std::string& path)
{
    files_.CreateEmptyFile(path);
}

void VoiceStore::Remove(const std::string& path)
{
    if (files_.FileExists(path))
        files_.DeleteFile(path);
}

void VoiceStore::FindUnusedVoiceFiles(const std::vector<std::string>& memoPaths,
                                      const std::vector<std::string>& settingsLines,
                                      const UnusedFileFound& found,
                                      const std::function<void()>& pumpEvents)
{
    std::vector<std::string> usedTexts;
    usedTexts.reserve(memoPaths.size() + settingsLines.size());
    for (const auto& path : memoPaths)
        usedTexts.push_back(LowerAscii(path));
    for (const auto& line : settingsLines)
        usedTexts.push_back(LowerAscii(line));

    for (const std::string& name : files_.ListFolder(folder_, kVoicePrefix, kVoiceSuffix)) {
        if (pumpEvents)
            pumpEvents();
        if (name.empty() || name[0] == '.')
            continue;
        std::string candidate = folder_ + name;
        // A folder of a voice file's name could be neither played nor deleted.
        if (!files_.FileExists(candidate))
            continue;
        std::string lowered = LowerAscii(candidate);
        bool inUse = false;
        for (const auto& text : usedTexts)
            if (text.find(lowered) != std::string::npos) {
                inUse = true;
                break;
            }
        if (!inUse)
            found(name, candidate);
    }
}

}  // namespace voicememo
