#include "VoiceStore.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "ByteText.h"
#include "CatalogueText.h"
#include "Error.h"
#include "Messages.h"
#include "TakeKeys.h"

namespace voicememo {

namespace {
constexpr const char* kDataFolder = "data";
constexpr const char* kVoicePrefix = "Voice";
constexpr const char* kVoiceSuffix = ".wav";

// A name's key for the order a person counts in: ASCII letters lowered, and
// each run of digits as its number, padded to one width, so that keys
// compare as plain bytes (Voice2 before Voice10, voice03 beside Voice3).
std::string NaturalKey(std::string_view name)
{
    constexpr std::size_t kWidth = 20;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::string key;
    key.reserve(name.size() + kWidth);
    for (std::size_t at = 0; at < name.size();) {
        if (!isDigit(name[at])) {
            key += LowerAscii(name[at++]);
            continue;
        }
        std::size_t end = at;
        while (end < name.size() && isDigit(name[end]))
            ++end;
        std::string_view number = name.substr(at, end - at);
        number.remove_prefix(std::min(number.find_first_not_of('0'), number.size()));
        if (number.size() < kWidth)
            key.append(kWidth - number.size(), '0');
        key += number;
        at = end;
    }
    return key;
}

}  // namespace

// The comparison keys of a folder's names, and which of them some text
// names: a text names one when the folder followed by the name occurs in it
// as a whole (all compared as keys). The names are kept sorted, so that the names beginning with
// what follows the folder in a text narrow down one byte at a time.
class VoiceStore::NameIndex {
public:
    explicit NameIndex(std::vector<std::string> names) : names_(std::move(names))
    {
        if (!std::is_sorted(names_.begin(), names_.end()))  // a listing comes sorted already
            std::sort(names_.begin(), names_.end());
        names_.erase(std::unique(names_.begin(), names_.end()), names_.end());
        taken_.assign(names_.size(), false);
        left_ = names_.size();
    }

    bool allTaken() const { return left_ == 0; }

    bool taken(const std::string& name) const
    {
        auto at = std::lower_bound(names_.begin(), names_.end(), name);
        return at != names_.end() && *at == name && taken_[static_cast<std::size_t>(at - names_.begin())];
    }

    // Marks the names that follow the folder at any of its occurrences in
    // the text, overlapping ones too (both lower-cased).
    void TakeNamesAfter(std::string_view text, std::string_view folder)
    {
        for (std::size_t at = text.find(folder); at != std::string_view::npos; at = text.find(folder, at + 1))
            TakeNamesAt(text.substr(at + folder.size()));
    }

    // Marks the name, where the index holds it.
    void TakeName(const std::string& name)
    {
        auto at = std::lower_bound(names_.begin(), names_.end(), name);
        if (at != names_.end() && *at == name)
            Take(static_cast<std::size_t>(at - names_.begin()));
    }

private:
    // Marks every name the text begins with.
    void TakeNamesAt(std::string_view text)
    {
        std::size_t first = 0, last = names_.size();
        for (std::size_t depth = 0; first < last; ++depth) {
            // The names in [first, last) all begin with text's first depth
            // bytes; sorted, the one of exactly that length comes first.
            if (names_[first].size() == depth) {
                Take(first);
                if (++first == last)
                    break;
            }
            if (depth == text.size())
                break;
            const char next = text[depth];
            auto byteAt = [depth](const std::string& name) { return name[depth]; };
            auto begin = names_.begin() + static_cast<std::ptrdiff_t>(first);
            auto end = names_.begin() + static_cast<std::ptrdiff_t>(last);
            auto low = std::partition_point(begin, end, [&](const std::string& name) {
                return static_cast<unsigned char>(byteAt(name)) < static_cast<unsigned char>(next);
            });
            auto high = std::partition_point(low, end, [&](const std::string& name) { return byteAt(name) == next; });
            first = static_cast<std::size_t>(low - names_.begin());
            last = static_cast<std::size_t>(high - names_.begin());
        }
    }

    void Take(std::size_t at)
    {
        if (!taken_[at]) {
            taken_[at] = true;
            --left_;
        }
    }

