// Which links of the program's folder may be written through: into the
// folder, or onto a file of the link's own name; never out to another of
// the user's files.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "CatalogueFile.h"
#include "Error.h"
#include "Messages.h"
#include "PosixFileSystem.h"
#include "TempFolder.h"

using namespace voicememo;
using voicememo::testing::TempFolder;

TEST(OutwardLinksTest, ALinkIsWrittenThroughOnlyIntoTheFolderOrOntoItsOwnName)
{
    TempFolder scratch;
    scratch.Write("app/kept/list.txt", "");
    scratch.Write("app2/list.txt", "");
    scratch.Write("home/.bashrc", "");
    scratch.Write("home/Sync/VOICE.DAT", "");
    scratch.Write("home/Sync/sorvane.ini", "");
    scratch.Write("home/.config/app.ini", "");
    std::filesystem::create_symlink("../home/.bashrc", scratch.path("home/Voice.dat"));
    std::filesystem::create_symlink("../home/.bashrc", scratch.path("app/inner.dat"));
    std::filesystem::create_symlink("app", scratch.path("applink"));
    struct Case {
        const char* name;     // in app/
        const char* leadsTo;  // nothing: a file of its own
        const char* outTo;    // nothing: may be written through
    };
    for (const auto& [name, leadsTo, outTo] : std::initializer_list<Case>{
             {"Voice.dat", nullptr, nullptr},
             {"Voice.dat", "kept/list.txt", nullptr},
             {"Voice.dat", "../home/Sync/VOICE.DAT", nullptr},  // a catalogue kept elsewhere
             {"Voice.dat", "../home/Sync/missing/Voice.dat", nullptr},
             {"Voice.dat", "../home/gone/notes.txt", "home/gone/notes.txt"},
             {"Voice.dat", "../home/.bashrc", "home/.bashrc"},
             {"Voice.dat", "../home/new.txt", "home/new.txt"},    // not there yet
             {"Voice.dat", "../app2/list.txt", "app2/list.txt"},  // a folder whose name begins as ours
             {"Voice.dat", "../home/Voice.dat", "home/.bashrc"},  // the end of the chain decides
             {"Voice.dat", "inner.dat", "home/.bashrc"},
             {"Voice.dat", "../applink/kept/list.txt", nullptr},
             {"sorvane.ini", "../home/Sync/sorvane.ini", nullptr},
             {"sorvane.ini", "../home/.config/app.ini", "home/.config/app.ini"},
         }) {
        SCOPED_TRACE(std::string(name) + " -> " + (leadsTo ? leadsTo : "itself"));
        const std::filesystem::path file = scratch.path("app") / name;
        std::filesystem::remove(file);
        if (leadsTo)
            std::filesystem::create_symlink(leadsTo, file);
        else
            scratch.Write(std::string("app/") + name, "");
        PosixFileSystem files;
        // Reached through a link to the folder too: the folder's real place counts.
        for (const std::string& folder : {scratch.dir() + "app/", scratch.dir() + "applink/"}) {
            const auto out = files.LinkLeadingOut(folder + name);
            if (outTo)
                EXPECT_EQ(out, std::optional(std::filesystem::canonical(scratch.path("")).string() + "/" + outTo));
            else
                EXPECT_EQ(out, std::nullopt);
        }
    }
}

// A link planted while the window is open: its first save says so, and from
// then on every save only reads; the file it leads to is never written.
TEST(OutwardLinksTest, ALinkPlantedAfterTheLoadIsSaidOnceAndNeverWritten)
{
    TempFolder scratch;
    scratch.Write("app/Voice.dat", "a\t/v/1.wav\t2025/01/02\t09:08:07\tTODO\t\r\n");
    scratch.Write("home/.profile", "umask 022\n");
    PosixFileSystem files;
    CatalogueFile catalogue(files, scratch.dir() + "app/");
    MemoTable memos = catalogue.LoadTable();
    ASSERT_EQ(catalogue.linkLeadingOut(), std::nullopt);
    std::filesystem::remove(scratch.path("app/Voice.dat"));
    std::filesystem::create_symlink("../home/.profile", scratch.path("app/Voice.dat"));
    memos.append({"b", "/v/2.wav", "2025/01/02", "09:08:07", "TODO", ""});
    try {
        catalogue.SaveTable(memos);
        ADD_FAILURE() << "saved through the link";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), FormatMessage(messages::kLinkLeadsOut, scratch.dir() + "app/Voice.dat",
                                                 scratch.dir() + "home/.profile"));
    }
    for (const MemoTable& list : {memos, MemoTable()}) {  // an emptied list deletes nothing either
        EXPECT_NO_THROW(catalogue.SaveTable(list));
        EXPECT_EQ(scratch.Read("home/.profile"), "umask 022\n");
        EXPECT_TRUE(std::filesystem::is_symlink(scratch.path("app/Voice.dat")));
    }
    EXPECT_EQ(scratch.Entries("home"), std::vector<std::string>{".profile"});
}
