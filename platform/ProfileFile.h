#pragma once
// The profile file on disk, read and edited through the file system so that
// a failed write never damages the file the calendar also reads.
#include <optional>
#include <string>

#include "FileSystem.h"
#include "ProfileStore.h"
#include "ProfileText.h"

namespace voicememo {

class ProfileFile : public ProfileStore {
public:
    ProfileFile(FileSystem& files, std::string path);

    // Nothing when the file is missing or cannot be read, so the defaults
    // apply.
    std::optional<std::string> ReadString(const std::string& section, const std::string& key) override;
    // The whole file; nothing when it is missing or cannot be read.
    std::optional<std::string> ReadContent() const;

    // Throws Error "%s に書き込めません" when the file exists but cannot be
    // read (it is then left alone) or cannot be replaced, or is a link that
    // leads out of its folder (FileSystem::LinkLeadingOut).
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    // One read and one replace of the file for all of them; every other
    // byte, keys the calendar wrote meanwhile among them, stays.
    void WriteStrings(const std::vector<Entry>& entries) override;

private:
    FileSystem& files_;
    std::string path_;
};

// The profile file read and parsed once, at the first key asked for: every
// later key comes from that reading, as when a window reads its settings at start-up.
// A write goes to the file as with ProfileFile, and the next key read
// reads the file anew.
class ProfileReadOnce : public ProfileStore {
public:
    ProfileReadOnce(FileSystem& files, std::string path);
    ProfileReadOnce(const ProfileReadOnce&) = delete;  // the parse refers to the content
    ProfileReadOnce& operator=(const ProfileReadOnce&) = delete;

    std::optional<std::string> ReadString(const std::string& section, const std::string& key) override;
    void WriteString(const std::string& section, const std::string& key, const std::string& value) override;
    void WriteStrings(const std::vector<Entry>& entries) override;

private:
    ProfileFile file_;
    bool read_ = false;
    std::optional<std::string> content_;   // nothing when missing or unreadable
    std::optional<ParsedProfile> parsed_;  // of content_
};

}  // namespace voicememo