    std::vector<std::string> names_;
    std::vector<bool> taken_;
    std::size_t left_ = 0;
};

VoiceStore::VoiceStore(FileSystem& files, const std::string& exeDir)
    : files_(files),
      folder_(exeDir + kDataFolder + kPathSeparator)
{
}

std::string VoiceStore::NextVoiceFileName(const std::vector<std::string>& memoPaths)
{
    TakeKeys keys(files_, folder_);
    std::unordered_set<std::string> named;
    for (const std::string& path : memoPaths)
        if (std::string key = keys.KeyOf(path); TakeKeys::IsTakeKey(key))
            named.insert(std::move(key));
    for (int number = 1; number <= kHighestVoiceNumber; ++number) {
        const std::string name = kVoicePrefix + DecimalText(number) + kVoiceSuffix;
        if (!named.contains(keys.KeyOfName(name)) && !keys.InOurFolder(name) && !files_.FileExists(folder_ + name))
            return folder_ + name;
    }
    throw Error(std::string(messages::kNoFreeVoiceName));
}

void VoiceStore::TakeNamesIn(NameIndex& index, const std::vector<std::string>& texts)
{
    const std::string folderKey = files_.ComparisonKey(folder_);
    for (const std::string& text : texts) {
        if (index.allTaken())
            break;
        index.TakeNamesAfter(files_.ComparisonKey(text), folderKey);
    }
}

bool VoiceStore::Reserve(const std::string& path) { return files_.CreateNewFile(path); }

std::string VoiceStore::ReserveNext(const std::vector<std::string>& memoPaths)
{
    // A name lost is counted as taken: what took it may not look like a
    // file (a link leading nowhere).
    std::vector<std::string> taken = memoPaths;
    for (;;) {
        std::string path = NextVoiceFileName(taken);
        if (Reserve(path))
            return path;
        taken.push_back(std::move(path));
    }
}

Discard VoiceStore::Remove(const std::string& path, const std::vector<std::string>& otherMemoPaths, bool forGood)
{
    TakeKeys keys(files_, folder_);
    const std::string key = keys.KeyOf(path);
    for (const std::string& other : otherMemoPaths)
        if (keys.KeyOf(other) == key)
            return Discard::NamedElsewhere;
    return forGood ? files_.DeleteForGoodIn(path, folder_) : files_.DiscardFileIn(path, folder_);
}

// A path that names a missing file is mapped onto a file of our data
// folder only by the key of its take: a path whose file is there is never
// moved onto another take, and a path in our folder stays as it is spelt.
std::size_t VoiceStore::FollowMovedFolder(MemoTable& memos)
{
    TakeKeys keys(files_, folder_);
    std::size_t moved = 0;
    for (std::size_t row = 0; row < memos.size(); ++row) {
        const std::string_view path = memos.field(row, MemoTable::kFilePath);
        // A start with a large catalogue waits for this loop: a path in our
        // folder as we write it is passed over first.
        if (path.starts_with(folder_) && path.find(kPathSeparator, folder_.size()) == std::string_view::npos)
            continue;
        const std::optional<std::string> take = keys.MovedTake(path);
        if (!take)
            continue;
        VoiceMemo memo = memos.memo(row);
        memo.FilePath = folder_ + *take;
        memos.set(row, memo);
        ++moved;
    }
    return moved;
}

void VoiceStore::FindUnusedVoiceFiles(const std::vector<std::string>& memoPaths,
                                      const std::vector<std::string>& settingsLines, const UnusedFileFound& found,
                                      const std::function<void()>& pumpEvents)
{
    // A name the catalogue cannot hold exactly as the disk has it would
    // give a memo on another file than this one: it is never adopted.
    std::vector<std::string> names = files_.ListFiles(folder_, kVoicePrefix, kVoiceSuffix);
    std::erase_if(names, [](const std::string& name) {
        return name.empty() || name[0] == '.' || !catalogue_text::HasNoControlCharacter(name);
    });
    std::vector<std::string> keys;
    keys.reserve(names.size());
    for (const std::string& name : names)
        keys.push_back(files_.ComparisonKey(name));

    // Every text is scanned once for the folder, and whatever follows each
    // place the folder occurs is matched against the names of the listing.
    // A memo takes a name by the key of its take; a line of the settings
    // (the calendar's alarms) by naming our folder followed by the name.
    NameIndex index(keys);
    TakeKeys takeKeys(files_, folder_);
    for (const std::string& path : memoPaths)
        if (const std::string key = takeKeys.KeyOf(path); TakeKeys::IsTakeKey(key))
            index.TakeName(key.substr(std::string_view("data/").size()));
    TakeNamesIn(index, settingsLines);

    // Adopted in the order a person counts them: Voice2 before Voice10.
    std::vector<std::pair<std::string, std::size_t>> counted;
    counted.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        counted.emplace_back(NaturalKey(names[i]), i);
    std::stable_sort(counted.begin(), counted.end());
    for (const auto& [orderKey, i] : counted) {
        if (pumpEvents)
            pumpEvents();
        if (index.taken(keys[i]))
            continue;
        // Folders are not listed: one of a voice file's name could be
        // neither played nor deleted.
        found(names[i], folder_ + names[i]);
    }
}

}  // namespace voicememo
