#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <random>
#include <stdexcept>
#include <utility>

#include "CatalogueFile.h"
#include "Error.h"
#include "Messages.h"
#include "PosixFileSystem.h"
#include "TempFolder.h"

using namespace voicememo;
using namespace std::string_literals;
using voicememo::testing::TempFolder;
namespace fs = std::filesystem;

namespace {

VoiceMemo Memo(std::string title, std::string path, std::string date, std::string time, std::string kind,
               std::string shown)
{
    return {std::move(title), std::move(path), std::move(date), std::move(time), std::move(kind), std::move(shown)};
}

ino_t InodeOf(const fs::path& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

class CatalogueFileTest : public ::testing::Test {
protected:
    TempFolder folder;
    PosixFileSystem files;
    CatalogueFile catalogue{files, folder.dir()};
};

}  // namespace

TEST(CatalogueLineTest, FieldsByTabCount)
{
    struct Case {
        std::string line;
        VoiceMemo memo;
    };
    for (const auto& [line, memo] :
         std::initializer_list<Case>{{"", Memo("", "", "", "", "", "")},
                                     {"whole line", Memo("", "", "", "", "", "whole line")},
                                     {"a\tb", Memo("a", "", "", "", "", "b")},
                                     {"a\tb\tc", Memo("a", "b", "", "", "", "c")},
                                     {"a\tb\tc\td", Memo("a", "b", "c", "", "", "d")},
                                     {"a\tb\tc\td\te", Memo("a", "b", "c", "d", "", "e")},
                                     {"a\tb\tc\td\te\tf", Memo("a", "b", "c", "d", "e", "f")},
                                     {"a\tb\tc\td\te\tf\tg\th", Memo("a", "b", "c", "d", "e", "f\tg\th")},
                                     {"\t\t\t\t\t", Memo("", "", "", "", "", "")},
                                     {"t\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t",
                                      Memo("t", "/x/data/Voice1.wav", "2001/04/05", "09:12:30", "TODO", "")}}) {
        EXPECT_EQ(ParseCatalogueLine(line), memo) << line;
    }
}

TEST(CatalogueLineTest, TodoLineEndsWithATab)
{
    EXPECT_EQ(FormatCatalogue({Memo("t", "/p", "2001/04/05", "09:12:30", "TODO", "")}),
              "t\t/p\t2001/04/05\t09:12:30\tTODO\t\r\n");
    EXPECT_EQ(FormatCatalogue({VoiceMemo{}}), "\t\t\t\t\t\r\n");
}

TEST(CatalogueLineTest, TitlesLoseTheBytesThatWouldBreakALine)
{
    EXPECT_EQ(SanitizeTitle("a\tb\rc\nd\0e"s), "a b c d e");
    EXPECT_EQ(SanitizeTitle("\x94\x83\x82\xa2\x95\xa8"), "\x94\x83\x82\xa2\x95\xa8");
}

TEST(CatalogueLineTest, NoFieldEndsItsLineEarly)
{
    // Whatever reached a memo, its line reads back as one memo with the same
    // number of fields; TABs may stay only in the last field.
    const VoiceMemo memo = Memo("a\rb", "/p\n", "2001\t04", "09\0"s, "DAILY", "4\r\n/4\t/7\0x"s);
    const std::string line = FormatCatalogue({memo});
    EXPECT_EQ(line, "a b\t/p \t2001 04\t09 \tDAILY\t4  /4\t/7 x\r\n");
    EXPECT_EQ(ParseCatalogue(line).size(), 1u);
}

TEST_F(CatalogueFileTest, MissingFileLoadsNothingAndEmptyCatalogueLeavesNoFile)
{
    EXPECT_TRUE(catalogue.LoadTable().empty());
    EXPECT_FALSE(catalogue.SaveTable({}).written);
    EXPECT_FALSE(folder.Exists("Voice.dat"));
}

TEST_F(CatalogueFileTest, OddLinesLoadAndAreWrittenBackAsRows)
{
    folder.Write("Voice.dat", "\x94\x83\x82\xa2\x95\xa8\t/t/data/Voice2.wav\t2001/04/05\t09:12:30\tDAILY\t2001/4/7\n"
                              "no tabs\r"
                              "\r\n"
                              "a\tb\tc\td\r\n"
                              "last\tline\0after\r\nmore"s);
    auto memos = catalogue.LoadTable().memos();
    ASSERT_EQ(memos.size(), 7u);
    EXPECT_EQ(memos[0],
              Memo("\x94\x83\x82\xa2\x95\xa8", "/t/data/Voice2.wav", "2001/04/05", "09:12:30", "DAILY", "2001/4/7"));
    EXPECT_EQ(memos[1], Memo("", "", "", "", "", "no tabs"));
    EXPECT_EQ(memos[2], VoiceMemo{});
    EXPECT_EQ(memos[3], Memo("a", "b", "c", "", "", "d"));
    // A NUL ends its line, and the memos after it are kept.
    EXPECT_EQ(memos[4], Memo("last", "", "", "", "", "line"));
    EXPECT_EQ(memos[5], Memo("", "", "", "", "", "after"));
    EXPECT_EQ(memos[6], Memo("", "", "", "", "", "more"));
    memos.push_back(Memo("n", "p", "d", "t", "TODO", ""));  // something to save
    catalogue.SaveTable(MemoTable(memos));
    EXPECT_EQ(folder.Read("Voice.dat"),
              "\x94\x83\x82\xa2\x95\xa8\t/t/data/Voice2.wav\t2001/04/05\t09:12:30\tDAILY\t2001/4/7\r\n"
              "\t\t\t\t\tno tabs\r\n"
              "\t\t\t\t\t\r\n"
              "a\tb\tc\t\t\td\r\n"
              "last\t\t\t\t\tline\r\n"
              "\t\t\t\t\tafter\r\n"
              "\t\t\t\t\tmore\r\n"
              "n\tp\td\tt\tTODO\t\r\n");
}

TEST_F(CatalogueFileTest, WellFormedFileIsWrittenBackByteForByte)
{
    const std::string content = "\x8e\x64\x8e\x96\t/t/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n"
                                "x\t/t/data/Voice3.wav\t2001-04-06\t10.00.00\tDAILY\t2002/11/3\r\n";
    folder.Write("Voice.dat", content);
    MemoTable memos = catalogue.LoadTable();
    memos.append(Memo("n", "p", "d", "t", "TODO", ""));
    catalogue.SaveTable(memos);
    EXPECT_EQ(folder.Read("Voice.dat"), content + "n\tp\td\tt\tTODO\t\r\n");
}

TEST_F(CatalogueFileTest, DeletingEveryMemoDeletesTheFile)
{
    folder.Write("Voice.dat", "a\tb\tc\td\te\tf\r\n");
    ASSERT_EQ(catalogue.LoadTable().size(), 1u);
    catalogue.SaveTable({});
    EXPECT_FALSE(folder.Exists("Voice.dat"));
}

TEST_F(CatalogueFileTest, FileNameMatchesWithoutRegardToCase)
{
    folder.Write("VOICE.DAT", "a\tb\tc\td\te\tf\r\n");
    ASSERT_EQ(catalogue.LoadTable().size(), 1u);
    catalogue.SaveTable(MemoTable({Memo("n", "p", "d", "t", "TODO", "")}));
    EXPECT_EQ(folder.Read("VOICE.DAT"), "n\tp\td\tt\tTODO\t\r\n");
    EXPECT_FALSE(folder.Exists("Voice.dat"));
}

TEST_F(CatalogueFileTest, UnreadableFileIsNeverDestroyedBySave)
{
    folder.MakeUnreadable("Voice.dat");
    try {
        catalogue.LoadTable();
        FAIL() << "an unreadable catalogue must not load as empty";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), FormatMessage(messages::kCannotOpen, catalogue.path()));
    }
    EXPECT_TRUE(catalogue.loadFailed());

    // Nothing of ours to keep: the file stays, no error.
    catalogue.SaveTable({});
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path("Voice.dat")));

    // A memo of this session: the save refuses rather than overwrite.
    EXPECT_THROW(catalogue.SaveTable(MemoTable({Memo("new", "p", "d", "t", "TODO", "")})), Error);
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path("Voice.dat")));
}

