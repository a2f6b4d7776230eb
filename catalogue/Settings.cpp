#include "Settings.h"

#include "ByteText.h"
#include "Error.h"
#include "Messages.h"
#include "NumberText.h"

namespace voicememo {

namespace {
const std::string kOptionSection = "Option";
const std::string kShowHintKey = "ShowHint";
const std::string kVoiceSection = "Voice";
const std::string kLeftKey = "Left";
const std::string kTopKey = "Top";
const std::string kCalendarFeedKey = "CalendarFeed";
}  // namespace

std::int32_t ReadInteger(ProfileStore& profile, const std::string& section, const std::string& key,
                         std::int32_t fallback)
{
    auto value = profile.ReadString(section, key);
    if (!value)
        return fallback;
    std::string text = *value;
    // The calendar writes hexadecimal as "0x..."; the number syntax knows "$".
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    return NumberOr(text, fallback);
}

bool ReadBool(ProfileStore& profile, const std::string& section, const std::string& key, bool fallback)
{
    return ReadInteger(profile, section, key, fallback ? 1 : 0) != 0;
}

DialogSettings ReadDialogSettings(ProfileStore& profile, std::int32_t currentLeft, std::int32_t currentTop)
{
    DialogSettings settings;
    settings.showHint = ReadBool(profile, kOptionSection, kShowHintKey, true);
    settings.left = ReadInteger(profile, kVoiceSection, kLeftKey, currentLeft);
    settings.top = ReadInteger(profile, kVoiceSection, kTopKey, currentTop);
    return settings;
}

void WriteDialogSettings(ProfileStore& profile, const DialogSettings& settings)
{
    profile.WriteStrings({{kOptionSection, kShowHintKey, settings.showHint ? "1" : "0"},
                          {kVoiceSection, kLeftKey, DecimalText(settings.left)},
                          {kVoiceSection, kTopKey, DecimalText(settings.top)}});
}

bool ReadCalendarFeedSetting(ProfileStore& profile)
{
    return ReadBool(profile, kVoiceSection, kCalendarFeedKey, false);
}

void SwitchCalendarFeedSettingOn(ProfileStore& profile)
{
    if (!ReadCalendarFeedSetting(profile))
        profile.WriteString(kVoiceSection, kCalendarFeedKey, "1");
}

std::vector<std::string> ReadSettingsLines(FileSystem& files, const std::string& exeDir)
{
    const std::string path = exeDir + kSettingsFileName;
    if (!files.FileExists(path))
        return {};
    auto content = files.ReadFile(path);
    if (!content)
        throw Error(FormatMessage(messages::kCannotOpen, path));
    return SplitLines(*content);
}

}  // namespace voicememo
