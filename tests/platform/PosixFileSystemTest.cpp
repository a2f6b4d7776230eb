#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>

#include "AsUser.h"
#include "CatalogueFile.h"
#include "Codepage.h"
#include "Error.h"
#include "Messages.h"
#include "PosixFileSystem.h"
#include "ProfileFile.h"
#include "StateFolder.h"
#include "TempFolder.h"
#include "VoiceStore.h"

using namespace voicememo;
using voicememo::testing::RunInChild;
using voicememo::testing::RunUnprivileged;
using voicememo::testing::TempFolder;
using voicememo::testing::UnprivilegedGid;
using voicememo::testing::UnprivilegedUid;
using voicememo::testing::UsePrivateStateFolder;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

class PosixFileSystemTest : public ::testing::Test {
protected:
    std::string trash = voicememo::testing::UsePrivateDataFolder();
    std::string At(const std::string& relative) const { return folder.dir() + relative; }

    std::string ErrorOfCreate(const std::string& relative)
    {
        try {
            files.CreateEmptyFile(At(relative));
        } catch (const Error& error) {
            return error.message();
        }
        return "created";
    }

    TempFolder folder;
    PosixFileSystem files;
};

const char* NameOf(WriteResult result)
{
    switch (result) {
    case WriteResult::Done:
        return "Done";
    case WriteResult::CannotCreate:
        return "CannotCreate";
    case WriteResult::WriteFailed:
        return "WriteFailed";
    }
    return "?";
}

ino_t InodeOf(const fs::path& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

const char* kSkipReason = "cannot act as an unprivileged user here";

}  // namespace

TEST(ErrnoMessageTest, SystemErrorsBecomeTheUsersMessages)
{
    EXPECT_EQ(ErrnoMessage(ENOENT, true), messages::kInvalidFileName);
    EXPECT_EQ(ErrnoMessage(ENOTDIR, false), messages::kInvalidFileName);
    EXPECT_EQ(ErrnoMessage(ENOENT, false), messages::kFileNotFound);
    EXPECT_EQ(ErrnoMessage(EMFILE, false), messages::kTooManyOpenFiles);
    EXPECT_EQ(ErrnoMessage(ENFILE, false), messages::kTooManyOpenFiles);
    for (int error : {EACCES, EPERM, EISDIR, EROFS})
        EXPECT_EQ(ErrnoMessage(error, false), messages::kAccessDenied) << error;
    EXPECT_EQ(ErrnoMessage(ENOSPC, false), "I/O \xb4\xd7\xb0 (28)");
}

TEST_F(PosixFileSystemTest, ExistenceIgnoresCaseAndFolders)
{
    folder.Write("data/voice2.WAV", "x");
    folder.MakeFolder("data/Voice3.wav");
    EXPECT_TRUE(files.FileExists(At("data/Voice2.wav")));
    EXPECT_TRUE(files.FileExists(At("DATA/VOICE2.wav")));
    EXPECT_FALSE(files.FileExists(At("data/Voice3.wav")));
    EXPECT_FALSE(files.FileExists(At("data/Voice4.wav")));
    EXPECT_FALSE(files.FileExists(At("nowhere/Voice2.wav")));
    EXPECT_EQ(files.ReadFile(At("data/VOICE2.wav")), "x");
}

TEST_F(PosixFileSystemTest, ExactNameIsPreferredOverAnotherCase)
{
    folder.Write("data/voice1.wav", "lower");
    folder.Write("data/Voice1.wav", "exact");
    EXPECT_EQ(files.ReadFile(At("data/Voice1.wav")), "exact");
    EXPECT_EQ(files.ReadFile(At("data/VOICE1.wav")), "exact");  // "Voice1.wav" sorts first
}

TEST_F(PosixFileSystemTest, JapaneseNamesAreUtf8OnDisk)
{
    const std::string name = "\x83\x81\x83\x82.txt";  // メモ.txt
    ASSERT_EQ(files.ReplaceFile(At(name), "memo"), WriteResult::Done);
    EXPECT_TRUE(std::filesystem::exists(folder.path("メモ.txt")));
    EXPECT_EQ(files.ReadFile(At(name)), "memo");
    EXPECT_TRUE(files.DeleteFile(At(name)));
    EXPECT_FALSE(std::filesystem::exists(folder.path("メモ.txt")));
}