TEST_F(CatalogueFileTest, LoadCutShortByAnyFailureIsNeverDestroyedBySave)
{
    // Memory running out while the file is read or split, or any other
    // failure on the way, leaves the load unfinished just as a read error.
    struct FailingRead : PosixFileSystem {
        std::function<void()> fail;
        std::optional<std::string> ReadFile(const std::string& path) override
        {
            if (fail)
                std::exchange(fail, nullptr)();
            return PosixFileSystem::ReadFile(path);
        }
    };
    const std::vector<std::function<void()>> failures = {
        [] { throw std::bad_alloc(); },
        [] { throw std::length_error("memo table"); },
    };
    for (std::size_t i = 0; i < failures.size(); ++i) {
        SCOPED_TRACE(i);
        folder.Write("Voice.dat", "old\tp1\td\tt\tTODO\t\r\n");
        FailingRead failing;
        failing.fail = failures[i];
        CatalogueFile cut(failing, folder.dir());
        EXPECT_ANY_THROW(cut.LoadTable());
        EXPECT_TRUE(cut.loadFailed());
        EXPECT_FALSE(cut.SaveTable({}).written);
        EXPECT_EQ(folder.Read("Voice.dat"), "old\tp1\td\tt\tTODO\t\r\n");
        // A memo added meanwhile is saved after the memos the file holds.
        failing.fail = failures[i];
        EXPECT_ANY_THROW(cut.LoadTable());
        cut.SaveTable(MemoTable({Memo("new", "p2", "d", "t", "TODO", "")}));
        EXPECT_EQ(folder.Read("Voice.dat"), "old\tp1\td\tt\tTODO\t\r\nnew\tp2\td\tt\tTODO\t\r\n");
    }
}

