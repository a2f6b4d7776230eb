// Saving when the disk is full or the files or folders may not be written,
// starting with a catalogue that cannot be read, and a data folder that is
// missing or full: each keeps every file as it was and tells the user why.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "AsUser.h"
#include "CatalogueFile.h"
#include "Codepage.h"
#include "Error.h"
#include "Messages.h"
#include "PosixFileSystem.h"
#include "ProfileFile.h"
#include "Settings.h"
#include "SmallDisk.h"
#include "StateFolder.h"
#include "TempFolder.h"
#include "VoiceStore.h"

using namespace voicememo;
using namespace voicememo::testing;
namespace fs = std::filesystem;

namespace {

const std::string kOldCatalogue = "old\t/memo/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
const std::string kOldSettings = "[Option]\r\nShowHint=0\r\n[Voice]\r\nLeft=12\r\nTop=34\r\n";
const char* kNoUser = "cannot act as an unprivileged user here";

// The memos of the old file and a long new one: more than the room left.
std::vector<VoiceMemo> GrownMemos()
{
    return {VoiceMemo{"old", "/memo/data/Voice1.wav", "2001/04/05", "09:12:30", "TODO", ""},
            VoiceMemo{std::string(20000, 'n'), "/memo/data/Voice2.wav", "2001/04/06", "10:00:00", "DAILY", "2001/4/7"}};
}

// What a call threw, as the user would read it, or "ok".
template <typename Call>
std::string Outcome(Call call)
{
    try {
        call();
    } catch (const Error& error) {
        return error.message();
    }
    return "ok";
}

std::string Joined(const std::vector<std::string>& names)
{
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : ",") + name;
    return text;
}

// Saves the grown catalogue and a long setting in the folder, which has no
// room for them, then makes room (by calling makeRoom) and saves again. The
// report names each outcome and what the disk held after it.
std::string SaveWithoutRoomThenWithRoom(const TempFolder& folder, const std::string& sub,
                                        const std::function<void()>& makeRoom)
{
    const std::string dir = folder.dir() + sub;
    PosixFileSystem files;
    CatalogueFile catalogue(files, dir);
    ProfileFile settings(files, dir + kSettingsFileName);
    std::string report;
    report += Outcome([&] { catalogue.SaveTable(MemoTable(GrownMemos())); }) + "|";
    report += Outcome([&] { settings.WriteString("Voice", "Note", std::string(20000, 's')); }) + "|";
    report += (folder.Read(sub + kCatalogueFileName) == kOldCatalogue ? "catalogue kept" : "catalogue changed");
    report += (folder.Read(sub + kSettingsFileName) == kOldSettings ? ", settings kept|" : ", settings changed|");
    report += Joined(folder.Entries(sub)) + "|";

    // Nothing was lost: the same memos save once there is room.
    makeRoom();
    report += Outcome([&] { catalogue.SaveTable(MemoTable(GrownMemos())); }) + "|";
    report += Outcome([&] { settings.WriteString("Voice", "Note", std::string(20000, 's')); }) + "|";
    report += CatalogueFile(files, dir).LoadTable().memos() == GrownMemos() ? "saved" : "not saved";
    report += settings.ReadString("Voice", "Note") == std::string(1023, 's') ? ", noted" : ", not noted";
    return report;
}

std::string CannotWrite(const std::string& path) { return FormatMessage(messages::kCannotWrite, path); }

// The catalogue's failed save: the inherited line, then the file and why.
std::string StreamWriteError(const std::string& path, const std::string& why)
{
    return std::string(messages::kStreamWriteError) + "\n" +
           FormatMessage(messages::kCannotWriteBecause, path, Utf8ToCp932(why));
}

// Fills the disk of a folder to the last byte.
void Fill(const fs::path& file)
{
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const std::string block(4096, 'f');
    while (fd >= 0 && ::write(fd, block.data(), block.size()) > 0) {}
    while (fd >= 0 && ::write(fd, block.data(), 1) > 0) {}
    ::close(fd);
}

}  // namespace

TEST(FullDiskTest, SaveOnAFullDiskKeepsTheOldFilesAndSavesOnceThereIsRoom)
{
    TempFolder folder;
    folder.MakeFolder("app");
    auto report = RunOnSmallDisk(folder.path("app"), 64, [&] {
        folder.Write("app/Voice.dat", kOldCatalogue);
        folder.Write("app/sorvane.ini", kOldSettings);
        Fill(folder.path("app/filler"));
        return SaveWithoutRoomThenWithRoom(folder, "app/", [&] { fs::remove(folder.path("app/filler")); });
    });
    if (!report)
        GTEST_SKIP() << "no small disk can be mounted here; FileSizeLimitTest stands in";
    EXPECT_EQ(*report, StreamWriteError(folder.dir() + "app/Voice.dat", "ディスクがいっぱいです") + "|" +
                           CannotWrite(folder.dir() + "app/sorvane.ini") +
                           "|catalogue kept, settings kept|Voice.dat,filler,sorvane.ini|ok|ok|saved, noted");
}

