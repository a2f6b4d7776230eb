#include "CalendarFeed.h"

#include <map>
#include <memory>
#include <optional>
#include <utility>

#include <QCryptographicHash>
#include <QString>
#include <QUrl>

#include "ByteText.h"
#include "CatalogueFile.h"
#include "Codepage.h"
#include "DaySelection.h"
#include "Error.h"
#include "IcalCalls.h"
#include "LocalTime.h"
#include "Messages.h"
#include "ProfileFile.h"
#include "Settings.h"
#include "SyncCopies.h"
#include "TakeKeys.h"
#include "VoiceFiles.h"
#include "VoiceStore.h"

namespace voicememo {

namespace {

// How every feed's text begins, and the product that tells our feeds from
// other calendars.
constexpr std::string_view kFeedStart = "BEGIN:VCALENDAR";
constexpr const char* kFeedProduct = "-//voicememo//voicememo-today//JA";
// Enough of a file to hold a feed's own properties, before its first event.
constexpr std::size_t kFeedHeadBytes = 4096;

struct ComponentFree {
    void operator()(icalcomponent* component) const { Ical()->icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

struct BufferFree {
    void operator()(char* buffer) const { Ical()->icalmemory_free_buffer(buffer); }
};

icaltimetype DateOf(const CalendarDay& day)
{
    const IcalCalls& ical = *Ical();
    icaltimetype date = ical.icaltime_null_date();
    date.year = day.year;
    date.month = day.month;
    date.day = day.day;
    return date;
}

icalproperty* VoiceFileAttachment(const std::string& diskPath)
{
    const IcalCalls& ical = *Ical();
    const QByteArray uri = QUrl::fromLocalFile(QString::fromStdString(diskPath)).toEncoded();
    icalattach* attach = ical.icalattach_new_from_url(uri.constData());
    icalproperty* property = ical.icalproperty_new_attach(attach);
    ical.icalattach_unref(attach);  // the property holds its own reference
    ical.icalproperty_add_parameter(property, ical.icalparameter_new_fmttype("audio/wav"));
    return property;
}

// Stable for the take: its key (TakeKeys.h), the same on every machine that
// shares the folder, hashed so that no path shows in the UID, numbered from
// the second memo of the same take on.
std::string UidOf(const std::string& takeKey, std::map<std::string, int>& seen)
{
    const int count = ++seen[takeKey];
    std::string uid =
        QCryptographicHash::hash(QByteArray::fromStdString(takeKey), QCryptographicHash::Sha1).toHex().toStdString();
    if (count > 1)
        uid += "-" + std::to_string(count);
    return uid + "@voicememo";
}

struct FeedPlace {
    CalendarDay first;
    bool everyDay = false;
};

// Where a memo stands in the feed: a "DAILY" memo on its day alone, a
// "TODO" memo every day from the day it was recorded (calendars place a
// to-do without a date on no day, so it is an event that repeats). A TODO
// memo whose recorded date cannot be read starts on the day the feed is
// written. Nothing for a memo no day shows.
std::optional<FeedPlace> PlaceInFeed(const VoiceMemo& memo, const CalendarDay& writtenOn)
{
    if (memo.Kind == kKindTodo)
        return FeedPlace{RecordedDay(memo).value_or(writtenOn), true};
    if (const auto day = ShownDay(memo))
        return FeedPlace{*day, false};
    return std::nullopt;
}

// A feed's lines but those that say when it was made.
std::string WithoutStamps(std::string_view feed)
{
    std::string kept;
    kept.reserve(feed.size());
    ForEachLine(feed, [&kept](std::string_view line) {
        if (!line.starts_with("DTSTAMP:")) {
            kept += line;
            kept += '\n';
        }
    });
    return kept;
}

// A feed we wrote: our product named among the calendar's own properties,
// before any event (an event's text could name anything).
bool IsOurFeed(std::string_view head)
{
    bool first = true;
    bool ours = false;
    bool inHead = true;
    ForEachLine(head, [&](std::string_view line) {
        if (std::exchange(first, false))
            inHead = line == kFeedStart;
        else if (!inHead)
            return;
        else if (line.starts_with("BEGIN:"))
            inHead = false;
        else if (line == std::string("PRODID:") + kFeedProduct)
            ours = true;
    });
    return ours;
}

}  // namespace

std::string FormatCalendarFeed(const std::vector<VoiceMemo>& memos, const std::string& catalogueDir,
                               const TakeKeyOf& takeKeyOf)
{
    if (!Ical())
        throw Error(std::string(messages::kCalendarLibraryMissing));
    const IcalCalls& ical = *Ical();
    Component calendar(ical.icalcomponent_new_vcalendar());
    ical.icalcomponent_add_property(calendar.get(), ical.icalproperty_new_version("2.0"));
    ical.icalcomponent_add_property(calendar.get(), ical.icalproperty_new_prodid(kFeedProduct));
    icalproperty* name = ical.icalproperty_new_x("ボイスメモ");
    ical.icalproperty_set_x_name(name, "X-WR-CALNAME");
    ical.icalcomponent_add_property(calendar.get(), name);

    const icaltimetype stamp = ical.icaltime_current_time_with_zone(ical.icaltimezone_get_utc_timezone());
    const LocalDateTime now = SystemClock().Now();
    const CalendarDay writtenOn{now.year, now.month, now.day};
    std::map<std::string, int> seen;
    for (const VoiceMemo& memo : memos) {
        const auto shown = PlaceInFeed(memo, writtenOn);
        if (!shown)
            continue;
        icalcomponent* item = ical.icalcomponent_new_vevent();
        const icaltimetype start = DateOf(shown->first);
        icaltimetype end = start;
        ical.icaltime_adjust(&end, 1, 0, 0, 0);
        ical.icalcomponent_add_property(item, ical.icalproperty_new_dtstart(start));
        ical.icalcomponent_add_property(item, ical.icalproperty_new_dtend(end));
        if (shown->everyDay) {
            icalrecurrencetype daily;
            ical.icalrecurrencetype_clear(&daily);
            daily.freq = ICAL_DAILY_RECURRENCE;
            ical.icalcomponent_add_property(item, ical.icalproperty_new_rrule(daily));
        }
        const std::string diskPath = VoiceDiskPath(memo, catalogueDir);
        const std::string uid = UidOf(takeKeyOf ? takeKeyOf(memo.FilePath) : diskPath, seen);
        ical.icalcomponent_add_property(item, ical.icalproperty_new_uid(uid.c_str()));
        ical.icalcomponent_add_property(item, ical.icalproperty_new_dtstamp(stamp));
        ical.icalcomponent_add_property(item, ical.icalproperty_new_summary(Cp932ToUtf8(memo.Title).c_str()));
        const std::string recorded =
            "録音日時: " + Cp932ToUtf8(memo.RecordedDate) + " " + Cp932ToUtf8(memo.RecordedTime);
        ical.icalcomponent_add_property(item, ical.icalproperty_new_description(recorded.c_str()));
        ical.icalcomponent_add_property(item, VoiceFileAttachment(diskPath));
        ical.icalcomponent_add_component(calendar.get(), item);
    }
    std::unique_ptr<char, BufferFree> text(ical.icalcomponent_as_ical_string_r(calendar.get()));
    return text ? std::string(text.get()) : std::string();
}

void WriteCalendarFeed(FileSystem& files, const std::string& feedPath, const std::vector<VoiceMemo>& memos,
                       const std::string& catalogueDir)
{
    // A feed replaces nothing but a feed of ours: a path completed to the
    // catalogue, the settings or a voice file must not lose that file, nor
    // a Voice.ics planted as a link to the user's own calendar.
    const bool exists = files.FileExists(feedPath);
    if (exists) {
        const auto head = files.ReadFileStart(feedPath, kFeedHeadBytes);
        if (!head)
            throw Error(FormatMessage(messages::kCannotOpen, feedPath));
        if (!IsOurFeed(*head))
            throw Error(FormatMessage(messages::kNotACalendarFeed, feedPath));
    }
    TakeKeys keys(files, VoiceStore(files, catalogueDir).folder());
    const std::string feed =
        FormatCalendarFeed(memos, catalogueDir, [&keys](std::string_view path) { return keys.KeyOf(path); });
    // The window saves at every pause: a feed with the events the file holds
    // already is left as it is, or a sync tool and the desktop's calendar
    // would take a new version each time.
    if (exists) {
        const auto held = files.ReadFile(feedPath);
        if (held && WithoutStamps(*held) == WithoutStamps(feed))
            return;
    }
    ReplaceOrThrow(files, feedPath, feed);
}

void SwitchCalendarFeedOn(FileSystem& files, const std::string& catalogueDir, const std::vector<VoiceMemo>& memos)
{
    WriteCalendarFeed(files, catalogueDir + kCalendarFeedFileName, memos, catalogueDir);
    ProfileFile profile(files, catalogueDir + kSettingsFileName);
    SwitchCalendarFeedSettingOn(profile);
}

bool WriteCalendarFeedAfterSave(FileSystem& files, const std::string& exeDir, const CatalogueFile& catalogue,
                                const MemoTable& memos)
{
    if (catalogue.loadFailed() || catalogue.linkLeadingOut())
        return false;
    ProfileFile profile(files, exeDir + kSettingsFileName);
    if (!ReadCalendarFeedSetting(profile))
        return false;
    try {
        WriteCalendarFeed(files, exeDir + kCalendarFeedFileName, memos.memos(), exeDir);
        // A sync tool's conflict copy of the feed holds nothing the catalogue
        // does not: the feed was just made again from it.
        for (const std::string& name : files.ListFiles(exeDir, "Voice", ".ics"))
            if (IsConflictCopyOf(name, kCalendarFeedFileName))
                files.DiscardFileIn(exeDir + name, exeDir);
        return true;
    } catch (const Error&) {
        return false;
    }
}

}  // namespace voicememo
