#pragma once
// The catalogue as an iCalendar (RFC 5545) feed that calendar programs
// subscribe to: each "DAILY" memo with a real date an all-day event on that
// date, each "TODO" memo an all-day event that repeats daily from the day
// it was recorded. Memos of another kind, and dated ones whose date is no
// real day, are left out, as no day shows them.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "CatalogueFile.h"
#include "FileSystem.h"
#include "MemoTable.h"
#include "VoiceMemo.h"

namespace voicememo {

// The feed's file beside the catalogue, when the dialog writes it.
inline constexpr const char* kCalendarFeedFileName = "Voice.ics";

// The key of a memo's take (TakeKeys.h), from its path.
using TakeKeyOf = std::function<std::string(std::string_view path)>;

// The feed's text. catalogueDir (code page 932, trailing "/") is where a
// relative voice file path starts. Each item's UID is made from its take's
// key (without one, from its voice file's path on disk), so it stays the
// same from one run to the next and whichever machine sharing the folder
// wrote the feed; a second memo of the same take takes "-2" after it, and
// so on. Throws Error when libical cannot be loaded.
std::string FormatCalendarFeed(const std::vector<VoiceMemo>& memos, const std::string& catalogueDir,
                               const TakeKeyOf& takeKeyOf = {});

// Replaces the file at feedPath (code page 932) with the feed, atomically,
// as the catalogue is saved: only a file that is not there yet or holds a
// feed we wrote (our PRODID before its first event). Throws Error
// "%s はボイスメモが書き出した iCalendar ファイルではないため、上書きしません"
// for any other file (another calendar's too),
// "ﾌｧｲﾙ %s は開けません" for one that cannot be read to tell, or
// "ﾌｧｲﾙ %s を作成できません" or "ｽﾄﾘｰﾑへの書き込みｴﾗｰ"; the old file then
// stays as it was.
void WriteCalendarFeed(FileSystem& files, const std::string& feedPath, const std::vector<VoiceMemo>& memos,
                       const std::string& catalogueDir);

// Writes Voice.ics beside the catalogue in catalogueDir (code page 932,
// trailing "/") and switches the feed on in sorvane.ini beside it, so that
// each save of the window writes it again. The feed comes first: where it
// cannot be written (a Voice.ics that is no feed), the settings stay as they
// were. Throws Error as WriteCalendarFeed does, or "%s に書き込めません"
// for the settings.
void SwitchCalendarFeedOn(FileSystem& files, const std::string& catalogueDir, const std::vector<VoiceMemo>& memos);

// After a save of the catalogue in exeDir: writes Voice.ics beside it when
// the user has switched the feed on ([Voice] CalendarFeed in sorvane.ini).
// Nothing is written while the catalogue's load has failed (the memos are
// not all known), nor while it is only read (a link leading out). A feed
// that cannot be written is left as it was and not reported: the catalogue
// is saved, and voicememo-today --ics makes the feed again. True when a
// feed was written.
bool WriteCalendarFeedAfterSave(FileSystem& files, const std::string& exeDir, const CatalogueFile& catalogue,
                                const MemoTable& memos);

}  // namespace voicememo
