#pragma once
// A profile (INI) file as the settings code sees it: text values by section
// and key. Names and values are code page 932 byte strings.
#include <optional>
#include <string>
#include <vector>

namespace voicememo {

class ProfileStore {
public:
    virtual ~ProfileStore() = default;

    // The value (blanks and one pair of quotes stripped, at most 1023 bytes),
    // or nothing when the file, section or key is missing.
    virtual std::optional<std::string> ReadString(const std::string& section, const std::string& key) = 0;

    // Sets the value, creating the file, section or key as needed; every
    // other byte of the file stays. Throws Error "%s に書き込めません".
    virtual void WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;

    struct Entry {
        std::string section, key, value;
    };
    // Sets several values at once: a store on disk reads and replaces its
    // file once, so the calendar never sees some of them set and others not.
    virtual void WriteStrings(const std::vector<Entry>& entries)
    {
        for (const Entry& entry : entries)
            WriteString(entry.section, entry.key, entry.value);
    }
};

}  // namespace voicememo
