// The feed a calendar program subscribes to, read back by Python's
// icalendar package rather than by our own code.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <ctime>
#include <set>

#include "TodayRun.h"

using namespace voicememo::testing;
using voicememo::Utf8ToCp932;

namespace {

// The feed's items as the other parser read them, a repeating item's days
// expanded within the first week of 2025.
QJsonObject ReadBack(const TempFolder& scratch, const std::string& feed)
{
    const std::string output = scratch.path("read-back.json").string();
    EXPECT_EQ(RunProgram({DEBIAN_PYTHON, READ_ICS_SCRIPT, feed, "2024-12-31", "2025-01-04"}, output), 0)
        << ReadText(output);
    return QJsonDocument::fromJson(QByteArray::fromStdString(ReadText(output))).object();
}

std::vector<std::string> UidsOf(const QJsonObject& feed)
{
    std::vector<std::string> uids;
    for (const auto& item : feed["items"].toArray())
        uids.push_back(item.toObject()["uid"].toString().toStdString());
    return uids;
}

std::string Joined(const QJsonArray& days)
{
    std::string joined;
    for (const auto& day : days)
        joined += (joined.empty() ? "" : " ") + day.toString().toStdString();
    return joined;
}

// A "TODO" memo's line recorded on the date given, as the regional settings
// of the time wrote it.
std::string TodoRecordedOn(const std::string& title, const std::string& path, const std::string& recordedDate)
{
    return Utf8ToCp932(title + "\t" + path + "\t" + recordedDate + "\t09:08:07\tTODO\t\r\n");
}

std::string IsoToday()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

}  // namespace

TEST(CalendarFeedTest, ACalendarReadsEachMemoOnItsDaysWithItsVoiceFile)
{
    TempFolder scratch;
    scratch.MakeFolder("ボイス メモ/データ 1");
    const std::string folder = scratch.path("ボイス メモ").string() + "/";
    const std::string voice1 = folder + "データ 1/Voice1.wav";
    const std::string voice2 = folder + "データ 1/Voice2.wav";
    const std::string catalogue =
        MemoLine("買い物, 牛乳; 卵", voice1, "TODO", "") + MemoLine("会議 ①", voice2, "DAILY", "2024/2/29") +
        MemoLine("幻", folder + "Voice3.wav", "DAILY", "2025/2/29") +
        MemoLine("年末", "Voice4.wav", "DAILY", "$7E9/12/ 31") + MemoLine("他", folder + "Voice5.wav", "MEMO", "") +
        MemoLine("買い物 2", voice1, "TODO", "") + TodoRecordedOn("ハイフン", "Voice6.wav", "2025-01-03") +
        TodoRecordedOn("点", "Voice7.wav", "2025.1.4") + TodoRecordedOn("日付なし", "Voice8.wav", "") +
        TodoRecordedOn("2月30日", "Voice9.wav", "2025/02/30");
    scratch.Write("ボイス メモ/Voice.dat", catalogue);
    const std::string feed = folder + "Voice.ics";

    std::string today;
    QJsonObject first;
    // The day may turn while the feed is written: then it is written again.
    for (int attempt = 0; attempt < 3 && today != IsoToday(); ++attempt) {
        today = IsoToday();
        ASSERT_EQ(RunToday(scratch, {"--folder", folder, "--ics", feed}).status, 0);
        first = ReadBack(scratch, feed);
    }
    ASSERT_EQ(RunToday(scratch, {"--folder", folder, "--ics", feed}).status, 0);
    const QJsonObject second = ReadBack(scratch, feed);

    EXPECT_EQ(first["version"].toString(), "2.0");
    struct Expected {
        std::string summary;
        std::string file;
        std::string start;
        std::string end;
        std::string days;  // the days of the first week of 2025 that repeat it
        bool repeats;
    };
    const auto nextDay = [](const std::string& iso) {
        std::tm day{};
        ::strptime(iso.c_str(), "%Y-%m-%d", &day);
        day.tm_mday += 1;
        day.tm_isdst = -1;
        std::mktime(&day);
        char text[16];
        std::strftime(text, sizeof text, "%Y-%m-%d", &day);
        return std::string(text);
    };
    const std::vector<Expected> expected{
        // Every day from the day it was recorded, not before it.
        {"買い物, 牛乳; 卵", voice1, "2025-01-02", "2025-01-03", "2025-01-02 2025-01-03 2025-01-04", true},
        {"会議 ①", voice2, "2024-02-29", "2024-03-01", "", false},
        {"年末", folder + "Voice4.wav", "2025-12-31", "2026-01-01", "", false},
        {"買い物 2", voice1, "2025-01-02", "2025-01-03", "2025-01-02 2025-01-03 2025-01-04", true},
        {"ハイフン", folder + "Voice6.wav", "2025-01-03", "2025-01-04", "2025-01-03 2025-01-04", true},
        {"点", folder + "Voice7.wav", "2025-01-04", "2025-01-05", "2025-01-04", true},
        // A recorded date that is no day: from the day the feed was written.
        {"日付なし", folder + "Voice8.wav", today, nextDay(today), "", true},
        {"2月30日", folder + "Voice9.wav", today, nextDay(today), "", true},
    };
    const QJsonArray items = first["items"].toArray();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(expected.size())) << QJsonDocument(first).toJson().toStdString();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QJsonObject item = items[static_cast<qsizetype>(i)].toObject();
        SCOPED_TRACE(expected[i].summary);
        EXPECT_EQ(item["kind"].toString(), "VEVENT");
        EXPECT_EQ(item["summary"].toString().toStdString(), expected[i].summary);
        EXPECT_EQ(item["scheme"].toString(), "file");
        EXPECT_EQ(item["file"].toString().toStdString(), expected[i].file);
        EXPECT_EQ(item["fmttype"].toString(), "audio/wav");
        EXPECT_TRUE(item["description"].toString().startsWith("録音日時: "))
            << item["description"].toString().toStdString();
        EXPECT_TRUE(item["stamped"].toBool());
        EXPECT_EQ(item["start"].toString().toStdString(), expected[i].start);
        EXPECT_EQ(item["end"].toString().toStdString(), expected[i].end);
        EXPECT_EQ(item.contains("days"), expected[i].repeats);
        EXPECT_EQ(Joined(item["days"].toArray()), expected[i].days);
    }
    EXPECT_EQ(items[0].toObject()["description"].toString().toStdString(), "録音日時: 2025/01/02 09:08:07");
    // The same UIDs at every run, one for each memo, a file's second memo too.
    const std::vector<std::string> uids = UidsOf(first);
    EXPECT_EQ(UidsOf(second), uids);
    EXPECT_EQ(std::set<std::string>(uids.begin(), uids.end()).size(), uids.size());
    // Replaced whole, nothing left beside it, and the catalogue untouched.
    EXPECT_EQ(scratch.Read("ボイス メモ/Voice.dat"), catalogue);
    EXPECT_EQ(scratch.Entries("ボイス メモ"), (std::vector<std::string>{"Voice.dat", "Voice.ics", "データ 1"}));
}
