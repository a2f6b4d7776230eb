#include "SharedVersions.h"

#include <algorithm>
#include <utility>

#include "ByteText.h"

namespace voicememo {

namespace {
constexpr std::size_t kWritesKept = 32;
constexpr std::string_view kWrittenName = "written";
constexpr std::string_view kSharedName = "shared";
}  // namespace

SharedVersions::SharedVersions(FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}

void SharedVersions::LoadKept()
{
    if (loaded_)
        return;
    loaded_ = true;
    if (const auto written = files_.ReadKept(path_, kWrittenName))
        for (std::string& digest : SplitLines(*written))
            if (!digest.empty())
                written_.push_back(std::move(digest));
    if (auto shared = files_.ReadKept(path_, kSharedName)) {
        sharedDigest_ = keptSharedDigest_ = files_.Digest(*shared);
        shared_ = std::make_shared<const std::string>(std::move(*shared));
    }
}

void SharedVersions::Wrote(const std::string& text)
{
    LoadKept();
    written_.push_back(files_.Digest(text));
    if (written_.size() > kWritesKept)
        written_.erase(written_.begin());
    changed_ = true;
}

// Kept once, when the window is done with the file, not at each save: a
// save in a loop, or of a large catalogue, pays for none of it.
void SharedVersions::KeepForNextStart()
{
    Settle();
    if (!changed_)
        return;
    changed_ = false;
    std::string kept;
    for (const std::string& digest : written_)
        kept += digest + "\n";
    files_.Keep(path_, kWrittenName, kept);
    if (shared_ && sharedDigest_ != keptSharedDigest_) {
        files_.Keep(path_, kSharedName, *shared_);
        keptSharedDigest_ = sharedDigest_;
    }
}

bool SharedVersions::WroteItself(const std::string& text)
{
    LoadKept();
    return std::find(written_.begin(), written_.end(), files_.Digest(text)) != written_.end();
}

// Judged when next needed, not at once: a start reads a large catalogue,
// and neither its digest nor a copy kept of it are to hold the window up.
void SharedVersions::Read(std::shared_ptr<const std::string> text) { pending_ = std::move(text); }

void SharedVersions::Settle()
{
    LoadKept();
    if (!pending_)
        return;
    const std::shared_ptr<const std::string> read = std::exchange(pending_, nullptr);
    const std::string digest = files_.Digest(*read);
    if (std::find(written_.begin(), written_.end(), digest) != written_.end() || digest == sharedDigest_)
        return;
    shared_ = read;
    sharedDigest_ = digest;
    changed_ = true;
}

std::shared_ptr<const std::string> SharedVersions::Shared()
{
    Settle();
    return shared_;
}

}  // namespace voicememo
