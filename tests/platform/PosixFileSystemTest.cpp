#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "Codepage.h"
#include "Error.h"
#include "Messages.h"
#include "PosixFileSystem.h"
#include "TempFolder.h"

using namespace voicememo;
using voicememo::testing::TempFolder;
using Names = std::vector<std::string>;

namespace {

class PosixFileSystemTest : public ::testing::Test {
protected:
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
    EXPECT_EQ(std::filesystem::status(folder.path("Voice.dat")).permissions(),
              std::filesystem::perms(0640));
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

TEST_F(PosixFileSystemTest, ListingMatchesIgnoringCaseSortedByLowerCaseName)
{
    EXPECT_TRUE(files.ListFolder(At("data/"), "Voice", ".wav").empty());
    for (const char* name : {"voice2.WAV", "Voice10.wav", "VOICE1.wav", "Memo.wav", "Voice3.mp3",
                             "Voicewav", "Voice.wav", "Voiceメモ.wav"})
        folder.Write(std::string("data/") + name, "");
    folder.MakeFolder("data/Voice4.wav");
    folder.Write("data/Voice한.wav", "");  // no code page 932 name: left out
    EXPECT_EQ(files.ListFolder(At("data/"), "Voice", ".wav"),
              (Names{"Voice.wav", "VOICE1.wav", "Voice10.wav", "voice2.WAV", "Voice4.wav",
                     "Voice\x83\x81\x83\x82.wav"}));
    EXPECT_EQ(files.ListFolder(At("DATA/"), "Voice", ".wav").size(), 6u);
}
