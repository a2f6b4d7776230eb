// The feed a calendar program subscribes to, read back by Python's
// icalendar package rather than by our own code.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "TodayRun.h"

using namespace voicememo::testing;

namespace {

// The feed's items as the other parser read them.
QJsonObject ReadBack(const TempFolder& scratch, const std::string& feed)
{
    const std::string output = scratch.path("read-back.json").string();
    EXPECT_EQ(RunProgram({DEBIAN_PYTHON, READ_ICS_SCRIPT, feed}, output), 0) << ReadText(output);
    return QJsonDocument::fromJson(QByteArray::fromStdString(ReadText(output))).object();
}

std::vector<std::string> UidsOf(const QJsonObject& feed)
{
    std::vector<std::string> uids;
    for (const auto& item : feed["items"].toArray())
        uids.push_back(item.toObject()["uid"].toString().toStdString());
    return uids;
}

}  // namespace

TEST(CalendarFeedTest, ACalendarReadsEachMemoOnItsDayWithItsVoiceFile)
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
        MemoLine("買い物 2", voice1, "TODO", "");
    scratch.Write("ボイス メモ/Voice.dat", catalogue);
    const std::string feed = folder + "Voice.ics";

    ASSERT_EQ(RunToday(scratch, {"--folder", folder, "--ics", feed}).status, 0);
    const QJsonObject first = ReadBack(scratch, feed);
    ASSERT_EQ(RunToday(scratch, {"--folder", folder, "--ics", feed}).status, 0);
    const QJsonObject second = ReadBack(scratch, feed);

    EXPECT_EQ(first["version"].toString(), "2.0");
    struct Expected {
        const char* kind;
        std::string summary;
        std::string file;
        const char* start;
        const char* end;
    };
    const std::vector<Expected> expected{
        {"VTODO", "買い物, 牛乳; 卵", voice1, nullptr, nullptr},
        {"VEVENT", "会議 ①", voice2, "2024-02-29", "2024-03-01"},
        {"VEVENT", "年末", folder + "Voice4.wav", "2025-12-31", "2026-01-01"},
        {"VTODO", "買い物 2", voice1, nullptr, nullptr},
    };
    const QJsonArray items = first["items"].toArray();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(expected.size())) << QJsonDocument(first).toJson().toStdString();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const QJsonObject item = items[static_cast<qsizetype>(i)].toObject();
        SCOPED_TRACE(expected[i].summary);
        EXPECT_EQ(item["kind"].toString(), expected[i].kind);
        EXPECT_EQ(item["summary"].toString().toStdString(), expected[i].summary);
        EXPECT_EQ(item["scheme"].toString(), "file");
        EXPECT_EQ(item["file"].toString().toStdString(), expected[i].file);
        EXPECT_EQ(item["fmttype"].toString(), "audio/wav");
        EXPECT_EQ(item["description"].toString().toStdString(), "録音日時: 2025/01/02 09:08:07");
        EXPECT_TRUE(item["stamped"].toBool());
        EXPECT_EQ(item["start"].toString(), expected[i].start ? expected[i].start : "");
        EXPECT_EQ(item["end"].toString(), expected[i].end ? expected[i].end : "");
    }
    // The same UIDs at every run, one for each memo, a file's second memo too.
    const std::vector<std::string> uids = UidsOf(first);
    EXPECT_EQ(UidsOf(second), uids);
    EXPECT_EQ(std::set<std::string>(uids.begin(), uids.end()).size(), uids.size());
    // Replaced whole, nothing left beside it, and the catalogue untouched.
    EXPECT_EQ(scratch.Read("ボイス メモ/Voice.dat"), catalogue);
    EXPECT_EQ(scratch.Entries("ボイス メモ"), (std::vector<std::string>{"Voice.dat", "Voice.ics", "データ 1"}));
}
