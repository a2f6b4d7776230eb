#include "SettingsCopies.h"

#include "ProfileText.h"
#include "Settings.h"
#include "SyncCopies.h"

namespace voicememo {

namespace {

// The text with the window's place set to one value, so that two texts
// that differ in the place alone become the same. A key one text lacks is
// added where that text puts it, which may differ: such copies stay.
std::string WithoutPlace(const std::string& content)
{
    return WriteProfileValue(WriteProfileValue(content, "Voice", "Left", "0"), "Voice", "Top", "0");
}

bool Gone(Discard outcome) { return outcome == Discard::Trashed || outcome == Discard::Deleted; }

}  // namespace

std::size_t DiscardPlaceOnlySettingsCopies(FileSystem& files, const std::string& exeDir)
{
    const std::string stem = std::string(kSettingsFileName).substr(0, std::string(kSettingsFileName).rfind('.'));
    std::vector<std::string> copies;
    for (std::string& name : files.ListFiles(exeDir, stem, ".ini"))
        if (IsConflictCopyOf(name, kSettingsFileName))
            copies.push_back(std::move(name));
    if (copies.empty())
        return 0;
    const auto settings = files.ReadFile(exeDir + kSettingsFileName);
    if (!settings)
        return 0;
    const std::string ours = WithoutPlace(*settings);
    std::size_t discarded = 0;
    for (const std::string& name : copies) {
        const auto copy = files.ReadFile(exeDir + name);
        if (copy && WithoutPlace(*copy) == ours && Gone(files.DiscardFileIn(exeDir + name, exeDir)))
            ++discarded;
    }
    return discarded;
}

}  // namespace voicememo
