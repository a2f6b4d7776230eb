#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <unistd.h>
#include <utility>

#include "AsUser.h"
#include "ByteText.h"
#include "CatalogueFile.h"
#include "Error.h"
#include "Messages.h"
#include "PosixFileSystem.h"
#include "StateFolder.h"
#include "TempFolder.h"
#include "VoiceStore.h"

using namespace voicememo;
using voicememo::testing::RunUnprivileged;
using voicememo::testing::TempFolder;
using voicememo::testing::UnprivilegedGid;
using voicememo::testing::UnprivilegedUid;
using namespace std::string_literals;

namespace {

class VoiceStoreTest : public ::testing::Test {
protected:
    std::string Data(const std::string& name) const { return folder.dir() + "data/" + name; }

    std::vector<std::string> Unused(const std::vector<std::string>& memoPaths,
                                    const std::vector<std::string>& settingsLines = {})
    {
        std::vector<std::string> names;
        store.FindUnusedVoiceFiles(memoPaths, settingsLines, [&](const std::string& name, const std::string& path) {
            EXPECT_EQ(path, Data(name));
            names.push_back(name);
        });
        return names;
    }

    std::string trash = voicememo::testing::UsePrivateDataFolder();
    TempFolder folder;
    PosixFileSystem files;
    VoiceStore store{files, folder.dir()};
};

using Names = std::vector<std::string>;

std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST_F(VoiceStoreTest, NextNameFillsGapsFirst)
{
    folder.MakeFolder("data");
    EXPECT_EQ(store.NextVoiceFileName({}), Data("Voice1.wav"));
    folder.Write("data/Voice1.wav", "");
    folder.Write("data/voice3.WAV", "");
    EXPECT_EQ(store.NextVoiceFileName({}), Data("Voice2.wav"));
    store.Reserve(store.NextVoiceFileName({}));
    EXPECT_TRUE(folder.Exists("data/Voice2.wav"));
    EXPECT_EQ(store.NextVoiceFileName({}), Data("Voice4.wav"));
    // A name a memo's take still holds is never given out, its file missing
    // or not, in this folder or another machine's: deleting that memo would
    // take the new take with it.
    EXPECT_EQ(store.NextVoiceFileName({Data("VOICE4.wav"), folder.dir() + "DATA/voice5.WAV", "/else/data/Voice6.wav"}),
              Data("Voice7.wav"));
}

TEST_F(VoiceStoreTest, FolderOfAVoiceNameIsNotTakenButCannotBeReserved)
{
    folder.MakeFolder("data/Voice1.wav");
    std::string next = store.NextVoiceFileName({});
    EXPECT_EQ(next, Data("Voice1.wav"));
    try {
        store.Reserve(next);
        FAIL() << "a folder must not be taken for a voice file";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), messages::kAccessDenied);
    }
}

TEST_F(VoiceStoreTest, ReservingWithoutDataFolderIsAnInvalidFileName)
{
    try {
        store.Reserve(store.NextVoiceFileName({}));
        FAIL() << "reserving without a data folder must fail";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), messages::kInvalidFileName);
    }
    EXPECT_FALSE(folder.Exists("data"));
}

TEST_F(VoiceStoreTest, ReserveKeepsAFileThereAndRemoveDeletesIt)
{
    folder.Write("data/Voice5.wav", "RIFF....");
    EXPECT_FALSE(store.Reserve(Data("voice5.wav")));
    EXPECT_EQ(folder.Read("data/Voice5.wav"), "RIFF....");
    EXPECT_FALSE(folder.Exists("data/voice5.wav"));
    store.Remove(Data("VOICE5.WAV"), {});
    EXPECT_FALSE(folder.Exists("data/Voice5.wav"));
    store.Remove(Data("Voice5.wav"), {});  // already gone: nothing happens
}

