#pragma once
// Reading and editing the text of a profile (INI) file the way the calendar
// does, so both programs see the same settings in the shared file. The
// content, names and values are code page 932 byte strings.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace voicememo {

// The longest value a read returns, in bytes (the calendar reads into a
// 1024-byte buffer that also holds the terminating NUL).
inline constexpr std::size_t kMaxProfileValueBytes = 1023;

enum class ProfileLineKind { Other, Section, Key };

// One line of a profile file, as the reader and the writer see it.
struct ProfileLine {
    std::size_t begin = 0;
    std::size_t textEnd = 0;  // where the line end starts
    std::size_t end = 0;      // after the line end
    ProfileLineKind kind = ProfileLineKind::Other;
    std::string_view name;       // section or key name, blanks cut
    std::size_t valueBegin = 0;  // a key line's first byte after "="
    std::string_view valueText;  // a key line's text after "=", up to any NUL
    bool isBlank = true;         // nothing but blanks before any NUL
};

// A profile file's text split into its lines once, so that many keys are
// read from one parse. It refers to the content, which must outlive it.
class ParsedProfile {
public:
    explicit ParsedProfile(std::string_view content);
    // As ReadProfileValue.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

private:
    std::vector<ProfileLine> lines_;
};

// The value of the key in the first section of that name: the text after the
// first "=", blanks cut at both ends, then one pair of matching quotes around
// the whole of it removed, at most kMaxProfileValueBytes long. Nothing when
// the section or the key is missing; an empty value is the empty text.
std::optional<std::string> ReadProfileValue(std::string_view content, std::string_view section, std::string_view key);

// The content with the key set to the value. Only the key's own line changes
// (or a new key or section is added); every other byte stays as it was.
std::string WriteProfileValue(std::string_view content, std::string_view section, std::string_view key,
                              std::string_view value);

}  // namespace voicememo