TEST(FileSizeLimitTest, WriteThatCannotGrowTheFileKeepsTheOldFiles)
{
    TempFolder folder;
    folder.Write("Voice.dat", kOldCatalogue);
    folder.Write("sorvane.ini", kOldSettings);
    auto report = RunWithFileSizeLimit(4096, [&] {
        // The limit stays with the process: room comes from a save that
        // needs no more than it allows.
        return SaveWithoutRoomThenWithRoom(folder, "", [] {});
    });
    ASSERT_TRUE(report);
    const std::string tooLarge = StreamWriteError(folder.dir() + "Voice.dat", "ファイルが大きすぎます");
    EXPECT_EQ(*report, tooLarge + "|" + CannotWrite(folder.dir() + "sorvane.ini") +
                           "|catalogue kept, settings kept|Voice.dat,sorvane.ini|" + tooLarge + "|" +
                           CannotWrite(folder.dir() + "sorvane.ini") + "|not saved, not noted");
}

TEST(FileSizeLimitTest, RewriteInPlaceThatCannotGrowTheFileKeepsTheOldFiles)
{
    UsePrivateStateFolder();
    // In a folder the user may not write, a writable file is rewritten in
    // place; a disk too full for the longer content must not leave it torn.
    TempFolder folder;
    folder.Write("Voice.dat", kOldCatalogue);
    folder.Write("sorvane.ini", kOldSettings);
    folder.GiveTo(UnprivilegedUid(), UnprivilegedGid());
    folder.SetMode("", 0555);
    auto report = RunUnprivileged([&] {
        const rlimit limit{4096, 4096};
        std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &limit);
        return SaveWithoutRoomThenWithRoom(folder, "", [] {});
    });
    if (!report)
        GTEST_SKIP() << kNoUser;
    // The journal, which holds the old and the new content, is the first
    // file the limit refuses: the catalogue is not rewritten at all.
    const std::string cannotWrite = CannotWrite(folder.dir() + "sorvane.ini");
    const std::string cannotCreate = FormatMessage(messages::kCannotCreate, folder.dir() + "Voice.dat");
    EXPECT_EQ(*report, cannotCreate + "|" + cannotWrite + "|catalogue kept, settings kept|Voice.dat,sorvane.ini|" +
                           cannotCreate + "|" + cannotWrite + "|not saved, not noted");
}

TEST(ReadOnlyTest, FolderTheUserMayNotWriteGetsNoNewFiles)
{
    UsePrivateStateFolder();
    TempFolder folder;
    folder.GiveTo(UnprivilegedUid(), UnprivilegedGid());
    folder.SetMode("", 0555);
    auto report = RunUnprivileged([&] {
        PosixFileSystem files;
        CatalogueFile catalogue(files, folder.dir());
        ProfileFile settings(files, folder.dir() + kSettingsFileName);
        return Outcome([&] { catalogue.SaveTable(MemoTable(GrownMemos())); }) + "|" +
               Outcome([&] { settings.WriteString("Voice", "Left", "1"); });
    });
    if (!report)
        GTEST_SKIP() << kNoUser;
    EXPECT_EQ(*report, FormatMessage(messages::kCannotCreate, folder.dir() + "Voice.dat") + "|" +
                           CannotWrite(folder.dir() + "sorvane.ini"));
    EXPECT_TRUE(folder.Entries("").empty());
}

TEST(ReadOnlyTest, FilesTheUserMayReadButNotWriteAreKeptInAFolderTheUserMayWrite)
{
    // The user could rename a new file over them, but must not.
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can hand the files to another user";
    TempFolder folder;
    folder.Write("Voice.dat", kOldCatalogue);
    folder.Write("sorvane.ini", kOldSettings);
    folder.GiveTo(UnprivilegedUid(), UnprivilegedGid());
    for (const char* name : {"Voice.dat", "sorvane.ini"}) {
        ASSERT_EQ(::lchown(folder.path(name).c_str(), 0, 0), 0);
        folder.SetMode(name, 0644);
    }
    auto report = RunUnprivileged([&] {
        PosixFileSystem files;
        CatalogueFile catalogue(files, folder.dir());
        ProfileFile settings(files, folder.dir() + kSettingsFileName);
        std::string text = std::to_string(catalogue.LoadTable().size()) + " " +
                           settings.ReadString("Voice", "Top").value_or("-") + "|";
        return text + Outcome([&] { catalogue.SaveTable(MemoTable(GrownMemos())); }) + "|" +
               Outcome([&] { settings.WriteString("Voice", "Left", "1"); });
    });
    if (!report)
        GTEST_SKIP() << kNoUser;
    EXPECT_EQ(*report, "1 34|" + FormatMessage(messages::kCannotCreate, folder.dir() + "Voice.dat") + "|" +
                           CannotWrite(folder.dir() + "sorvane.ini"));
    EXPECT_EQ(folder.Read("Voice.dat"), kOldCatalogue);
    EXPECT_EQ(folder.Read("sorvane.ini"), kOldSettings);
    EXPECT_EQ(folder.Entries(""), (std::vector<std::string>{"Voice.dat", "sorvane.ini"}));
}