// A sync tool's download lands in data/ between the look for a free name
// and the reservation: it is never emptied, and the next name is taken.
TEST_F(VoiceStoreTest, WhatArrivesAtTheReservedNameIsKept)
{
    enum Arrival { Wav, WavOtherCase, DanglingLink, Folder };
    struct Row {
        Arrival arrival;
        std::string reserved;  // or the error's message
    };
    const std::vector<Row> rows = {
        {Wav, "Voice2.wav"},
        {WavOtherCase, "Voice2.wav"},
        {DanglingLink, "Voice2.wav"},
        {Folder, std::string(messages::kAccessDenied)},
    };
    for (const Row& row : rows) {
        TempFolder here;
        here.MakeFolder("data");
        struct ArrivingFiles : PosixFileSystem {
            std::function<void()> arrive;
            bool CreateNewFile(const std::string& path) override
            {
                if (auto now = std::exchange(arrive, nullptr))
                    now();
                return PosixFileSystem::CreateNewFile(path);
            }
        } files;
        const std::string wav = "RIFF\x24\0\0\0WAVEfmt "s;
        files.arrive = [&] {
            switch (row.arrival) {
            case Wav:
                return here.Write("data/Voice1.wav", wav);
            case WavOtherCase:
                return here.Write("data/VOICE1.WAV", wav);
            case DanglingLink:
                return std::filesystem::create_symlink("nowhere.wav", here.path("data/Voice1.wav"));
            case Folder:
                return here.MakeFolder("data/Voice1.wav");
            }
        };
        VoiceStore store(files, here.dir());
        std::string reserved;
        try {
            reserved = ExtractFileName(store.ReserveNext({}));
        } catch (const Error& error) {
            reserved = error.message();
        }
        EXPECT_EQ(reserved, row.reserved) << row.arrival;
        if (row.arrival == Wav || row.arrival == WavOtherCase) {
            EXPECT_EQ(here.Read(row.arrival == Wav ? "data/Voice1.wav" : "data/VOICE1.WAV"), wav);
            EXPECT_EQ(here.Entries("data"), Names({row.arrival == Wav ? "Voice1.wav" : "VOICE1.WAV", "Voice2.wav"}));
        }
        if (row.arrival == DanglingLink) {
            EXPECT_TRUE(std::filesystem::is_symlink(here.path("data/Voice1.wav")));
        }
        if (row.reserved == "Voice2.wav") {
            EXPECT_EQ(here.Read("data/Voice2.wav"), "");
        }
    }
}

TEST_F(VoiceStoreTest, AllNamesTakenIsRefusedWithoutTouchingAFile)
{
    for (int n = 1; n <= kHighestVoiceNumber; ++n)
        folder.Write("data/Voice" + std::to_string(n) + ".wav", "x");
    EXPECT_THROW(store.NextVoiceFileName({}), Error);
    EXPECT_EQ(folder.Read("data/Voice1.wav"), "x");
    EXPECT_EQ(folder.Read("data/Voice999.wav"), "x");
}

TEST_F(VoiceStoreTest, UnusedFilesAreThoseNoMemoAndNoSettingNames)
{
    for (const char* name : {"Voice1.wav", "voice5.WAV", "Voice7.wav", "Voice12.wav", "Memo1.wav", "Voice8.wave",
                             "Voice.wav", ".Voice9.wav", "Voicex.wav"})
        folder.Write(std::string("data/") + name, "");
    folder.MakeFolder("data/Voice20.wav");

    Names unused = Unused({Data("Voice5.wav"), Data("Voice12.wav")},
                          {"[Alarm]", "Alarm1=" + Data("Voice7.wav"), "Other=/else/data/Voice1.wav"});
    // Voice1.wav occurs inside no text: .../Voice12.wav does not hold it whole.
    // The folder Voice20.wav is no voice file.
    EXPECT_EQ(unused, (Names{"Voice.wav", "Voice1.wav", "Voicex.wav"}));
}

TEST_F(VoiceStoreTest, UnusedFilesComeInTheOrderAPersonCounts)
{
    for (const char* name : {"Voice100.wav", "Voice10.wav", "Voice2.wav", "voice03.wav", "Voice1.wav", "Voicex.wav",
                             "Voice9.wav", "Voice2b.wav"})
        folder.Write(std::string("data/") + name, "");
    EXPECT_EQ(Unused({}), (Names{"Voice1.wav", "Voice2.wav", "Voice2b.wav", "voice03.wav", "Voice9.wav", "Voice10.wav",
                                 "Voice100.wav", "Voicex.wav"}));
}

