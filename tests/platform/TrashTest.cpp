// The trash as an ordinary user finds it on a disk shared with another user
// (a tmpfs mounted 1777, as a USB stick is): a take goes only into a trash
// that no one else may enter, and stays where none can be had.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "AsUser.h"
#include "PosixFileSystem.h"
#include "SmallDisk.h"
#include "TempFolder.h"
#include "Trash.h"

namespace voicememo {
namespace {

using testing::TempFolder;
namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 65533;  // the second user who shares the disk

enum class Home { Elsewhere, OnDisk, None };

struct TrashCase {
    const char* name;
    std::function<void(const std::string& top)> plant;  // as root, before the user deletes
    Home home;
    const char* expected;
};

void Folder(const std::string& path, mode_t mode, uid_t owner)
{
    fs::create_directory(path);
    ::chown(path.c_str(), owner, owner);
    ::chmod(path.c_str(), mode);
}

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

void Link(const std::string& path, const std::string& target, uid_t owner)
{
    fs::create_symlink(target, path);
    ::lchown(path.c_str(), owner, owner);
}

// "Trashed <where> <trash mode> <note's Path line>", paths from the disk's
// top; or the outcome and whether the take is still there.
std::string Discarded(const std::string& top)
{
    const std::string take = top + "/data/Voice1.wav";
    PosixFileSystem files;
    const Discard outcome = files.DiscardFileIn(take, top + "/data/");
    if (outcome != Discard::Trashed)
        return (outcome == Discard::NoTrash ? "NoTrash" : "outcome " + std::to_string(static_cast<int>(outcome))) +
               (fs::exists(take) ? ", kept" : ", gone");
    const std::string where = WhereTrashed(take).value_or("?");
    const fs::path trash = fs::path(where).parent_path().parent_path();
    struct stat info {};
    ::lstat(trash.c_str(), &info);
    std::ifstream in(trash / "info" / (fs::path(where).filename().string() + ".trashinfo"));
    const std::string note{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto path = note.find("\nPath=");
    char mode[8];
    std::snprintf(mode, sizeof mode, "%o", info.st_mode & 07777);
    std::string text = "Trashed " + fs::relative(where, top).string() + " " + mode + " " +
                       note.substr(path + 1, note.find('\n', path + 1) - path - 1);
    for (auto at = text.find(top); at != std::string::npos; at = text.find(top))
        text.replace(at, top.size(), "$top");
    return text;
}

TEST(Trash, OnlyATrashNoOneElseMayEnterTakesATake)
{
    const uid_t me = testing::UnprivilegedUid();
    const std::string uid = std::to_string(me);
    const TrashCase cases[] = {
        {"fresh disk", {}, Home::Elsewhere, "Trashed .Trash-65534/files/Voice1.wav 700 Path=data/Voice1.wav"},
        {"another user's .Trash-uid, 777",
         [&](const std::string& top) { Folder(top + "/.Trash-" + uid, 0777, kOtherUser); }, Home::Elsewhere,
         "NoTrash, kept"},
        {".Trash-uid a link to another user's folder",
         [&](const std::string& top) {
             Folder(top + "/theirs", 0777, kOtherUser);
             Link(top + "/.Trash-" + uid, "theirs", kOtherUser);
         },
         Home::Elsewhere, "NoTrash, kept"},
        {"our .Trash-uid, open to others", [&](const std::string& top) { Folder(top + "/.Trash-" + uid, 0755, me); },
         Home::Elsewhere, "NoTrash, kept"},
        {"a name taken in our .Trash-uid",
         [&](const std::string& top) {
             Folder(top + "/.Trash-" + uid, 0700, me);
             Folder(top + "/.Trash-" + uid + "/files", 0700, me);
             Folder(top + "/.Trash-" + uid + "/info", 0700, me);
             WriteFile(top + "/.Trash-" + uid + "/files/Voice1.wav", "older");
         },
         Home::Elsewhere, "Trashed .Trash-65534/files/Voice1.2.wav 700 Path=data/Voice1.wav"},
        {"a shared .Trash with the sticky bit", [&](const std::string& top) { Folder(top + "/.Trash", 01777, 0); },
         Home::Elsewhere, "Trashed .Trash/65534/files/Voice1.wav 700 Path=data/Voice1.wav"},
        {"a shared .Trash without the sticky bit", [&](const std::string& top) { Folder(top + "/.Trash", 0777, 0); },
         Home::Elsewhere, "Trashed .Trash-65534/files/Voice1.wav 700 Path=data/Voice1.wav"},
        {"our folder in .Trash made by another user",
         [&](const std::string& top) {
             Folder(top + "/.Trash", 01777, 0);
             Folder(top + "/.Trash/" + uid, 0777, kOtherUser);
         },
         Home::Elsewhere, "Trashed .Trash-65534/files/Voice1.wav 700 Path=data/Voice1.wav"},
        {".Trash a link to a sticky folder",
         [&](const std::string& top) {
             Folder(top + "/shared", 01777, 0);
             Link(top + "/.Trash", "shared", kOtherUser);
         },
         Home::Elsewhere, "Trashed .Trash-65534/files/Voice1.wav 700 Path=data/Voice1.wav"},
        {"a disk whose top we may not write, no home", [&](const std::string& top) { ::chmod(top.c_str(), 0755); },
         Home::None, "NoTrash, kept"},
        {"the home trash on the same disk",
         {},
         Home::OnDisk,
         "Trashed home/Trash/files/Voice1.wav 700 Path=$top/data/Voice1.wav"},
        {"the home trash on the disk, another user's",
         [&](const std::string& top) {
             Folder(top + "/home", 0700, me);
             Folder(top + "/home/Trash", 0777, kOtherUser);
         },
         Home::OnDisk, "Trashed .Trash-65534/files/Voice1.wav 700 Path=data/Voice1.wav"},
    };
    for (const TrashCase& row : cases) {
        TempFolder disk;
        TempFolder home;
        ::chmod(disk.path("").c_str(), 0755);
        const std::string top = fs::path(disk.dir()).parent_path().string();
        const auto result = testing::RunOnSmallDisk(top, 1024, [&] {
            ::chmod(top.c_str(), 01777);
            Folder(top + "/data", 0755, me);
            WriteFile(top + "/data/Voice1.wav", "take");
            ::chown((top + "/data/Voice1.wav").c_str(), me, me);
            if (row.home == Home::OnDisk) {
                Folder(top + "/home", 0700, me);
                ::setenv("XDG_DATA_HOME", (top + "/home").c_str(), 1);
            } else if (row.home == Home::Elsewhere) {
                Folder(home.path("share").string(), 0700, me);
                ::setenv("XDG_DATA_HOME", home.path("share").c_str(), 1);
            } else {
                ::unsetenv("XDG_DATA_HOME");
                ::unsetenv("HOME");
            }
            if (row.plant)
                row.plant(top);
            return testing::RunUnprivileged([&] { return Discarded(top); }).value_or("could not give up root");
        });
        if (!result)
            GTEST_SKIP() << "no right to mount a disk of the test's own";
        // Only root mounts: the user is always nobody (65534) here.
        EXPECT_EQ(*result, row.expected) << row.name;
    }
}

}  // namespace
}  // namespace voicememo