TEST_F(CatalogueFileTest, FileReadableAgainAtSaveIsMergedBeforeTheNewMemos)
{
    folder.MakeUnreadable("Voice.dat");
    EXPECT_THROW(catalogue.LoadTable(), Error);
    std::filesystem::remove(folder.path("Voice.dat"));
    folder.Write("Voice.dat", "old\tp1\td\tt\tTODO\t\r\n");

    auto saved = catalogue.SaveTable(MemoTable({Memo("new", "p2", "d", "t", "TODO", "")}));
    ASSERT_TRUE(saved.memos);
    ASSERT_EQ(saved.memos->size(), 2u);
    EXPECT_EQ(saved.memos->memo(0).Title, "old");
    EXPECT_EQ(saved.rowOf, std::vector<std::ptrdiff_t>{1});
    EXPECT_EQ(folder.Read("Voice.dat"), "old\tp1\td\tt\tTODO\t\r\nnew\tp2\td\tt\tTODO\t\r\n");
    EXPECT_FALSE(catalogue.loadFailed());
    // Once merged, a second save of the list shown does not merge again.
    saved = catalogue.SaveTable(*saved.memos);
    EXPECT_FALSE(saved.memos);
    EXPECT_FALSE(saved.written);
    EXPECT_EQ(folder.Read("Voice.dat"), "old\tp1\td\tt\tTODO\t\r\nnew\tp2\td\tt\tTODO\t\r\n");
}

