#pragma once
// The dialog's keys in the calendar's settings file "sorvane.ini".
#include <cstdint>
#include <string>

#include <vector>

#include "FileSystem.h"
#include "ProfileStore.h"

namespace voicememo {

inline constexpr const char* kSettingsFileName = "sorvane.ini";

// A missing key or a value that is not a number gives the default;
// "0x10" reads as 16.
std::int32_t ReadInteger(ProfileStore& profile, const std::string& section, const std::string& key,
                         std::int32_t fallback);
bool ReadBool(ProfileStore& profile, const std::string& section, const std::string& key, bool fallback);

struct DialogSettings {
    bool showHint = true;
    std::int32_t left = 0;
    std::int32_t top = 0;
};

// Reads ShowHint, Left and Top; the position defaults to the current one.
DialogSettings ReadDialogSettings(ProfileStore& profile, std::int32_t currentLeft, std::int32_t currentTop);
// Writes those of ShowHint, Left and Top that the file lacks or reads as
// other values ("yes" stays as the ShowHint it reads as), with one replace of
// the file; false when it holds them all and nothing was written. Two
// machines closing the window where it was then make no new version of the
// shared file for a sync tool to set beside the other.
bool WriteDialogSettings(ProfileStore& profile, const DialogSettings& settings);

// [Voice] CalendarFeed: whether each save of the catalogue also writes the
// calendar feed Voice.ics beside it. Off when missing.
bool ReadCalendarFeedSetting(ProfileStore& profile);
// Switches it on ("1"); a value that reads as on already stays as it is.
void SwitchCalendarFeedSettingOn(ProfileStore& profile);

// Every line of the settings file as plain text (the calendar's voice alarms
// name their files there); none when the file does not exist. A file that
// exists but cannot be read throws "ﾌｧｲﾙ %s は開けません".
std::vector<std::string> ReadSettingsLines(FileSystem& files, const std::string& exeDir);

}  // namespace voicememo
