#include "ProfileFile.h"

#include <utility>

#include "Error.h"
#include "Messages.h"
#include "ProfileText.h"

namespace voicememo {

ProfileFile::ProfileFile(FileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}

std::optional<std::string> ProfileFile::ReadContent() const
{
    return files_.ReadFile(path_);  // nothing for a missing file as for an unreadable one
}

std::optional<std::string> ProfileFile::ReadString(const std::string& section, const std::string& key)
{
    const auto content = ReadContent();
    if (!content)
        return std::nullopt;
    return ReadProfileValue(*content, section, key);
}

void ProfileFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    WriteStrings({{section, key, value}});
}

void ProfileFile::WriteStrings(const std::vector<Entry>& entries)
{
    // A link out of the folder is read, never written through (OutwardLinks.h).
    if (files_.LinkLeadingOut(path_))
        throw Error(FormatMessage(messages::kCannotWrite, path_));
    const bool exists = files_.FileExists(path_);
    std::string oldContent;
    if (exists) {
        // Writing from an empty content would throw away everything else the
        // file holds.
        auto content = files_.ReadFile(path_);
        if (!content)
            throw Error(FormatMessage(messages::kCannotWrite, path_));
        oldContent = std::move(*content);
    }

    std::string newContent = oldContent;
    for (const Entry& entry : entries)
        newContent = WriteProfileValue(newContent, entry.section, entry.key, entry.value);
    if (exists && newContent == oldContent)
        return;
    if (files_.ReplaceFile(path_, newContent) != WriteResult::Done)
        throw Error(FormatMessage(messages::kCannotWrite, path_));
}

ProfileReadOnce::ProfileReadOnce(FileSystem& files, std::string path) : file_(files, std::move(path)) {}

std::optional<std::string> ProfileReadOnce::ReadString(const std::string& section, const std::string& key)
{
    if (!read_) {
        parsed_.reset();
        content_ = file_.ReadContent();
        if (content_)
            parsed_.emplace(*content_);
        read_ = true;
    }
    if (!parsed_)
        return std::nullopt;
    return parsed_->Value(section, key);
}

void ProfileReadOnce::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    WriteStrings({{section, key, value}});
}

void ProfileReadOnce::WriteStrings(const std::vector<Entry>& entries)
{
    read_ = false;
    file_.WriteStrings(entries);
}

}  // namespace voicememo