TEST_F(CatalogueFileTest, FailedSaveLeavesTheOldFileAndSaysWhy)
{
    folder.Write("Voice.dat", "old\r\n");
    std::filesystem::permissions(folder.path("Voice.dat"), std::filesystem::perms::owner_read);
    try {
        catalogue.SaveTable(MemoTable({Memo("new", "p", "d", "t", "TODO", "")}));
        FAIL() << "a read-only catalogue must not be replaced";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), FormatMessage(messages::kCannotCreate, catalogue.path()));
    }
    EXPECT_EQ(folder.Read("Voice.dat"), "old\r\n");

    folder.MakeFolder("sub/Voice.dat");
    CatalogueFile inFolder(files, folder.dir() + "sub/");
    EXPECT_THROW(inFolder.SaveTable(MemoTable({Memo("new", "p", "d", "t", "TODO", "")})), Error);
    EXPECT_TRUE(std::filesystem::is_directory(folder.path("sub/Voice.dat")));
}

TEST_F(CatalogueFileTest, WriteThatStopsShortIsAStreamError)
{
    // The disk filling up mid-write cannot be staged here: a file system
    // that reports it stands in.
    struct FullDisk : PosixFileSystem {
        WriteResult ReplaceFile(const std::string&, const std::string&) override { return WriteResult::WriteFailed; }
    } fullDisk;
    CatalogueFile onFullDisk(fullDisk, folder.dir());
    try {
        onFullDisk.SaveTable(MemoTable({Memo("new", "p", "d", "t", "TODO", "")}));
        FAIL() << "a short write must be reported";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), messages::kStreamWriteError);
    }
}

TEST_F(CatalogueFileTest, SaveWithNothingNewLeavesTheFileAlone)
{
    struct CountingFiles : PosixFileSystem {
        int stamps = 0, reads = 0;
        std::optional<FileStamp> StampOf(const std::string& path) override
        {
            ++stamps;
            return PosixFileSystem::StampOf(path);
        }
        std::optional<std::string> ReadFile(const std::string& path) override
        {
            ++reads;
            return PosixFileSystem::ReadFile(path);
        }
    } counting;
    // Written by hand: a save that wrote it would change its line ends and
    // its second line.
    const std::string content = "a\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\nno tabs\n";
    folder.Write("Voice.dat", content);
    CatalogueFile window(counting, folder.dir());
    const MemoTable loaded = window.LoadTable();
    // Touched by another program: another time, the same bytes.
    const auto touched = fs::file_time_type::clock::now() - std::chrono::hours(5);
    fs::last_write_time(folder.path("Voice.dat"), touched);
    const ino_t inode = InodeOf(folder.path("Voice.dat"));
    for (const MemoTable& same : {loaded, MemoTable(loaded.memos())}) {
        const CatalogueSync saved = window.SaveTable(same);
        EXPECT_FALSE(saved.written);
        EXPECT_FALSE(saved.memos);
        // Once the touch is seen, a look at the file is one stat.
        counting.stamps = counting.reads = 0;
        EXPECT_FALSE(window.TakeInChanges(same).memos);
        EXPECT_EQ(counting.stamps, 1);
        EXPECT_EQ(counting.reads, 0);
    }
    EXPECT_EQ(folder.Read("Voice.dat"), content);
    EXPECT_EQ(InodeOf(folder.path("Voice.dat")), inode);
    EXPECT_EQ(fs::last_write_time(folder.path("Voice.dat")), touched);
}

