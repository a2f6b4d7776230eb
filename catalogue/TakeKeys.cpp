#include "TakeKeys.h"

#include <utility>

#include "ByteText.h"

namespace voicememo {

namespace {
constexpr std::string_view kTakePrefix = "data/";

// A path with no part that lexical normalisation would change.
bool LooksNormal(std::string_view path)
{
    return path.find("//") == std::string_view::npos && path.find("/./") == std::string_view::npos &&
           path.find("/../") == std::string_view::npos && !path.ends_with("/.") && !path.ends_with("/..");
}

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// An absolute path whose folder is called data (in any letter case).
bool EndsInDataFolder(std::string_view folder)
{
    constexpr std::string_view kData = "/data/";
    return folder.size() > kData.size() && LowerAscii(folder.substr(folder.size() - kData.size())) == kData;
}
}  // namespace

TakeKeys::TakeKeys(FileSystem& files, std::string dataFolder) : files_(files), dataFolder_(std::move(dataFolder)) {}

bool TakeKeys::IsTakeKey(std::string_view key) { return key.starts_with(kTakePrefix); }

std::string TakeKeys::NameKey(std::string_view name)
{
    // Most names are plain ASCII, whose key is their lower case.
    return IsAscii(name) ? LowerAscii(name) : files_.ComparisonKey(name);
}

std::string TakeKeys::KeyOfName(std::string_view name) { return std::string(kTakePrefix) + NameKey(name); }

const TakeKeys::FolderLook& TakeKeys::LookAtFolder(std::string_view folder)
{
    if (last_ && folder == lastFolder_)
        return *last_;
    if (folder == dataFolder_) {
        last_ = &OurFolder();
    } else if (auto found = folders_.find(std::string(folder)); found != folders_.end()) {
        last_ = &found->second;
    } else {
        FolderLook look;
        look.calledData = EndsInDataFolder(folder);
        const std::optional<FolderIdentity> identity = files_.IdentityOfFolder(std::string(folder));
        if (!dataIdentity_)
            dataIdentity_ = files_.IdentityOfFolder(dataFolder_);
        look.ours = identity && identity == dataIdentity_;
        if (look.ours)
            look.nameKeys = OurFolder().nameKeys;
        else if (identity)  // a folder that is not there holds no file
            for (const std::string& name : files_.ListFiles(std::string(folder), "", ""))
                look.nameKeys.insert(NameKey(name));
        last_ = &folders_.emplace(std::string(folder), std::move(look)).first->second;
    }
    lastFolder_ = folder;
    return *last_;
}

const TakeKeys::FolderLook& TakeKeys::OurFolder()
{
    if (!ours_) {
        FolderLook look;
        look.ours = true;
        look.calledData = true;
        for (const std::string& name : files_.ListFiles(dataFolder_, "", ""))
            look.nameKeys.insert(NameKey(name));
        ours_ = &folders_.emplace(dataFolder_, std::move(look)).first->second;
    }
    return *ours_;
}

bool TakeKeys::InOurFolder(std::string_view name) { return OurFolder().nameKeys.contains(NameKey(name)); }

TakeKeys::Look TakeKeys::LookAt(std::string_view path)
{
    std::string normalised;
    const std::string_view normal = LooksNormal(path) ? path : std::string_view(normalised = LexicallyNormal(path));
    const std::string_view folder = FolderPart(normal);
    const std::string_view name = FileNamePart(normal);
    Look look;
    if (!name.empty() && !folder.empty() && folder.front() == kPathSeparator) {
        const FolderLook& there = LookAtFolder(folder);
        const std::string nameKey = NameKey(name);
        look.inOurFolder = there.ours;
        look.missing = !there.nameKeys.contains(nameKey);
        if (there.ours || (look.missing && there.calledData)) {
            look.takeName = name;
            look.key = std::string(kTakePrefix) + nameKey;
            return look;
        }
    }
    look.key = files_.ComparisonKey(normal);
    // A relative path never reads as a take's key.
    if (IsTakeKey(look.key))
        look.key.insert(0, "./");
    return look;
}

}  // namespace voicememo

namespace voicememo {

std::optional<std::string> TakeKeys::MovedTake(std::string_view path)
{
    std::string normalised;
    const std::string_view normal = LooksNormal(path) ? path : std::string_view(normalised = LexicallyNormal(path));
    const std::string_view folder = FolderPart(normal);
    const std::string_view name = FileNamePart(normal);
    if (name.empty() || folder.empty() || folder.front() != kPathSeparator)
        return std::nullopt;
    const FolderLook& there = LookAtFolder(folder);
    if (there.ours || !there.calledData)
        return std::nullopt;
    const std::string nameKey = NameKey(name);
    if (there.nameKeys.contains(nameKey) || !OurFolder().nameKeys.contains(nameKey))
        return std::nullopt;
    return std::string(name);
}

}  // namespace voicememo
