#pragma once
// The catalogue as an iCalendar (RFC 5545) feed that calendar programs
// subscribe to: each "DAILY" memo with a real date an all-day event on that
// date, each "TODO" memo a to-do. Memos of another kind, and dated ones
// whose date is no real day, are left out, as no day shows them.
#include <string>
#include <vector>

#include "FileSystem.h"
#include "VoiceMemo.h"

namespace voicememo {

// The feed's file beside the catalogue, when the dialog writes it.
inline constexpr const char* kCalendarFeedFileName = "Voice.ics";

// The feed's text. catalogueDir (code page 932, trailing "/") is where a
// relative voice file path starts. Each item's UID is made from its voice
// file's path on disk, so it stays the same from one run to the next; a
// second memo of the same file takes "-2" after it, and so on.
std::string FormatCalendarFeed(const std::vector<VoiceMemo>& memos, const std::string& catalogueDir);

// Replaces the file at feedPath (code page 932) with the feed, atomically,
// as the catalogue is saved. Throws Error "ﾌｧｲﾙ %s を作成できません" or
// "ｽﾄﾘｰﾑへの書き込みｴﾗｰ", and then the old file stays as it was.
void WriteCalendarFeed(FileSystem& files, const std::string& feedPath, const std::vector<VoiceMemo>& memos,
                       const std::string& catalogueDir);

}  // namespace voicememo
