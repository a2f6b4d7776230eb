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

bool WriteDialogSettings(ProfileStore& profile, const DialogSettings& settings)
{
    // Held: there, and read as the value (a number's other spellings too).
    // A value that is no number reads as each fallback, so never as both.
    const auto holds = [&profile](const std::string& section, const std::string& key, std::int32_t value) {
        return profile.ReadString(section, key) && ReadInteger(profile, section, key, 0) == value &&
               ReadInteger(profile, section, key, 1) == value;
    };
    std::vector<ProfileStore::Entry> changed;
    if (!profile.ReadString(kOptionSection, kShowHintKey) ||
        ReadBool(profile, kOptionSection, kShowHintKey, true) != settings.showHint)
        changed.push_back({kOptionSection, kShowHintKey, settings.showHint ? "1" : "0"});
    for (const auto& [key, value] : {std::pair{kLeftKey, settings.left}, std::pair{kTopKey, settings.top}})
        if (!holds(kVoiceSection, key, value))
            changed.push_back({kVoiceSection, key, DecimalText(value)});
    if (changed.empty())
        return false;
    profile.WriteStrings(changed);
    return true;
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
