#include "ProfileText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

using namespace std::string_view_literals;

namespace voicememo {
namespace {

// Hex escapes are split from following letters ("\x83\x41" "b") because an
// escape would otherwise swallow them.

struct ReadCase {
    const char* name;
    std::string_view content;
    std::string_view section;
    std::string_view key;
    std::optional<std::string> expected;
};

const ReadCase kReadCases[] = {
    {"CR LF line end", "[a]\r\nx=1\r\ny=2", "a", "x", "1"},
    {"lone CR line end", "[a]\rx=1\ry=2\n", "a", "y", "2"},
    {"LF CR is two line ends", "[a]\n\rx=1", "a", "x", "1"},
    {"last line without line end", "[a]\nx=last", "a", "x", "last"},
    {"ASCII case ignored", "[SeCtIoN]\nKeY=v", "sEcTiOn", "kEy", "v"},
    {"double-byte section", "[\x83\x41]\nk=1", "\x83\x41", "k", "1"},
    {"trail byte not folded in section", "[\x83\x41]\nk=1", "\x83\x61", "k", std::nullopt},
    {"trail byte not folded in key", "[a]\n\x83\x41=1", "a", "\x83\x61", std::nullopt},
    {"letter after double-byte folded",
     "[a]\n\x83\x41"
     "b=1",
     "a",
     "\x83\x41"
     "B",
     "1"},
    {"trail byte ] inside section name", "[\x83\x5D]\nk=1", "\x83\x5D", "k", "1"},
    {"first section wins", "[a]\nx=1\n[b]\n[A]\nx=2\ny=3", "a", "x", "1"},
    {"later same-named section never read", "[a]\nx=1\n[A]\ny=3", "a", "y", std::nullopt},
    {"first key wins", "[a]\nx=1\nX=2", "a", "x", "1"},
    {"key before any section is in none", "x=0\n[a]\ny=1", "a", "x", std::nullopt},
    {"comment line is not a key", "[a]\n;x=1\nx=2", "a", "x", "2"},
    {"indented comment line", "[a]\n  ;x=1", "a", ";x", std::nullopt},
    {"line without = is not a key", "[a]\nx\nx=5", "a", "x", "5"},
    {"no inline comment", "[a]\nA=3 ; note", "a", "a", "3 ; note"},
    {"blanks around names", "[ a\t]\n  key \t= v", " a ", "\tkey ", "v"},
    {"text after ] ignored", "[a] ; old\nk=1", "a", "k", "1"},
    {"value blanks cut", "[a]\nk= \t\v\fv w\x1A \t", "a", "k", "v w"},
    {"value after first =", "[a]\nk==b=c", "a", "k", "=b=c"},
    {"double quotes removed", "[a]\nk= \" a \" ", "a", "k", " a "},
    {"single quotes removed", "[a]\nk='b'", "a", "k", "b"},
    {"one pair only", "[a]\nk=\"\"c\"\"", "a", "k", "\"c\""},
    {"unmatched quotes stay", "[a]\nk=\"c'", "a", "k", "\"c'"},
    {"lone quote stays", "[a]\nk=\"", "a", "k", "\""},
    {"empty value", "[a]\nk=\nk=2", "a", "k", ""},
    {"NUL ends the value", "[a]\nk=ab\0cd\nj=1"sv, "a", "k", "ab"},
    {"NUL before = makes no key", "[a]\nk\0=1\nk=2"sv, "a", "k", "2"},
    {"NUL does not end the line", "[a]\nk=1\0\rj=2"sv, "a", "j", "2"},
    {"missing section", "[a]\nk=1", "b", "k", std::nullopt},
    {"missing key", "[a]\nk=1\n[b]\nj=2", "a", "j", std::nullopt},
    {"UTF-8 BOM hides first header", "\xEF\xBB\xBF[a]\nk=1", "a", "k", std::nullopt},
    {"empty content", "", "a", "k", std::nullopt},
};

TEST(ProfileTextTest, ReadsValues)
{
    for (const auto& c : kReadCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadProfileValue(c.content, c.section, c.key), c.expected);
    }
}

TEST(ProfileTextTest, LongValuesAreCutWithoutSplittingACharacter)
{
    const std::string dbcs = "\x82\xA0";
    const struct {
        const char* name;
        std::string value;
        std::string expected;
    } cases[] = {
        {"exactly 1023", std::string(1023, 'x'), std::string(1023, 'x')},
        {"ASCII cut", std::string(1100, 'x'), std::string(1023, 'x')},
        {"double-byte ends at 1023", std::string(1021, 'x') + dbcs + "y", std::string(1021, 'x') + dbcs},
        {"double-byte across 1023", std::string(1022, 'x') + dbcs, std::string(1022, 'x')},
        {"quotes removed before cut", "\"" + std::string(1023, 'x') + "\"", std::string(1023, 'x')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadProfileValue("[a]\r\nk=" + c.value + "\r\n", "a", "k"), c.expected);
    }
}

struct WriteCase {
    const char* name;
    std::string_view content;
    std::string_view section;
    std::string_view key;
    std::string_view value;
    std::string_view expected;
};

const WriteCase kWriteCases[] = {
    {"replace keeps every other byte", "; top\r\n[a]\nk = old ; c\r\nother=1\n\n[b]\rk=2", "a", "K", "new",
     "; top\r\n[a]\nk =new\r\nother=1\n\n[b]\rk=2"},
    {"replace keeps file spelling", "[Abc]\nKey=1\n", "aBC", "KEY", "2", "[Abc]\nKey=2\n"},
    {"replace in first section only", "[a]\nk=1\n[A]\nk=1\n", "a", "k", "2", "[a]\nk=2\n[A]\nk=1\n"},
    {"replace first key only", "[a]\nk=1\nk=1\n", "a", "k", "2", "[a]\nk=2\nk=1\n"},
    {"replace last line without line end", "[a]\nk=1", "a", "k", "22", "[a]\nk=22"},
    {"replace drops bytes after NUL of own line only", "[a]\nk=1\0junk\r\nm=2\0keep\n"sv, "a", "k", "9",
     "[a]\nk=9\r\nm=2\0keep\n"sv},
    {"new key after last non-blank line", "[a]\nx=1\n\n  \n[b]\ny=2\n", "a", "k", "v",
     "[a]\nx=1\nk=v\r\n\n  \n[b]\ny=2\n"},
    {"new key after comment", "[a]\nx=1\n;c\n\n", "a", "k", "v", "[a]\nx=1\n;c\nk=v\r\n\n"},
    {"new key after bare header", "[a]\r\n\r\n[b]", "a", "k", "v", "[a]\r\nk=v\r\n\r\n[b]"},
    {"new key after last line without line end", "[a]\nx=1", "a", "k", "v", "[a]\nx=1\r\nk=v\r\n"},
    {"new key in first of same-named sections", "[a]\nx=1\n[a]\ny=2\n", "A", "y", "v", "[a]\nx=1\ny=v\r\n[a]\ny=2\n"},
    {"new section after line end", "[a]\nx=1\n", "s", "k", "v", "[a]\nx=1\n[s]\r\nk=v\r\n"},
    {"new section keeps blank lines", "[a]\n\n", "s", "k", "v", "[a]\n\n[s]\r\nk=v\r\n"},
    {"new section after lone CR", "x\r", "s", "k", "v", "x\r[s]\r\nk=v\r\n"},
    {"new section without line end", "[a]\nx=1", "s", "k", "v", "[a]\nx=1\r\n[s]\r\nk=v\r\n"},
    {"new section when BOM hides header", "\xEF\xBB\xBF[a]\r\nk=1\r\n", "a", "k", "2",
     "\xEF\xBB\xBF[a]\r\nk=1\r\n[a]\r\nk=2\r\n"},
    {"empty content", "", "s", "k", "v", "[s]\r\nk=v\r\n"},
    {"requested names trimmed", "", " s\t", " k ", "v", "[s]\r\nk=v\r\n"},
    {"double-byte names", "[\x83\x41]\n", "\x83\x61", "\x83\x41", "v", "[\x83\x41]\n[\x83\x61]\r\n\x83\x41=v\r\n"},
};

TEST(ProfileTextTest, WritesValues)
{
    for (const auto& c : kWriteCases) {
        SCOPED_TRACE(c.name);
        const std::string written = WriteProfileValue(c.content, c.section, c.key, c.value);
        EXPECT_EQ(written, c.expected);
        // The calendar must read back what was written.
        EXPECT_EQ(ReadProfileValue(written, c.section, c.key), std::string(c.value));
    }
}

}  // namespace
}  // namespace voicememo