TEST(UnreadableAtStartTest, WriteOnlyFilesAreNeverOverwrittenAtClose)
{
    // The user may write the files but not read them: a save at close would
    // destroy memos it never saw, so it is refused while there is something
    // to save, and the files stay as they were.
    TempFolder folder;
    folder.Write("Voice.dat", kOldCatalogue);
    folder.Write("sorvane.ini", kOldSettings);
    folder.GiveTo(UnprivilegedUid(), UnprivilegedGid());
    folder.SetMode("Voice.dat", 0200);
    folder.SetMode("sorvane.ini", 0200);
    auto report = RunUnprivileged([&] {
        PosixFileSystem files;
        CatalogueFile catalogue(files, folder.dir());
        ProfileFile settings(files, folder.dir() + kSettingsFileName);
        std::string text = Outcome([&] { catalogue.LoadTable(); }) + "|";
        text += settings.ReadString("Voice", "Top").value_or("default") + "|";
        text += Outcome([&] { catalogue.SaveTable({}); }) + "|";  // closed without a memo of its own
        text += Outcome([&] { catalogue.SaveTable(MemoTable(GrownMemos())); }) + "|";
        text += Outcome([&] { settings.WriteString("Voice", "Left", "1"); });
        return text;
    });
    if (!report)
        GTEST_SKIP() << kNoUser;
    const std::string cannotOpen = FormatMessage(messages::kCannotOpen, folder.dir() + "Voice.dat");
    EXPECT_EQ(*report, cannotOpen + "|default|ok|" + cannotOpen + "|" + CannotWrite(folder.dir() + "sorvane.ini"));
    EXPECT_EQ(folder.Read("Voice.dat"), kOldCatalogue);
    EXPECT_EQ(folder.Read("sorvane.ini"), kOldSettings);
    EXPECT_EQ(folder.Entries(""), (std::vector<std::string>{"Voice.dat", "sorvane.ini"}));
}

class DataFolderTest : public ::testing::Test {
protected:
    std::string Data(const std::string& name) const { return folder.dir() + "data/" + name; }
    std::string trash = voicememo::testing::UsePrivateDataFolder();
    TempFolder folder;
    PosixFileSystem files;
    VoiceStore store{files, folder.dir()};
};

TEST_F(DataFolderTest, MissingOrFileInsteadOfAFolderCreatesNothing)
{
    EXPECT_EQ(store.NextVoiceFileName({}), Data("Voice1.wav"));
    EXPECT_NO_THROW(store.Remove(Data("Voice1.wav"), {}));
    EXPECT_FALSE(folder.Exists("data"));

    folder.Write("data", "not a folder");
    EXPECT_EQ(store.NextVoiceFileName({}), Data("Voice1.wav"));
    EXPECT_EQ(Outcome([&] { store.Reserve(Data("Voice1.wav")); }), messages::kInvalidFileName);
    EXPECT_NO_THROW(store.Remove(Data("Voice1.wav"), {}));
    EXPECT_EQ(folder.Read("data"), "not a folder");
}

TEST_F(DataFolderTest, EveryNumberTakenInAnyCaseSaysSoUntilOneIsFree)
{
    for (int n = 1; n <= kHighestVoiceNumber; ++n)
        folder.Write("data/" + std::string(n % 3 ? "Voice" : "VOICE") + std::to_string(n) + (n % 2 ? ".wav" : ".WAV"),
                     "");
    EXPECT_EQ(Outcome([&] { store.NextVoiceFileName({}); }), messages::kNoFreeVoiceName);
    EXPECT_EQ(folder.Entries("data").size(), static_cast<std::size_t>(kHighestVoiceNumber));

    store.Remove(Data("voice999.wav"), {});
    EXPECT_EQ(store.NextVoiceFileName({}), Data("Voice999.wav"));
    store.Remove(Data("Voice600.wav"), {});
    EXPECT_EQ(store.NextVoiceFileName({}), Data("Voice600.wav"));
}

TEST_F(DataFolderTest, FolderTheUserMayNotWriteRefusesAReservation)
{
    folder.MakeFolder("data");
    folder.GiveTo(UnprivilegedUid(), UnprivilegedGid());
    folder.SetMode("data", 0555);
    auto report = RunUnprivileged([&] {
        PosixFileSystem files;
        VoiceStore store(files, folder.dir());
        const std::string next = store.NextVoiceFileName({});
        return next.substr(next.size() - 10) + "|" + Outcome([&] { store.Reserve(next); });
    });
    if (!report)
        GTEST_SKIP() << kNoUser;
    EXPECT_EQ(*report, "Voice1.wav|" + std::string(messages::kAccessDenied));
    EXPECT_TRUE(folder.Entries("data").empty());
}
