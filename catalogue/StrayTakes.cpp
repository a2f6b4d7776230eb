#include "StrayTakes.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "ByteText.h"
#include "Calendar.h"
#include "Error.h"
#include "SyncCopies.h"
#include "VoiceStore.h"

namespace voicememo {

namespace {

// "（別のコンピューター）" and "（別の録音）"
constexpr std::string_view kFromOtherMachine =
    "\x81\x69\x95\xca\x82\xcc\x83\x52\x83\x93\x83\x73\x83\x85\x81\x5b\x83\x5e\x81\x5b\x81\x6a";
constexpr std::string_view kOtherTake = "\x81\x69\x95\xca\x82\xcc\x98\x5e\x89\xb9\x81\x6a";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number as a person writes it: no sign, no leading zero.
bool IsCount(std::string_view text, std::size_t mostDigits)
{
    return !text.empty() && text.size() <= mostDigits && text[0] != '0' &&
           std::all_of(text.begin(), text.end(), IsDigit);
}

bool IsVoiceStem(std::string_view stem)
{
    return stem.size() > 5 && LowerAscii(stem.substr(0, 5)) == "voice" && IsCount(stem.substr(5), 3);
}

}  // namespace

std::optional<TakeBeside> RecogniseTakeBeside(std::string_view name)
{
    constexpr std::string_view kWav = ".wav";
    if (name.size() <= kWav.size() || name[0] == '.' || LowerAscii(name.substr(name.size() - kWav.size())) != kWav)
        return std::nullopt;
    if (auto original = ConflictCopyOriginal(name)) {
        if (IsVoiceStem(std::string_view(*original).substr(0, original->size() - kWav.size())))
            return TakeBeside{std::move(*original), TakeBeside::Why::OtherMachine};
        return std::nullopt;
    }
    // The recorder's "VoiceN (2).wav", "VoiceN (3).wav", ...
    const std::string_view stem = name.substr(0, name.size() - kWav.size());
    const std::size_t open = stem.rfind(" (");
    if (open == std::string_view::npos || !stem.ends_with(')'))
        return std::nullopt;
    const std::string_view number = stem.substr(open + 2, stem.size() - open - 3);
    if (!IsCount(number, 9) || number == "1" || !IsVoiceStem(stem.substr(0, open)))
        return std::nullopt;
    return TakeBeside{std::string(stem.substr(0, open)) + std::string(name.substr(stem.size())),
                      TakeBeside::Why::OtherTake};
}

namespace {

// The memos that name files in a data folder (any folder called data: the
// folder may have been moved with its catalogue), the first of each name, by
// the name's comparison key. Only names that may be one of the wanted ones
// are keyed, so a large catalogue costs few keys.
class DataNames {
public:
    DataNames(FileSystem& files, const MemoTable& memos, const std::vector<std::string>& wanted) : files_(files)
    {
        std::vector<std::string> lowered;
        for (const std::string& name : wanted)
            lowered.push_back(LowerAscii(name));
        std::sort(lowered.begin(), lowered.end());
        const std::string dataKey = files.ComparisonKey(std::string(1, kPathSeparator) + "data" + kPathSeparator);
        std::string_view judged;
        bool inData = false;
        for (std::size_t row = 0; row < memos.size(); ++row) {
            const std::string_view path = memos.field(row, MemoTable::kFilePath);
            const std::string_view name = FileNamePart(path);
            // Any byte above ASCII may be a form of a wanted name's letter.
            const bool mayBeWanted = std::binary_search(lowered.begin(), lowered.end(), LowerAscii(name)) ||
                                     std::any_of(name.begin(), name.end(), [](char c) { return c & 0x80; });
            if (!mayBeWanted)
                continue;
            if (row == 0 || FolderPart(path) != judged) {
                judged = FolderPart(path);
                inData = files.ComparisonKey(judged).ends_with(dataKey);
            }
            if (inData)
                rowOf_.try_emplace(files.ComparisonKey(name), row);
        }
    }

