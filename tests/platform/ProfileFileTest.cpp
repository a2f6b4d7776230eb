#include "ProfileFile.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "Error.h"

namespace voicememo {
namespace {

// Files held in memory; a file can be made unreadable and replacing can be
// made to fail, in which case the old content stays as a real replace would.
class FakeFileSystem : public FileSystem {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> unreadable;
    WriteResult replaceResult = WriteResult::Done;
    int replaceCalls = 0;
    int readCalls = 0;

    bool FileExists(const std::string& path) override { return files.contains(path); }

    std::optional<std::string> ReadFile(const std::string& path) override
    {
        ++readCalls;
        if (!files.contains(path) || unreadable.contains(path))
            return std::nullopt;
        return files.at(path);
    }

    WriteResult ReplaceFile(const std::string& path, const std::string& bytes) override
    {
        ++replaceCalls;
        if (replaceResult == WriteResult::Done)
            files[path] = bytes;
        return replaceResult;
    }

    void CreateEmptyFile(const std::string& path) override { files[path] = ""; }
    bool DeleteFile(const std::string& path) override { return files.erase(path) > 0; }
    std::vector<std::string> ListFiles(const std::string&, const std::string&, const std::string&) override
    {
        return {};
    }
};

const std::string kPath = "C:\\VOICE\\MEMO.INI";
// "C:\VOICE\MEMO.INI に書き込めません"
const std::string kCannotWriteMessage =
    "C:\\VOICE\\MEMO.INI \x82\xc9\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1";

std::string WriteErrorMessage(ProfileFile& profile)
{
    try {
        profile.WriteString("Memo", "Count", "3");
    } catch (const Error& error) {
        return error.message();
    }
    return "(no error)";
}

TEST(ProfileFileTest, ReadsFromTheFileOrGivesNothing)
{
    FakeFileSystem files;
    ProfileFile profile(files, kPath);
    EXPECT_EQ(profile.ReadString("Memo", "Count"), std::nullopt);

    files.files[kPath] = "[Memo]\r\nCount=7\r\n";
    EXPECT_EQ(profile.ReadString("memo", "count"), "7");

    files.unreadable.insert(kPath);
    EXPECT_EQ(profile.ReadString("Memo", "Count"), std::nullopt);
}

TEST(ProfileFileTest, WriteCreatesOrEditsTheFile)
{
    FakeFileSystem files;
    ProfileFile profile(files, kPath);
    profile.WriteString("Memo", "Count", "3");
    EXPECT_EQ(files.files[kPath], "[Memo]\r\nCount=3\r\n");

    files.files[kPath] = ";x\n[Memo]\nCount=1\nOther=2\n";
    profile.WriteString("Memo", "Count", "3");
    EXPECT_EQ(files.files[kPath], ";x\n[Memo]\nCount=3\nOther=2\n");
}

TEST(ProfileFileTest, WritingTheSameValueLeavesTheFileAlone)
{
    FakeFileSystem files;
    files.files[kPath] = "[Memo]\nCount=3\n";
    ProfileFile profile(files, kPath);
    profile.WriteString("Memo", "Count", "3");
    EXPECT_EQ(files.replaceCalls, 0);
}

TEST(ProfileFileTest, UnreadableFileIsNeverOverwritten)
{
    FakeFileSystem files;
    files.files[kPath] = "[Memo]\nCount=1\n";
    files.unreadable.insert(kPath);
    ProfileFile profile(files, kPath);
    EXPECT_EQ(WriteErrorMessage(profile), kCannotWriteMessage);
    EXPECT_EQ(files.replaceCalls, 0);
    EXPECT_EQ(files.files[kPath], "[Memo]\nCount=1\n");
}

TEST(ProfileFileTest, FailedReplaceThrows)
{
    for (const auto result : {WriteResult::CannotCreate, WriteResult::WriteFailed}) {
        SCOPED_TRACE(static_cast<int>(result));
        FakeFileSystem files;
        files.replaceResult = result;
        ProfileFile profile(files, kPath);

        EXPECT_EQ(WriteErrorMessage(profile), kCannotWriteMessage);
        EXPECT_FALSE(files.FileExists(kPath));

        files.files[kPath] = "[Memo]\nCount=1\n";
        EXPECT_EQ(WriteErrorMessage(profile), kCannotWriteMessage);
        EXPECT_EQ(files.files[kPath], "[Memo]\nCount=1\n");
    }
}

TEST(ProfileReadOnceTest, ReadsTheFileOnceForEveryKeyAndAnewAfterAWrite)
{
    FakeFileSystem files;
    files.files[kPath] = "[Memo]\nCount=7\nLeft=5\n";
    ProfileReadOnce profile(files, kPath);
    EXPECT_EQ(profile.ReadString("Memo", "Count"), "7");
    files.files[kPath] = "[Memo]\nCount=8\n";  // the first reading stands
    EXPECT_EQ(profile.ReadString("memo", "left"), "5");
    EXPECT_EQ(profile.ReadString("Memo", "Top"), std::nullopt);
    EXPECT_EQ(files.readCalls, 1);

    profile.WriteString("Memo", "Top", "9");
    EXPECT_EQ(files.files[kPath], "[Memo]\nCount=8\nTop=9\r\n");
    EXPECT_EQ(profile.ReadString("Memo", "Count"), "8");
    EXPECT_EQ(profile.ReadString("Memo", "Top"), "9");
}

}  // namespace
}  // namespace voicememo