TEST_F(CatalogueFileTest, WhatAnotherProgramWroteMeanwhileIsKept)
{
    auto line = [](const std::string& title, int voice) {
        return title + "\t/x/data/Voice" + std::to_string(voice) + ".wav\t2001/04/05\t09:12:30\tTODO\t\r\n";
    };
    struct Case {
        const char* what;
        std::optional<std::string> loaded;  // none: no file
        bool weRenameTheFirst;
        bool appendedInPlace;  // or renamed over the file, as a sync tool does
        std::string written;
        std::string saved;
    };
    const Case cases[] = {
        {"a line appended while we edited", line("a", 1) + line("b", 2), true, true, line("c", 3),
         line("A", 1) + line("b", 2) + line("c", 3)},
        {"a sync renamed one, removed one and added one", line("a", 1) + line("b", 2) + line("c", 3), false, false,
         line("a", 1) + line("B", 2) + line("d", 4), line("a", 1) + line("B", 2) + line("d", 4)},
        {"arrived while our list was empty", std::nullopt, false, false, line("a", 1), line("a", 1)},
    };
    // The window saves at once, or takes the file in first (as when it is
    // activated) and saves what it then shows.
    for (const bool takeInFirst : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (takeInFirst ? ", taken in first" : ""));
            TempFolder own;
            if (c.loaded)
                own.Write("Voice.dat", *c.loaded);
            CatalogueFile window(files, own.dir());
            MemoTable list = window.LoadTable();
            if (c.weRenameTheFirst) {
                VoiceMemo first = list.memo(0);
                first.Title = "A";
                list.set(0, first);
            }
            if (c.appendedInPlace) {
                std::ofstream(own.path("Voice.dat"), std::ios::app | std::ios::binary) << c.written;
            } else {
                own.Write("Voice.dat.part", c.written);
                fs::rename(own.path("Voice.dat.part"), own.path("Voice.dat"));
            }
            if (takeInFirst) {
                const std::string theirs = own.Read("Voice.dat");
                CatalogueSync taken = window.TakeInChanges(list);
                EXPECT_FALSE(taken.written);
                EXPECT_EQ(own.Read("Voice.dat"), theirs);
                ASSERT_TRUE(taken.memos);
                EXPECT_EQ(taken.memos->ToCatalogueText(), c.saved);
                list = std::move(*taken.memos);
            }
            const CatalogueSync saved = window.SaveTable(list);
            EXPECT_EQ(own.Read("Voice.dat"), c.saved);
            // Written only for a change of ours; the window shows the file.
            EXPECT_EQ(saved.written, c.weRenameTheFirst);
            ASSERT_EQ(saved.memos.has_value(), !takeInFirst);
            if (saved.memos) {
                EXPECT_EQ(saved.memos->ToCatalogueText(), c.saved);
                list = *saved.memos;
            }
            EXPECT_FALSE(window.SaveTable(list).written);
        }
    }
}

TEST_F(CatalogueFileTest, FileRewrittenWhileItIsReadIsNotMergedAndTheListWaits)
{
    // Another program renames a new catalogue over the file at every read,
    // as one writing it over and over: no read sees one file throughout.
    struct RewrittenAtEachRead : PosixFileSystem {
        const TempFolder* folder = nullptr;
        bool busy = true;
        int writes = 0;
        std::optional<std::string> ReadFile(const std::string& path) override
        {
            if (busy) {
                folder->Write("next", "v\t/x/data/Voice" + std::to_string(++writes) + ".wav\t\t\tTODO\t\r\n");
                fs::rename(folder->path("next"), folder->path("Voice.dat"));
            }
            return PosixFileSystem::ReadFile(path);
        }
    } rewriting;
    rewriting.folder = &folder;
    folder.Write("Voice.dat", "a\t/x/data/Voice1.wav\t2001/04/05\t09:12:30\tTODO\t\r\n");
    CatalogueFile window(rewriting, folder.dir());
    const MemoTable loaded = window.LoadTable();
    MemoTable grown = loaded;
    grown.append(Memo("new", "/x/data/Voice999.wav", "d", "t", "TODO", ""));

    EXPECT_FALSE(window.TakeInChanges(grown).memos);
    EXPECT_FALSE(window.SaveTable(loaded).written);  // nothing of ours to lose, nothing said
    try {
        window.SaveTable(grown);
        FAIL() << "a file read half old, half new must not be merged";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), FormatMessage(messages::kCatalogueBeingRewritten, window.path()));
    }
    EXPECT_EQ(folder.Read("Voice.dat").find("new"), std::string::npos);

    // Once the other program is done, the same list saves with its file.
    rewriting.busy = false;
    const CatalogueSync saved = window.SaveTable(grown);
    EXPECT_EQ(folder.Read("Voice.dat"), "v\t/x/data/Voice" + std::to_string(rewriting.writes) +
                                            ".wav\t\t\tTODO\t\r\nnew\t/x/data/Voice999.wav\td\tt\tTODO\t\r\n");
    EXPECT_TRUE(saved.written && saved.memos);
}

