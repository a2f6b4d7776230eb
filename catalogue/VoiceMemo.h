#pragma once
// One memo as the calendar reads it: six texts, code page 932 bytes.
#include <string>

namespace voicememo {

inline constexpr const char* kKindTodo = "TODO";    // shown every day
inline constexpr const char* kKindDaily = "DAILY";  // shown only on ShownDate

struct VoiceMemo {
    std::string Title;
    std::string FilePath;
    std::string RecordedDate;
    std::string RecordedTime;
    std::string Kind;
    std::string ShownDate;

    bool operator==(const VoiceMemo&) const = default;
};

// A title never holds TAB, CR, LF or NUL (they would break the memo's line
// in the catalogue): each becomes a space.
std::string SanitizeTitle(std::string title);

}  // namespace voicememo
