// What a killed save leaves beside the file is removed by the next save of
// the same file, and only that: a save in progress keeps its file, and
// nothing else beside it is touched.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "CatalogueFile.h"
#include "NoLocks.h"
#include "PosixFileSystem.h"
#include "ProfileFile.h"
#include "Settings.h"
#include "TempFolder.h"

using namespace voicememo;
using voicememo::testing::NoLocks;
using voicememo::testing::TempFolder;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(TemporaryFileTest, NextSaveRemovesWhatAKilledSaveOfTheSameFileLeft)
{
    TempFolder folder;
    folder.Write("Voice.dat", "old\r\n");
    folder.Write("sorvane.ini", "[Voice]\r\nLeft=1\r\n");
    folder.Write(".Voice.dat.tmp-a1B2c3", "half a catalo");
    folder.Write(".Voice.dat.tmp-zzzzzz", "");
    folder.Write(".sorvane.ini.tmp-Q9q9Q9", "[Voi");
    // Not leftovers of these files, or not files: they stay.
    for (const char* name : {".Voice.dat.tmp-abc12", ".Voice.dat.tmp-abc1234", "Voice.dat.tmp-abc123",
                             ".voice.dat.tmp-abc123", ".Other.dat.tmp-abc123", ".Voice.dat.bak"})
        folder.Write(name, "keep");
    folder.MakeFolder(".Voice.dat.tmp-folder");
    fs::create_symlink("Voice.dat", folder.path(".Voice.dat.tmp-linkkk"));

    PosixFileSystem files;
    CatalogueFile catalogue(files, folder.dir());
    catalogue.SaveTable(MemoTable({VoiceMemo{"new", "p", "d", "t", "TODO", ""}}));
    EXPECT_FALSE(folder.Exists(".Voice.dat.tmp-a1B2c3"));
    EXPECT_FALSE(folder.Exists(".Voice.dat.tmp-zzzzzz"));
    EXPECT_TRUE(folder.Exists(".sorvane.ini.tmp-Q9q9Q9"));

    ProfileFile(files, folder.dir() + kSettingsFileName).WriteString("Voice", "Left", "2");
    EXPECT_EQ(folder.Entries(""), (Names{".Other.dat.tmp-abc123", ".Voice.dat.bak", ".Voice.dat.tmp-abc12",
                                         ".Voice.dat.tmp-abc1234", ".Voice.dat.tmp-folder", ".Voice.dat.tmp-linkkk",
                                         ".voice.dat.tmp-abc123", "Voice.dat", "Voice.dat.tmp-abc123", "sorvane.ini"}));
    EXPECT_EQ(folder.Read("Voice.dat"), "new\tp\td\tt\tTODO\t\r\n");
    EXPECT_TRUE(fs::is_symlink(folder.path(".Voice.dat.tmp-linkkk")));
}

TEST(TemporaryFileTest, FileOfASaveInProgressStays)
{
    TempFolder folder;
    folder.Write("Voice.dat", "old\r\n");
    folder.Write(".Voice.dat.tmp-busy01", "being written");
    // Another save holds it, as every save holds its own file until the rename.
    int busy = ::open(folder.path(".Voice.dat.tmp-busy01").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(busy, 0);
    ASSERT_EQ(::flock(busy, LOCK_EX), 0);

    PosixFileSystem files;
    ASSERT_EQ(files.ReplaceFile(folder.dir() + "Voice.dat", "new"), WriteResult::Done);
    EXPECT_EQ(folder.Read(".Voice.dat.tmp-busy01"), "being written");

    ::close(busy);  // that save died
    ASSERT_EQ(files.ReplaceFile(folder.dir() + "Voice.dat", "newer"), WriteResult::Done);
    EXPECT_EQ(folder.Entries(""), Names{"Voice.dat"});
}

TEST(TemporaryFileTest, SavesOfTheSameFileAtOnceNeverRemoveEachOthersFile)
{
    TempFolder folder;
    const std::string path = folder.dir() + "Voice.dat";
    auto saveMany = [&path](char fill, int& failures) {
        PosixFileSystem files;
        for (int i = 0; i < 300; ++i)
            failures += files.ReplaceFile(path, std::string(1000 + i * 10, fill)) != WriteResult::Done;
    };
    int failuresA = 0, failuresB = 0;
    std::thread a(saveMany, 'a', std::ref(failuresA));
    std::thread b(saveMany, 'b', std::ref(failuresB));
    a.join();
    b.join();
    EXPECT_EQ(failuresA, 0);
    EXPECT_EQ(failuresB, 0);
    EXPECT_EQ(folder.Entries(""), Names{"Voice.dat"});
    const std::string last = folder.Read("Voice.dat");
    EXPECT_EQ(last.find_first_not_of(last.front()), std::string::npos);
}

TEST(TemporaryFileTest, WhereLocksDoNotWorkSavesStillWorkAndLeaveNothingBehind)
{
    TempFolder folder;
    folder.Write("Voice.dat", "old\r\n");
    folder.Write(".Voice.dat.tmp-old001", "left by a save killed an hour ago");
    fs::last_write_time(folder.path(".Voice.dat.tmp-old001"), fs::file_time_type::clock::now() - std::chrono::hours(1));
    // Without locks nothing tells a save in progress elsewhere from a
    // leftover but its age: a fresh one stays.
    folder.Write(".Voice.dat.tmp-new001", "perhaps being written");
    NoLocks noLocks;
    PosixFileSystem files;
    CatalogueFile catalogue(files, folder.dir());
    catalogue.SaveTable(MemoTable({VoiceMemo{"new", "p", "d", "t", "TODO", ""}}));
    EXPECT_EQ(folder.Read("Voice.dat"), "new\tp\td\tt\tTODO\t\r\n");
    EXPECT_EQ(folder.Entries(""), (Names{".Voice.dat.tmp-new001", "Voice.dat"}));
}

TEST(TemporaryFileTest, LeftoversGoAlsoWhenTheCatalogueIsDeletedOrFoundReadOnly)
{
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly);
        TempFolder folder;
        folder.Write("Voice.dat", "old\r\n");
        folder.Write(".Voice.dat.tmp-a1B2c3", "half a catalo");
        if (readOnly)
            folder.SetMode("Voice.dat", 0444);
        PosixFileSystem files;
        CatalogueFile catalogue(files, folder.dir());
        catalogue.LoadTable();
        if (readOnly)
            EXPECT_ANY_THROW(catalogue.SaveTable(MemoTable({VoiceMemo{"new", "p", "d", "t", "TODO", ""}})));
        else
            catalogue.SaveTable({});
        EXPECT_EQ(folder.Entries(""), readOnly ? Names{"Voice.dat"} : Names{});
    }
}