TEST_F(PosixFileSystemTest, ReplaceIsAtomicAndLeavesNoTemporaryFile)
{
    folder.Write("Voice.dat", "old");
    std::filesystem::permissions(folder.path("Voice.dat"), std::filesystem::perms(0640));
    ASSERT_EQ(files.ReplaceFile(At("voice.DAT"), "new"), WriteResult::Done);
    EXPECT_EQ(folder.Read("Voice.dat"), "new");
    EXPECT_EQ(std::filesystem::status(folder.path("Voice.dat")).permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path("")),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(PosixFileSystemTest, ReplaceRefusesReadOnlyFilesFoldersAndMissingFolders)
{
    folder.Write("ro.dat", "old");
    std::filesystem::permissions(folder.path("ro.dat"), std::filesystem::perms::owner_read);
    EXPECT_EQ(files.ReplaceFile(At("ro.dat"), "new"), WriteResult::CannotCreate);
    EXPECT_EQ(folder.Read("ro.dat"), "old");

    folder.MakeFolder("dir.dat");
    EXPECT_EQ(files.ReplaceFile(At("dir.dat"), "new"), WriteResult::CannotCreate);
    EXPECT_EQ(files.ReplaceFile(At("missing/x.dat"), "new"), WriteResult::CannotCreate);
}

TEST_F(PosixFileSystemTest, CreateEmptyFileMessages)
{
    EXPECT_EQ(ErrorOfCreate("nodata/Voice1.wav"), messages::kInvalidFileName);
    folder.Write("plain", "");
    EXPECT_EQ(ErrorOfCreate("plain/Voice1.wav"), messages::kInvalidFileName);
    folder.MakeFolder("data/voice1.WAV");
    EXPECT_EQ(ErrorOfCreate("data/Voice1.wav"), messages::kAccessDenied);
    folder.Write("data/Voice2.wav", "keep");
    std::filesystem::permissions(folder.path("data/Voice2.wav"), std::filesystem::perms::owner_read);
    EXPECT_EQ(ErrorOfCreate("data/Voice2.wav"), messages::kAccessDenied);
    EXPECT_EQ(folder.Read("data/Voice2.wav"), "keep");
    EXPECT_EQ(ErrorOfCreate("data/Voice3.wav"), "created");
    EXPECT_EQ(folder.Read("data/Voice3.wav"), "");
}

TEST_F(PosixFileSystemTest, UnreadableFileReadsAsNothing)
{
    folder.MakeUnreadable("Voice.dat");
    EXPECT_TRUE(files.FileExists(At("Voice.dat")));
    EXPECT_FALSE(files.ReadFile(At("Voice.dat")));
}

TEST_F(PosixFileSystemTest, ListingMatchesFilesIgnoringCaseSortedByLowerCaseName)
{
    EXPECT_TRUE(files.ListFiles(At("data/"), "Voice", ".wav").empty());
    for (const char* name : {"voice2.WAV", "Voice10.wav", "VOICE1.wav", "Memo.wav", "Voice3.mp3", "Voicewav",
                             "Voice.wav", "Voiceメモ.wav"})
        folder.Write(std::string("data/") + name, "");
    folder.MakeFolder("data/Voice4.wav");  // a folder: left out
    std::filesystem::create_directory_symlink(folder.path("data/Voice4.wav"), folder.path("data/Voice5.wav"));
    std::filesystem::create_symlink(folder.path("data/Voice10.wav"), folder.path("data/Voice6.wav"));
    folder.Write("data/Voice한.wav", "");  // no code page 932 name: left out
    EXPECT_EQ(files.ListFiles(At("data/"), "Voice", ".wav"),
              (Names{"Voice.wav", "VOICE1.wav", "Voice10.wav", "voice2.WAV", "Voice6.wav",
                     "Voice\x83\x81\x83\x82.wav"}));
    EXPECT_EQ(files.ListFiles(At("DATA/"), "Voice", ".wav").size(), 6u);
}

TEST_F(PosixFileSystemTest, ReadOnlyFileIsNeverDeleted)
{
    folder.Write("data/Voice1.wav", "keep");
    folder.SetMode("data/Voice1.wav", 0444);
    EXPECT_FALSE(files.DeleteFile(At("data/VOICE1.wav")));
    EXPECT_EQ(folder.Read("data/Voice1.wav"), "keep");

    // One write bit is enough for the file to count as writable.
    folder.Write("data/Voice2.wav", "x");
    folder.SetMode("data/Voice2.wav", 0020);
    EXPECT_TRUE(files.DeleteFile(At("data/Voice2.wav")));
    EXPECT_FALSE(folder.Exists("data/Voice2.wav"));
    EXPECT_FALSE(files.DeleteFile(At("data/Voice2.wav")));
    folder.MakeFolder("data/Voice3.wav");
    EXPECT_FALSE(files.DeleteFile(At("data/Voice3.wav")));
    EXPECT_TRUE(fs::is_directory(folder.path("data/Voice3.wav")));
}

TEST_F(PosixFileSystemTest, EmptyListKeepsAReadOnlyCatalogueAndRemoveKeepsAReadOnlyVoice)
{
    const std::string content = "t\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    folder.Write("Voice.dat", content);
    folder.Write("data/Voice1.wav", "RIFF");
    folder.SetMode("Voice.dat", 0444);
    folder.SetMode("data/Voice1.wav", 0444);

    CatalogueFile catalogue(files, folder.dir());
    ASSERT_EQ(catalogue.LoadTable().size(), 1u);
    EXPECT_NO_THROW(catalogue.SaveTable({}));
    EXPECT_EQ(folder.Read("Voice.dat"), content);

    VoiceStore store(files, folder.dir());
    EXPECT_NO_THROW(store.Remove(store.folder() + "voice1.wav", {}));
    EXPECT_EQ(folder.Read("data/Voice1.wav"), "RIFF");
}

TEST_F(PosixFileSystemTest, DeleteInAFolderTheUserCannotWriteFailsQuietly)
{
    folder.Write("Voice.dat", "a\tb\tc\td\te\tf\r\n");
    folder.Write("gone.wav", "x");
    folder.GiveTo(UnprivilegedUid(), UnprivilegedGid());
    folder.SetMode("", 0555);
    auto result = RunUnprivileged([&] {
        PosixFileSystem files;
        std::string report = files.DeleteFile(At("gone.wav")) ? "deleted" : "kept";
        CatalogueFile catalogue(files, folder.dir());
        report += " " + std::to_string(catalogue.LoadTable().size());
        catalogue.SaveTable({});
        return report + " saved";
    });
    if (!result)
        GTEST_SKIP() << kSkipReason;
    EXPECT_EQ(*result, "kept 1 saved");
    EXPECT_EQ(folder.Read("gone.wav"), "x");
    EXPECT_EQ(folder.Read("Voice.dat"), "a\tb\tc\td\te\tf\r\n");
}

TEST_F(PosixFileSystemTest, NamesCodePage932HoldsOnlyAsALookAlikeAreNotListed)
{
    // Each of these converts without complaint, to a name of another file:
    // the tag character vanishes, the others become \ ~ and ～.
    for (const char* name : {"Voice\U000E0001"
                             "1.wav",
                             "Voice\u00A5"
                             "2.wav",
                             "Voice\u203E"
                             "3.wav",
                             "Voice\u301C"
                             "4.wav"})
        folder.Write(std::string("data/") + name, "look-alike");
    for (const char* name : {"Voice\uFF5E"
                             "5.wav",
                             "Voice\\6.wav", "Voice~7.wav", "Voice１.wav", "Voiceあ.wav"})
        folder.Write(std::string("data/") + name, name);

    const Names listed = files.ListFiles(At("data/"), "Voice", ".wav");
    EXPECT_EQ(listed, (Names{"Voice\\6.wav", "Voice~7.wav",
                             "Voice\x81\x60"
                             "5.wav",
                             "Voice\x82\x50.wav", "Voice\x82\xa0.wav"}));
    // Every name listed leads back to its own file.
    for (const auto& name : listed)
        EXPECT_EQ(files.ReadFile(At("data/" + name)), Cp932ToUtf8(name)) << Cp932ToUtf8(name);
}

TEST_F(PosixFileSystemTest, ReplaceThroughALinkWritesItsTargetAndKeepsTheLink)
{
    folder.Write("calendar/sorvane.ini", "[Option]\r\nShowHint=1\r\n");
    folder.SetMode("calendar/sorvane.ini", 0640);
    folder.MakeFolder("app");
    fs::create_symlink("../calendar/sorvane.ini", folder.path("app/sorvane.ini"));

    ProfileFile profile(files, At("app/SORVANE.INI"));
    profile.WriteString("Voice", "Left", "12");
    EXPECT_TRUE(fs::is_symlink(folder.path("app/sorvane.ini")));
    EXPECT_EQ(fs::read_symlink(folder.path("app/sorvane.ini")), "../calendar/sorvane.ini");
    EXPECT_EQ(profile.ReadString("Voice", "Left"), "12");
    EXPECT_EQ(profile.ReadString("Option", "ShowHint"), "1");
    EXPECT_NE(folder.Read("calendar/sorvane.ini").find("Left=12"), std::string::npos);
    EXPECT_EQ(fs::status(folder.path("calendar/sorvane.ini")).permissions(), fs::perms(0640));
    EXPECT_EQ(folder.Entries("app"), Names{"sorvane.ini"});
    EXPECT_EQ(folder.Entries("calendar"), Names{"sorvane.ini"});
}

TEST_F(PosixFileSystemTest, ReplaceFollowsAChainOfLinks)
{
    folder.Write("store/Voice.dat", "old");
    fs::create_symlink("store/Voice.dat", folder.path("middle.dat"));
    folder.MakeFolder("app");
    fs::create_symlink(folder.path("middle.dat"), folder.path("app/Voice.dat"));

    CatalogueFile catalogue(files, At("app/"));
    catalogue.SaveTable(MemoTable({VoiceMemo{"n", "p", "d", "t", "TODO", ""}}));
    EXPECT_EQ(folder.Read("store/Voice.dat"), "n\tp\td\tt\tTODO\t\r\n");
    EXPECT_TRUE(fs::is_symlink(folder.path("app/Voice.dat")));
    EXPECT_TRUE(fs::is_symlink(folder.path("middle.dat")));
    EXPECT_EQ(folder.Entries(""), (Names{"app", "middle.dat", "store"}));
    EXPECT_EQ(folder.Entries("app"), Names{"Voice.dat"});
    EXPECT_EQ(folder.Entries("store"), Names{"Voice.dat"});
}

TEST_F(PosixFileSystemTest, DanglingLinkGetsItsTargetCreated)
{
    folder.MakeFolder("calendar");
    folder.MakeFolder("app");
    fs::create_symlink("../calendar/Voice.dat", folder.path("app/Voice.dat"));
    ASSERT_EQ(files.ReplaceFile(At("app/Voice.dat"), "new"), WriteResult::Done);
    EXPECT_TRUE(fs::is_symlink(folder.path("app/Voice.dat")));
    EXPECT_EQ(folder.Read("calendar/Voice.dat"), "new");
    EXPECT_EQ(folder.Entries("calendar"), Names{"Voice.dat"});

    // A target in a missing folder, and links that point at each other.
    fs::create_symlink("../nowhere/Voice.dat", folder.path("app/lost.dat"));
    EXPECT_EQ(files.ReplaceFile(At("app/lost.dat"), "new"), WriteResult::CannotCreate);
    EXPECT_FALSE(folder.Exists("nowhere"));
    fs::create_symlink("loop2.dat", folder.path("app/loop1.dat"));
    fs::create_symlink("loop1.dat", folder.path("app/loop2.dat"));
    EXPECT_EQ(files.ReplaceFile(At("app/loop1.dat"), "new"), WriteResult::CannotCreate);
    for (const char* link : {"app/Voice.dat", "app/lost.dat", "app/loop1.dat", "app/loop2.dat"})
        EXPECT_TRUE(fs::is_symlink(folder.path(link))) << link;
    EXPECT_EQ(folder.Entries("app"), (Names{"Voice.dat", "loop1.dat", "loop2.dat", "lost.dat"}));
}

TEST_F(PosixFileSystemTest, LinkToAReadOnlyFileOrAFolderIsRefused)
{
    folder.Write("calendar/ro.dat", "old");
    folder.SetMode("calendar/ro.dat", 0444);
    folder.MakeFolder("calendar/dir.dat");
    folder.MakeFolder("app");
    fs::create_symlink("../calendar/ro.dat", folder.path("app/ro.dat"));
    fs::create_symlink("../calendar/dir.dat", folder.path("app/dir.dat"));
    EXPECT_EQ(files.ReplaceFile(At("app/ro.dat"), "new"), WriteResult::CannotCreate);
    EXPECT_EQ(files.ReplaceFile(At("app/dir.dat"), "new"), WriteResult::CannotCreate);
    EXPECT_FALSE(files.DeleteFile(At("app/ro.dat")));
    EXPECT_EQ(folder.Read("calendar/ro.dat"), "old");
    EXPECT_EQ(folder.Entries("app"), (Names{"dir.dat", "ro.dat"}));
    EXPECT_EQ(folder.Entries("calendar"), (Names{"dir.dat", "ro.dat"}));
}

TEST_F(PosixFileSystemTest, WritableFileInAFolderTheUserCannotWriteIsRewrittenInPlace)
{
    UsePrivateStateFolder();
    folder.Write("Voice.dat", "old\tp\td\tt\tTODO\t\r\n");
    folder.Write("sorvane.ini", "[Voice]\r\nLeft=1\r\n");
    folder.Write("ro.dat", "keep");
    folder.SetMode("Voice.dat", 0644);
    folder.SetMode("ro.dat", 0444);
    folder.GiveTo(UnprivilegedUid(), UnprivilegedGid());
    folder.SetMode("", 0555);
    const ino_t inode = InodeOf(folder.path("Voice.dat"));
    auto result = RunUnprivileged([&] {
        PosixFileSystem files;
        CatalogueFile catalogue(files, folder.dir());
        auto memos = catalogue.LoadTable().memos();
        // Longer than before, then shorter: the old tail must not survive.
        memos.push_back(VoiceMemo{"new", "p2", "d", "t", "TODO", ""});
        catalogue.SaveTable(MemoTable(memos));
        std::string report = *files.ReadFile(At("Voice.dat")) + "|";
        catalogue.SaveTable(MemoTable({memos.back()}));
        ProfileFile(files, At("sorvane.ini")).WriteString("Voice", "Left", "200");
        report += NameOf(files.ReplaceFile(At("ro.dat"), "new"));
        report += std::string(" ") + NameOf(files.ReplaceFile(At("missing.dat"), "new"));
        return report;
    });
    if (!result)
        GTEST_SKIP() << kSkipReason;
    EXPECT_EQ(*result, "old\tp\td\tt\tTODO\t\r\nnew\tp2\td\tt\tTODO\t\r\n|CannotCreate CannotCreate");
    EXPECT_EQ(folder.Read("Voice.dat"), "new\tp2\td\tt\tTODO\t\r\n");
    EXPECT_EQ(folder.Read("sorvane.ini"), "[Voice]\r\nLeft=200\r\n");
    EXPECT_EQ(folder.Read("ro.dat"), "keep");
    EXPECT_EQ(fs::status(folder.path("Voice.dat")).permissions(), fs::perms(0644));
    EXPECT_EQ(InodeOf(folder.path("Voice.dat")), inode);  // the same file, rewritten
    EXPECT_EQ(folder.Entries(""), (Names{"Voice.dat", "ro.dat", "sorvane.ini"}));
}

TEST_F(PosixFileSystemTest, OnlyRegularFilesAreOpenedAndNothingElseIsTouched)
{
    // A FIFO or a socket named as a file would block an open or a read for
    // good. Run in a child that an alarm ends, so a hang fails the test.
    ASSERT_EQ(::mkfifo(folder.path("Voice.dat").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(folder.path("sorvane.ini").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(folder.path("Voice1.wav").c_str(), 0644), 0);
    auto result = RunInChild(
        [] {
            ::alarm(20);
            return true;
        },
        [&] {
            PosixFileSystem files;
            std::string report = files.ReadFile(At("Voice.dat")) ? "read" : "unread";
            report += std::string(" ") + NameOf(files.ReplaceFile(At("Voice.dat"), "new"));
            report += files.DeleteFile(At("Voice.dat")) ? " deleted" : " kept";
            CatalogueFile catalogue(files, folder.dir());
            try {
                catalogue.LoadTable();
            } catch (const Error&) {
                report += " cannot-open";
            }
            catalogue.SaveTable({});
            report += " " + ProfileFile(files, At("sorvane.ini")).ReadString("Voice", "Left").value_or("default");
            try {
                files.CreateEmptyFile(At("Voice1.wav"));
            } catch (const Error& error) {
                report += error.message() == messages::kAccessDenied ? " denied" : " ?";
            }
            return report;
        });
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, "unread CannotCreate kept cannot-open default denied");
    for (const char* name : {"Voice.dat", "sorvane.ini", "Voice1.wav"})
        EXPECT_TRUE(fs::is_fifo(folder.path(name))) << name;
}

TEST_F(PosixFileSystemTest, EmptiedCatalogueThroughALinkKeepsTheLinkAndDeletesItsTarget)
{
    folder.Write("shared/Voice.dat", "old\tp\td\tt\tTODO\t\r\n");
    fs::create_symlink("shared/Voice.dat", folder.path("Voice.dat"));
    CatalogueFile catalogue(files, folder.dir());
    ASSERT_EQ(catalogue.LoadTable().size(), 1u);
    catalogue.SaveTable({});
    EXPECT_TRUE(fs::is_symlink(folder.path("Voice.dat")));
    EXPECT_FALSE(folder.Exists("shared/Voice.dat"));
    EXPECT_TRUE(CatalogueFile(files, folder.dir()).LoadTable().empty());

    catalogue.SaveTable(MemoTable({VoiceMemo{"new", "p", "d", "t", "TODO", ""}}));
    EXPECT_TRUE(fs::is_symlink(folder.path("Voice.dat")));
    EXPECT_EQ(folder.Read("shared/Voice.dat"), "new\tp\td\tt\tTODO\t\r\n");
}

TEST_F(PosixFileSystemTest, TheUsersOwnRightsDecideWhatIsReplacedOrDeleted)
{
    // Mode 0460: the owner may only read it, though the group may write.
    struct Case {
        unsigned mode;
        const char* expected;
    };
    const Case cases[] = {{0460, "CannotCreate kept kept-by-save"}, {0640, "Done deleted gone"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        TempFolder own;
        own.Write("a.dat", "old");
        own.Write("b/Voice.dat", "old\tp\td\tt\tTODO\t\r\n");
        own.GiveTo(UnprivilegedUid(), UnprivilegedGid());
        own.SetMode("a.dat", c.mode);
        own.SetMode("b/Voice.dat", c.mode);
        auto result = RunUnprivileged([&] {
            PosixFileSystem files;
            std::string report = NameOf(files.ReplaceFile(own.dir() + "a.dat", "new"));
            report += files.DeleteFile(own.dir() + "a.dat") ? " deleted" : " kept";
            CatalogueFile catalogue(files, own.dir() + "b/");
            catalogue.LoadTable();
            catalogue.SaveTable({});
            return report + (files.FileExists(own.dir() + "b/Voice.dat") ? " kept-by-save" : " gone");
        });
        if (!result)
            GTEST_SKIP() << kSkipReason;
        EXPECT_EQ(*result, c.expected);
    }
}

TEST_F(PosixFileSystemTest, StampFindsTheFileAsAReadDoesAndChangesWithEachWrite)
{
    // No file: none there, a folder, a link leading nowhere.
    folder.MakeFolder("folder.dat");
    fs::create_symlink("target.dat", folder.path("link.dat"));
    for (const char* name : {"Voice.dat", "folder.dat", "link.dat"})
        EXPECT_EQ(files.StampOf(At(name)), FileStamp{}) << name;

    folder.Write("VOICE.DAT", "12345");
    folder.Write("target.dat", "1");
    const auto stamp = files.StampOf(At("Voice.dat"));  // in other letters
    ASSERT_TRUE(stamp && stamp->exists);
    EXPECT_EQ(stamp->size, 5u);
    EXPECT_EQ(files.StampOf(At("link.dat"))->size, 1u);

    // Another program appends, renames a new file over it, or sets its time.
    const std::vector<std::function<void()>> writes = {
        [&] { std::ofstream(folder.path("VOICE.DAT"), std::ios::app) << "6"; },
        [&] {
            folder.Write("new.dat", "123456");
            fs::rename(folder.path("new.dat"), folder.path("VOICE.DAT"));
        },
        [&] {
            fs::last_write_time(folder.path("VOICE.DAT"), fs::file_time_type::clock::now() - std::chrono::hours(1));
        },
    };
    auto last = stamp;
    for (std::size_t write = 0; write < writes.size(); ++write) {
        writes[write]();
        const auto now = files.StampOf(At("Voice.dat"));
        EXPECT_NE(now, last) << "write " << write;
        EXPECT_EQ(files.StampOf(At("Voice.dat")), now);
        last = now;
    }
}

TEST_F(PosixFileSystemTest, LookAlikeByteFormsAndCaseGiveOneComparisonKey)
{
    // 0xEEE0 and 0xFBFC are both 髙; ASCII letters lower, nothing else.
    EXPECT_EQ(files.ComparisonKey("/A/data/\xee\xe0Voice1.WAV"), files.ComparisonKey("/a/DATA/\xfb\xfcvoice1.wav"));
    EXPECT_EQ(files.ComparisonKey("\xed\x40"), files.ComparisonKey("\xfa\x5c"));
    EXPECT_NE(files.ComparisonKey("\x82\x60"), files.ComparisonKey("\x82\x81"));  // Ａ and ａ stay apart
}

TEST_F(PosixFileSystemTest, AFileReplacedByRootKeepsItsOwnerGroupAndMode)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give the files to another user";
    struct Case {
        const char* name;
        uid_t owner;
        gid_t group;
        unsigned mode;
    };
    const Case cases[] = {{"Voice.dat", 12345, 23456, 0640}, {"sorvane.ini", 34567, 34567, 02664}};
    folder.Write("Voice.dat", "old\tp\td\tt\tTODO\t\r\n");
    folder.Write("sorvane.ini", "[Option]\r\nShowHint=1\r\n");
    for (const Case& c : cases) {
        ASSERT_EQ(::chown(folder.path(c.name).c_str(), c.owner, c.group), 0);
        folder.SetMode(c.name, c.mode);
    }
    CatalogueFile(files, folder.dir()).SaveTable(MemoTable({VoiceMemo{"new", "p", "d", "t", "TODO", ""}}));
    ProfileFile(files, At("sorvane.ini")).WriteString("Voice", "Left", "3");

    EXPECT_EQ(folder.Read("Voice.dat"), "new\tp\td\tt\tTODO\t\r\n");
    EXPECT_NE(folder.Read("sorvane.ini").find("Left=3"), std::string::npos);
    for (const Case& c : cases) {
        struct stat info {};
        ASSERT_EQ(::stat(folder.path(c.name).c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, c.owner) << c.name;
        EXPECT_EQ(info.st_gid, c.group) << c.name;
        EXPECT_EQ(info.st_mode & 07777, c.mode) << c.name;
    }
}