TEST_F(CatalogueFileTest, RandomMemosSurviveSaveAndLoad)
{
    std::mt19937 random(20011207);
    // Every byte but TAB, CR, LF and NUL may stand in a field.
    auto field = [&random] {
        std::string text(random() % 12, ' ');
        for (char& c : text) {
            do
                c = static_cast<char>(random() % 256);
            while (c == '\t' || c == '\r' || c == '\n' || c == '\0');
        }
        return text;
    };
    for (int round = 0; round < 50; ++round) {
        std::vector<VoiceMemo> memos(random() % 8 + 1);
        for (auto& memo : memos)
            memo = Memo(field(), field(), field(), field(), field(), field());
        catalogue.SaveTable(MemoTable(memos));
        CatalogueFile reloaded(files, folder.dir());
        ASSERT_EQ(reloaded.LoadTable().memos(), memos) << "round " << round;
    }
}

TEST(MemoTableTest, ReadsAnyTextAsTheLinesDoAndFollowsEveryChange)
{
    std::mt19937 random(20261207);
    // Texts of few distinct bytes, so that TABs, line ends and NULs meet
    // in every order.
    const std::string alphabet = "ab\t\t\r\n\0\x82\xa0"s;
    auto text = [&](std::size_t most) {
        std::string t(random() % most, ' ');
        for (char& c : t)
            c = alphabet[random() % alphabet.size()];
        return t;
    };
    auto memo = [&] { return Memo(text(4), text(4), text(3), text(3), text(3), text(5)); };
    for (int round = 0; round < 300; ++round) {
        const std::string content = text(60);
        MemoTable table = MemoTable::FromCatalogueText(content);
        std::vector<VoiceMemo> expected = ParseCatalogue(content);
        ASSERT_EQ(table.memos(), expected) << "round " << round;

        // The same changes to the table and to a plain list of memos.
        for (int change = 0; change < 6; ++change) {
            const std::size_t at = expected.empty() ? 0 : random() % expected.size();
            switch (random() % 4) {
            case 0:
                expected.push_back(memo());
                table.append(expected.back());
                break;
            case 1: {
                std::vector<VoiceMemo> added{memo(), memo()};
                expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
                table.insert(at, added);
                break;
            }
            case 2:
                if (!expected.empty()) {
                    expected[at] = memo();
                    table.set(at, expected[at]);
                }
                break;
            default:
                if (!expected.empty()) {
                    expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(at));
                    table.erase(at);
                }
            }
        }
        ASSERT_EQ(table.memos(), expected) << "round " << round;
        ASSERT_EQ(table.ToCatalogueText(), FormatCatalogue(expected)) << "round " << round;
        // Its written form, changed and written again: the lines left
        // are copied in runs.
        MemoTable written = table.Written();
        ASSERT_EQ(written.memos(), ParseCatalogue(FormatCatalogue(expected))) << "round " << round;
        if (!expected.empty()) {
            const std::size_t gone = random() % expected.size();
            expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(gone));
            written.erase(gone);
        }
        if (!expected.empty()) {
            const std::size_t at = random() % expected.size();
            expected[at] = memo();
            written.set(at, expected[at]);
        }
        ASSERT_EQ(written.Written().text(), FormatCatalogue(expected)) << "round " << round;
    }
}
