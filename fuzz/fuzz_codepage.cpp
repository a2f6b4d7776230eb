// Code page 932 conversions on any bytes: a text counted as representable
// comes back as itself, and the lenient conversions agree with the exact
// ones wherever those succeed.
#include <cstdint>
#include <string>

#include "Codepage.h"
#include "FuzzCheck.h"

using namespace voicememo;

namespace {

// Well-formed UTF-8: shortest forms, no surrogates, nothing past U+10FFFF.
bool IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length;
        char32_t code;
        if (byte < 0x80) {
            ++i;
            continue;
        } else if (byte >= 0xC2 && byte <= 0xDF) {
            length = 2, code = byte & 0x1F;
        } else if (byte >= 0xE0 && byte <= 0xEF) {
            length = 3, code = byte & 0x0F;
        } else if (byte >= 0xF0 && byte <= 0xF4) {
            length = 4, code = byte & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // The bytes as a name on disk (UTF-8) that the catalogue would hold.
    if (const auto held = Utf8ToCp932Exact(bytes)) {
        FUZZ_CHECK(Cp932ToUtf8Exact(*held) == bytes);
        FUZZ_CHECK(Cp932ToUtf8(*held) == bytes);
        FUZZ_CHECK(Utf8ToCp932(bytes) == *held);
    }

    // The bytes as code page 932 text from the catalogue or a settings file.
    const std::string shown = Cp932ToUtf8(bytes);
    FUZZ_CHECK(IsUtf8(shown));
    if (const auto exact = Cp932ToUtf8Exact(bytes)) {
        FUZZ_CHECK(*exact == shown);
        // Back again: maybe other bytes (the code page has characters twice),
        // but the same text.
        const auto back = Utf8ToCp932Exact(*exact);
        FUZZ_CHECK(back.has_value());
        FUZZ_CHECK(Cp932ToUtf8Exact(*back) == *exact);
    }
    return 0;
}
