#include <gtest/gtest.h>

#include "ByteText.h"
#include "CatalogueFile.h"
#include "Error.h"
#include "Messages.h"
#include "PosixFileSystem.h"
#include "TempFolder.h"
#include "VoiceStore.h"

using namespace voicememo;
using voicememo::testing::TempFolder;

namespace {

class VoiceStoreTest : public ::testing::Test {
protected:
    std::string Data(const std::string& name) const { return folder.dir() + "data/" + name; }

    std::vector<std::string> Unused(const std::vector<std::string>& memoPaths,
                                    const std::vector<std::string>& settingsLines = {})
    {
        std::vector<std::string> names;
        store.FindUnusedVoiceFiles(memoPaths, settingsLines,
                                   [&](const std::string& name, const std::string& path) {
                                       EXPECT_EQ(path, Data(name));
                                       names.push_back(name);
                                   });
        return names;
    }

    TempFolder folder;
    PosixFileSystem files;
    VoiceStore store{files, folder.dir()};
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(VoiceStoreTest, NextNameFillsGapsFirst)
{
    folder.MakeFolder("data");
    EXPECT_EQ(store.NextVoiceFileName(), Data("Voice1.wav"));
    folder.Write("data/Voice1.wav", "");
    folder.Write("data/voice3.WAV", "");
    EXPECT_EQ(store.NextVoiceFileName(), Data("Voice2.wav"));
    store.Reserve(store.NextVoiceFileName());
    EXPECT_TRUE(folder.Exists("data/Voice2.wav"));
    EXPECT_EQ(store.NextVoiceFileName(), Data("Voice4.wav"));
}

TEST_F(VoiceStoreTest, FolderOfAVoiceNameIsNotTakenButCannotBeReserved)
{
    folder.MakeFolder("data/Voice1.wav");
    std::string next = store.NextVoiceFileName();
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
        store.Reserve(store.NextVoiceFileName());
        FAIL() << "reserving without a data folder must fail";
    } catch (const Error& error) {
        EXPECT_EQ(error.message(), messages::kInvalidFileName);
    }
    EXPECT_FALSE(folder.Exists("data"));
}

TEST_F(VoiceStoreTest, ReserveEmptiesTheFileAndRemoveDeletesIt)
{
    folder.Write("data/Voice5.wav", "RIFF....");
    store.Reserve(Data("voice5.wav"));
    EXPECT_EQ(folder.Read("data/Voice5.wav"), "");
    EXPECT_FALSE(folder.Exists("data/voice5.wav"));
    store.Remove(Data("VOICE5.WAV"));
    EXPECT_FALSE(folder.Exists("data/Voice5.wav"));
    store.Remove(Data("Voice5.wav"));  // already gone: nothing happens
}

TEST_F(VoiceStoreTest, AllNamesTakenIsRefusedWithoutTouchingAFile)
{
    for (int n = 1; n <= kHighestVoiceNumber; ++n)
        folder.Write("data/Voice" + std::to_string(n) + ".wav", "x");
    EXPECT_THROW(store.NextVoiceFileName(), Error);
    EXPECT_EQ(folder.Read("data/Voice1.wav"), "x");
    EXPECT_EQ(folder.Read("data/Voice999.wav"), "x");
}

TEST_F(VoiceStoreTest, UnusedFilesAreThoseNoMemoAndNoSettingNames)
{
    for (const char* name : {"Voice1.wav", "voice5.WAV", "Voice7.wav", "Voice12.wav", "Memo1.wav",
                             "Voice8.wave", "Voice.wav", ".Voice9.wav", "Voicex.wav"})
        folder.Write(std::string("data/") + name, "");
    folder.MakeFolder("data/Voice20.wav");

    Names unused = Unused({Data("Voice5.wav"), Data("Voice12.wav")},
                          {"[Alarm]", "Alarm1=" + Data("Voice7.wav"), "Other=/else/data/Voice1.wav"});
    // Voice1.wav occurs inside no text: .../Voice12.wav does not hold it whole.
    // The folder Voice20.wav is no voice file.
    EXPECT_EQ(unused, (Names{"Voice.wav", "Voice1.wav", "Voicex.wav"}));
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
    store.FindUnusedVoiceFiles({}, {}, [](const std::string&, const std::string&) {},
                               [&pumped] { ++pumped; });
    EXPECT_EQ(pumped, 2);
}
