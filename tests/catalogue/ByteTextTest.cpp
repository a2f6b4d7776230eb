#include <gtest/gtest.h>

#include "ByteText.h"

using namespace voicememo;
using Lines = std::vector<std::string>;

struct LineCase {
    const char* name;
    std::string text;
    Lines lines;
};

class SplitLinesTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(SplitLinesTest, SplitsAtCrLfAndNul) { EXPECT_EQ(SplitLines(GetParam().text), GetParam().lines); }

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    LineEnds, SplitLinesTest,
    ::testing::Values(
        LineCase{"Empty", "", {}}, LineCase{"CrLf", "a\r\nb\r\n", {"a", "b"}}, LineCase{"LoneLf", "a\nb\n", {"a", "b"}},
        LineCase{"LoneCr", "a\rb\r", {"a", "b"}}, LineCase{"LfCrIsTwoEnds", "a\n\rb", {"a", "", "b"}},
        LineCase{"LastLineWithoutEnd", "a\r\nb", {"a", "b"}},
        LineCase{"EmptyLinesBetween", "a\r\n\r\n\nb\r\n", {"a", "", "", "b"}}, LineCase{"OnlyLineEnd", "\r\n", {""}},
        LineCase{"NulEndsItsLineOnly", "a\r\nb\0c\r\nd"s, {"a", "b", "c", "d"}},
        LineCase{"NulAtLineStart", "a\r\n\0b"s, {"a", "", "b"}}, LineCase{"NulBeforeCrLf", "a\0\r\nb"s, {"a", "b"}},
        LineCase{"NulAfterCr", "a\r\0b\0"s, {"a", "", "b"}},
        LineCase{"NulRunEndsOneLine", "\0\0a\0\0\0\r\nb"s, {"", "a", "b"}},
        LineCase{"OnlyNuls", std::string(5000, '\0'), {""}}, LineCase{"NulRunThenLf", "a\0\0\n\0b"s, {"a", "", "b"}},
        LineCase{"ShiftJisBytesKept", "\x94\x83\x82\xa2\x95\xa8\r\n", {"\x94\x83\x82\xa2\x95\xa8"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ByteTextTest, LowerAsciiChangesOnlyAToZ)
{
    EXPECT_EQ(LowerAscii("Voice1.WAV"), "voice1.wav");
    // The trail byte 0x41 ("A") of a double-byte character is lowered too:
    // the comparisons are byte for byte.
    EXPECT_EQ(LowerAscii("\x83\x41[Z]@\xc0"), "\x83\x61[z]@\xc0");
}

TEST(ByteTextTest, PathParts)
{
    EXPECT_EQ(ExtractFolder("/home/u/app/data/Voice1.wav"), "/home/u/app/data/");
    EXPECT_EQ(ExtractFileName("/home/u/app/data/Voice1.wav"), "Voice1.wav");
    EXPECT_EQ(ExtractFileExt("/home/u/app/data/Voice1.wav"), ".wav");
    EXPECT_EQ(ExtractFileExt("/home/u/a.b/Voice1"), "");
    EXPECT_EQ(ExtractFileExt("/x/archive.tar.WAV"), ".WAV");
    EXPECT_EQ(ExtractFolder("Voice1.wav"), "");
    EXPECT_EQ(ExtractFileName("Voice1.wav"), "Voice1.wav");
}