TEST_F(VoiceStoreTest, NothingUnusedWithoutFolderOrMatches)
{
    EXPECT_TRUE(Unused({}).empty());
    folder.Write("data/Voice1.wav", "");
    EXPECT_TRUE(Unused({LowerAscii(Data("VOICE1.WAV"))}).empty());
}

TEST_F(VoiceStoreTest, EventsArePumpedOncePerEntry)
{
    for (const char* name : {"Voice1.wav", "Voice2.wav", "Memo3.wav"})
        folder.Write(std::string("data/") + name, "");
    int pumped = 0;
    store.FindUnusedVoiceFiles(
        {}, {}, [](const std::string&, const std::string&) {}, [&pumped] { ++pumped; });
    EXPECT_EQ(pumped, 2);
}

namespace {

// The rule as plainly as it can be said: each candidate against each text.
Names UnusedByNestedLoop(FileSystem& files, const std::string& folder, const std::vector<std::string>& memoPaths,
                         const std::vector<std::string>& settingsLines)
{
    std::vector<std::string> texts;
    for (const auto* list : {&memoPaths, &settingsLines})
        for (const std::string& text : *list)
            texts.push_back(LowerAscii(text));
    Names unused;
    for (const std::string& name : files.ListFiles(folder, "Voice", ".wav")) {
        if (name.empty() || name[0] == '.' || !files.FileExists(folder + name))
            continue;
        const std::string candidate = LowerAscii(folder + name);
        if (std::none_of(texts.begin(), texts.end(),
                         [&](const std::string& text) { return text.find(candidate) != std::string::npos; }))
            unused.push_back(name);
    }
    return unused;
}

std::string RandomCase(std::string text, std::mt19937& random)
{
    // One draw for every byte, a letter or not: the temporary folder's name
    // in the text must not change what is drawn after it.
    for (char& c : text)
        if (random() % 2 && std::isalpha(static_cast<unsigned char>(c)))
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

TEST_F(VoiceStoreTest, ANameInsideASettingsLineCountsOnlyWhole)
{
    for (const char* name : {"Voice1.wav", "Voice2.wav", "Voice3.wav", "Voice4.wav", "Voice5.wav", "Voice6.wav"})
        folder.Write(std::string("data/") + name, "");
    const std::string data = Data("");
    // The folder occurs twice, the second time sharing its first "/" with
    // the end of the first: only there does Voice2.wav follow it.
    const std::string overlapping = data + data.substr(1) + "Voice2.wav";
    Names unused =
        Unused({}, {data + "Voice12.wav", data + "Voice3.wav.bak", overlapping,
                    "A=x" + LowerAscii(data) + "VOICE4.WAVY;" + data + "Voice5.wa", "B=" + data + data + "Voice6.wav"});
    EXPECT_EQ(unused, (Names{"Voice1.wav", "Voice5.wav"}));
}

TEST_F(VoiceStoreTest, UnusedFilesFollowTheSubstringRuleOnRandomTexts)
{
    std::mt19937 random(20240611);
    auto pick = [&random](const std::vector<std::string>& choices) { return choices[random() % choices.size()]; };
    const std::string data = Data("");
    // The folder whole, again right after itself sharing its "/", or cut.
    const std::vector<std::string> folders = {data, data,      data.substr(1), data.substr(0, data.size() - 1),
                                              "",   "/x/data/"};
    const std::vector<std::string> ends = {".wav", ".wav", ".wa", ".wav.bak", ".wavy", "", ".WAV;"};
    const std::vector<std::string> between = {"", "", "=", ";", "Alarm1=", "x", " "};
    for (int round = 0; round < 200; ++round) {
        std::filesystem::remove_all(folder.path("data"));
        folder.MakeFolder("data");
        for (int n = 0; n < 10; ++n) {
            const std::string name = RandomCase("Voice" + std::to_string(random() % 15) + ".wav", random);
            const bool asFolder = random() % 8 == 0;
            if (folder.Exists("data/" + name))
                continue;  // the name drawn twice: its first kind stays
            if (asFolder)
                folder.MakeFolder("data/" + name);
            else
                folder.Write("data/" + name, "");
        }
        folder.Write("data/.Voice1.wav", "");
        // One to four names, each perhaps behind the folder (several times,
        // overlapping), perhaps cut or running on.
        auto randomText = [&] {
            std::string text;
            for (int parts = 1 + static_cast<int>(random() % 4); parts > 0; --parts) {
                text += pick(between);
                for (int repeat = 1 + static_cast<int>(random() % 2); repeat > 0; --repeat)
                    text += pick(folders);
                // One draw after another: the operands of + have no order of their own.
                const std::string number = std::to_string(random() % 15);
                text += RandomCase("Voice" + number + pick(ends), random);
            }
            return RandomCase(text, random);
        };
        std::vector<std::string> memoPaths, settingsLines;
        for (int n = static_cast<int>(random() % 6); n > 0; --n)
            memoPaths.push_back(randomText());
        for (int n = static_cast<int>(random() % 6); n > 0; --n)
            settingsLines.push_back(randomText());

        // Which files, whatever the order (which a test of its own checks).
        // The lines of the settings name files by the substring rule (a
        // memo by its take, which the key table checks).
        settingsLines.insert(settingsLines.end(), memoPaths.begin(), memoPaths.end());
        Names found = Unused({}, settingsLines);
        Names expected = UnusedByNestedLoop(files, store.folder(), {}, settingsLines);
        std::sort(found.begin(), found.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(found, expected) << "round " << round;
    }
}

TEST_F(VoiceStoreTest, FilesTheCatalogueCannotNameExactlyAreNeverAdoptedAndLookAlikesMatch)
{
    // 髙 on the disk; the catalogue may hold it as 0xEEE0 or as 0xFBFC.
    const std::string taka = "\xe9\xab\x99";
    for (const std::string& name : {"Voice\t5.wav"s, "Voice 5.wav"s,
                                    "Voice\x01"
                                    "6.wav"s,
                                    "Voice" + taka + ".wav", "voice7.wav"s, "Voice7.wav"s})
        folder.Write("data/" + name, "RIFF");
    const std::string named = Data("Voice\xee\xe0.wav");
    const Names found = Unused({named});
    // The TAB would become a space in the catalogue and name another file.
    EXPECT_EQ(found, (Names{"Voice 5.wav", "Voice7.wav", "voice7.wav"}));
    // Adopting them leaves nothing more to adopt.
    EXPECT_TRUE(Unused({named, Data(found[0]), Data(found[1]), Data(found[2])}).empty());
}

// A catalogue line may name any file; a memo's delete discards only a file
// of our data folder. Run as a user who may delete every file of the test.
TEST_F(VoiceStoreTest, DeleteDiscardsOnlyTheDataFoldersOwnFiles)
{
    struct Case {
        const char* memoPath;  // "@" stands for the program's folder
        Discard outcome;
        const char* kept;  // the file that must still be there ("" for none)
    };
    const Case cases[] = {
        {"@data/Voice1.wav", Discard::Trashed, ""},
        {"@outside/thesis.odt", Discard::OutsideFolder, "outside/thesis.odt"},
        {"@data/../outside/thesis.odt", Discard::OutsideFolder, "outside/thesis.odt"},
        {"data/Voice1.wav", Discard::OutsideFolder, "data/Voice1.wav"},
        {"@sorvane.ini", Discard::OutsideFolder, "sorvane.ini"},
        {"@data/Voice2.wav", Discard::Deleted, "outside/song.wav"},  // a link: it goes, its target stays
        {"@data/Voice3.wav", Discard::Deleted, "data/Voice7.wav"},   // a link by way of outside back into data
        {"@data/Voice5.wav", Discard::NotRegularFile, "data/Voice5.wav"},
        {"@data/VOICE7.WAV", Discard::NamedElsewhere, "data/Voice7.wav"},
        {"@data/Voice8.wav", Discard::Missing, ""},
        {"@data/Voice9.wav", Discard::Failed, "data/Voice9.wav"},  // another user's file
    };
    for (const Case& c : cases) {
        // The trash is made anew by the user who deletes (earlier tests made it as root).
        std::filesystem::remove_all(std::filesystem::path(trash).parent_path());
        TempFolder top;
        top.Write("data/Voice1.wav", "one");
        top.Write("outside/thesis.odt", "thesis");
        top.Write("outside/song.wav", "song");
        top.Write("sorvane.ini", "[Voice]\r\n");
        top.Write("data/Voice7.wav", "seven");
        top.Write("data/Voice9.wav", "nine");
        top.MakeFolder("data/Voice5.wav");
        std::filesystem::create_symlink(top.path("outside/song.wav"), top.path("data/Voice2.wav"));
        std::filesystem::create_symlink(top.path("data/Voice7.wav"), top.path("outside/Voice3.wav"));
        std::filesystem::create_symlink(top.path("outside/Voice3.wav"), top.path("data/Voice3.wav"));
        top.GiveTo(UnprivilegedUid(), UnprivilegedGid());
        ::chown(top.path("data/Voice9.wav").c_str(), 0, 0);
        std::string path = c.memoPath;
        if (path[0] == '@')
            path = top.dir() + path.substr(1);
        auto report = RunUnprivileged([&] {
            PosixFileSystem files;
            VoiceStore store(files, top.dir());
            return DecimalText(static_cast<int>(store.Remove(path, {top.dir() + "data/voice7.wav"})));
        });
        if (!report)
            GTEST_SKIP() << "no unprivileged user";
        EXPECT_EQ(*report, DecimalText(static_cast<int>(c.outcome))) << c.memoPath;
        if (*c.kept) {
            EXPECT_TRUE(std::filesystem::exists(top.path(c.kept))) << c.memoPath;
        }
        EXPECT_EQ(top.Read("outside/thesis.odt"), "thesis") << c.memoPath;
        EXPECT_EQ(top.Read("outside/song.wav"), "song") << c.memoPath;
        if (c.outcome == Discard::Trashed) {
            EXPECT_FALSE(top.Exists("data/Voice1.wav"));
            EXPECT_EQ(ReadWhole(trash + "/Voice1.wav"), "one");
        }
    }
}

// A moved or copied folder: a memo whose file is missing and whose path
// ends in data/<name> takes <name> from our own data folder.
TEST_F(VoiceStoreTest, MovedFolderKeepsItsMemos)
{
    folder.Write("data/Voice1.wav", "x");
    folder.Write("data/Voice3.wav", "x");
    TempFolder old;
    old.Write("app/data/Voice3.wav", "still there");
    const std::vector<std::pair<std::string, std::string>> stored = {
        {Data("Voice9.wav"), Data("Voice9.wav")},                                // ours, though missing
        {"/gone/app/data/Voice1.wav", Data("Voice1.wav")},                       // moved: follows
        {"/gone/app/DATA/voice1.WAV", Data("voice1.WAV")},                       // the name as stored
        {"/gone/app/data/Voice2.wav", "/gone/app/data/Voice2.wav"},              // not here either
        {old.dir() + "app/data/Voice3.wav", old.dir() + "app/data/Voice3.wav"},  // still there
        {"/gone/app/Voice1.wav", "/gone/app/Voice1.wav"},                        // not in a data folder
        {"/gone/app/mydata/Voice1.wav", "/gone/app/mydata/Voice1.wav"},
    };
    std::vector<VoiceMemo> memos;
    for (const auto& [path, expected] : stored)
        memos.push_back({"t", path, "2001/04/05", "09:12:30", "TODO", ""});
    MemoTable table(memos);
    EXPECT_EQ(store.FollowMovedFolder(table), 2u);
    for (std::size_t row = 0; row < stored.size(); ++row)
        EXPECT_EQ(table.field(row, MemoTable::kFilePath), stored[row].second) << stored[row].first;
}