    std::optional<std::size_t> RowNaming(const std::string& name) const
    {
        auto found = rowOf_.find(files_.ComparisonKey(name));
        return found == rowOf_.end() ? std::nullopt : std::optional(found->second);
    }

private:
    FileSystem& files_;
    std::unordered_map<std::string, std::size_t> rowOf_;
};

// Whether two files hold the same bytes; a size in their stamps tells most
// apart without reading them.
bool SameBytes(FileSystem& files, const std::string& one, const std::string& other)
{
    const auto oneStamp = files.StampOf(one), otherStamp = files.StampOf(other);
    if (oneStamp && otherStamp && (!oneStamp->exists || !otherStamp->exists || oneStamp->size != otherStamp->size))
        return false;
    const auto oneBytes = files.ReadFile(one);
    return oneBytes && oneBytes == files.ReadFile(other);
}

}  // namespace

AdoptedTakes AdoptStrayTakes(FileSystem& files, const std::string& exeDir, const MemoTable& memos,
                             const Separators& separators, const LocalTimeOf& localTime)
{
    AdoptedTakes adopted;
    VoiceStore store(files, exeDir);
    // Listed sorted by their lower-cased names: every machine takes them in one order.
    std::vector<std::pair<std::string, TakeBeside>> takes;
    std::vector<std::string> wanted;
    for (std::string& name : files.ListFiles(store.folder(), "Voice", ".wav")) {
        if (auto take = RecogniseTakeBeside(name)) {
            wanted.push_back(name);
            wanted.push_back(take->original);
            takes.emplace_back(std::move(name), std::move(*take));
        }
    }
    if (takes.empty())
        return adopted;

    const DataNames named(files, memos, wanted);
    std::vector<std::string> memoPaths;
    memoPaths.reserve(memos.size() + takes.size());
    for (std::size_t row = 0; row < memos.size(); ++row)
        memoPaths.emplace_back(memos.field(row, MemoTable::kFilePath));
    // The files each original's takes now hold, by the original's key.
    std::map<std::string, std::vector<std::string>> takesOf;
    for (const auto& [name, take] : takes) {
        if (named.RowNaming(name))
            continue;  // a memo has it already, as "未使用追加" may have given it one
        const std::string path = store.folder() + name;
        const auto stamp = files.StampOf(path);
        if (!stamp || !stamp->exists) {
            ++adopted.left;
            continue;
        }
        if (stamp->size == 0)
            continue;  // no recording: nothing to keep, and left for the user
        std::vector<std::string>& kept = takesOf[files.ComparisonKey(take.original)];
        const bool again = SameBytes(files, path, store.folder() + take.original) ||
                           std::any_of(kept.begin(), kept.end(),
                                       [&](const std::string& other) { return SameBytes(files, path, other); });
        if (again) {
            const Discard outcome = files.DiscardFileIn(path, store.folder());
            ++(outcome == Discard::Trashed || outcome == Discard::Deleted ? adopted.sameBytesDiscarded : adopted.left);
            continue;
        }
        std::string target;
        try {
            target = store.NextVoiceFileName(memoPaths);
        } catch (const Error&) {
            ++adopted.left;  // every name is taken: the take waits for one
            continue;
        }
        if (!files.RenameNoReplace(path, target)) {
            ++adopted.left;
            continue;
        }
        const auto row = named.RowNaming(take.original);
        std::string title = row ? std::string(memos.field(*row, MemoTable::kTitle)) : take.original;
        title += take.why == TakeBeside::Why::OtherMachine ? kFromOtherMachine : kOtherTake;
        const LocalDateTime when = localTime(stamp->modifiedNs);
        adopted.memos.push_back({SanitizeTitle(std::move(title)), target, FormatRecordedDate(when, separators.date),
                                 FormatRecordedTime(when, separators.time), kKindTodo, ""});
        memoPaths.push_back(target);
        kept.push_back(target);
    }
    return adopted;
}

}  // namespace voicememo
