// The settings file's reader and writer on any file content: a value
// written under a section and key reads back as written, and every byte of
// the file outside that key's line stays as it was.
//
// The input is split into the names, the value and the file content. Names
// come from a small alphabet that holds ASCII letters of both cases and
// double-byte characters whose second byte is "[", "]" or a letter; values
// are whatever the program could write: no line break or NUL, no blank at
// either end, no quotes around the whole, at most 1023 bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "ByteText.h"
#include "FuzzCheck.h"
#include "ProfileText.h"

using namespace voicememo;

namespace {

const char* const kNamePieces[] = {
    "a",        "B", "z", "Z", "0", "9", "_", ".", "-", " ",
    "\x83\x5b",  // katakana, second byte "["
    "\x83\x5d",  // katakana, second byte "]"
    "\x83\x41",  // katakana, second byte "A"
    "\x83\x61",  // katakana, second byte "a"
    "\x82\xa0",  // hiragana
    "\xb1",      // half-width katakana, one byte
};

std::string Name(FuzzedDataProvider& input)
{
    std::string name = "n";  // never empty, never a comment or a section line
    const int pieces = input.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < pieces; ++i)
        name += kNamePieces[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kNamePieces) - 1)];
    while (name.back() == ' ')
        name.pop_back();
    return name;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }

std::string Value(FuzzedDataProvider& input)
{
    std::string value;
    for (char c : input.ConsumeRandomLengthString(1100))
        if (c != '\r' && c != '\n' && c != '\0')
            value += c;
    while (!value.empty() && IsBlank(value.front()))
        value.erase(value.begin());
    while (!value.empty() && IsBlank(value.back()))
        value.pop_back();
    if (value.size() > kMaxProfileValueBytes)
        value.resize(kMaxProfileValueBytes);
    while (!value.empty() && IsBlank(value.back()))
        value.pop_back();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value += 'x';
    if (value.size() > kMaxProfileValueBytes)
        value.erase(0, 1);
    return value;
}

// Names are equal when they differ only in the case of ASCII letters that
// are characters of their own, not second bytes.
std::string Folded(const std::string& name)
{
    std::string folded;
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t length = CharacterLength(name, i);
        folded += length == 1 ? LowerAscii(name[i]) : name[i];
        folded.append(name, i + 1, length - 1);
        i += length;
    }
    return folded;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string section = Name(input);
    const std::string key = Name(input);
    const std::string otherSection = Name(input);
    const std::string otherKey = Name(input);
    const std::string value = Value(input);
    const std::string content = input.ConsumeRemainingBytesAsString();

    const std::string written = WriteProfileValue(content, section, key, value);
    FUZZ_CHECK(ReadProfileValue(written, section, key) == value);

    // The bytes that changed: one stretch of the old content gave way to
    // one stretch of the new. What went holds no line break, so it lay in
    // one line; what came holds the key's new line, or its new value.
    std::size_t head = 0;
    while (head < content.size() && head < written.size() && content[head] == written[head])
        ++head;
    std::size_t tail = 0;
    while (tail < content.size() - head && tail < written.size() - head &&
           content[content.size() - 1 - tail] == written[written.size() - 1 - tail])
        ++tail;
    const std::string_view removed = std::string_view(content).substr(head, content.size() - head - tail);
    FUZZ_CHECK(!HasLineBreak(removed));
    FUZZ_CHECK(written.size() - head - tail <= section.size() + key.size() + value.size() + 9);

    // Any other key reads as before (a key of the same name in another
    // section is another key).
    if (Folded(otherSection) != Folded(section) || Folded(otherKey) != Folded(key))
        FUZZ_CHECK(ReadProfileValue(written, otherSection, otherKey) ==
                   ReadProfileValue(content, otherSection, otherKey));

    // Writing the same value again changes nothing.
    FUZZ_CHECK(WriteProfileValue(written, section, key, value) == written);
    return 0;
}
