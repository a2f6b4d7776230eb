#include "Codepage.h"

#include <cerrno>
#include <iconv.h>

#include "Error.h"

namespace voicememo {

namespace {

constexpr const char* kCodePage = "CP932";
constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from))
    {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw Error(std::string("iconv: ") + from + " -> " + to);
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the input; each time a sequence cannot be converted, asks
    // skipBad how many input bytes to drop and what to write instead (or
    // gives up when skipBad returns 0).
    template <typename SkipBad>
    std::optional<std::string> Run(std::string_view input, SkipBad skipBad)
    {
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);  // a fresh start
        std::string output;
        char buffer[1024];
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        while (inLeft > 0) {
            char* out = buffer;
            size_t outLeft = sizeof buffer;
            size_t result = iconv(handle_, &in, &inLeft, &out, &outLeft);
            output.append(buffer, static_cast<size_t>(out - buffer));
            if (result != static_cast<size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            // EILSEQ or EINVAL: a sequence that does not convert.
            std::string_view rest(in, inLeft);
            auto [skip, replacement] = skipBad(rest);
            if (skip == 0)
                return std::nullopt;
            output += replacement;
            in += skip;
            inLeft -= skip;
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        }
        return output;
    }

private:
    iconv_t handle_;
};

std::size_t Utf8SequenceLength(std::string_view rest)
{
    auto lead = static_cast<unsigned char>(rest[0]);
    std::size_t length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::size_t available = 1;
    while (available < length && available < rest.size() &&
           (static_cast<unsigned char>(rest[available]) & 0xC0) == 0x80)
        ++available;
    return available;
}

// The converters are made once per thread: opening one costs far more than
// converting a name.
Converter& ToUtf8()
{
    thread_local Converter converter("UTF-8", kCodePage);
    return converter;
}

Converter& ToCodePage()
{
    thread_local Converter converter(kCodePage, "UTF-8");
    return converter;
}

// ASCII is the same text in both encodings; most names and fields are ASCII.
bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view bytes)
{
    if (IsAscii(bytes))
        return std::string(bytes);
    return *ToUtf8().Run(bytes, [](std::string_view) {
        return std::pair<std::size_t, std::string_view>(1, kReplacementCharacter);
    });
}

std::optional<std::string> Cp932ToUtf8Exact(std::string_view bytes)
{
    if (IsAscii(bytes))
        return std::string(bytes);
    return ToUtf8().Run(bytes, [](std::string_view) { return std::pair<std::size_t, std::string_view>(0, {}); });
}

std::string Utf8ToCp932(std::string_view utf8)
{
    if (IsAscii(utf8))
        return std::string(utf8);
    return *ToCodePage().Run(utf8, [](std::string_view rest) {
        return std::pair<std::size_t, std::string_view>(Utf8SequenceLength(rest), "?");
    });
}

std::optional<std::string> Utf8ToCp932Exact(std::string_view utf8)
{
    if (IsAscii(utf8))
        return std::string(utf8);
    auto bytes =
        ToCodePage().Run(utf8, [](std::string_view) { return std::pair<std::size_t, std::string_view>(0, {}); });
    // iconv takes some characters the code page lacks without complaint and
    // writes a look-alike's bytes instead (U+00A5 as those of U+005C, U+301C
    // as those of U+FF5E) or nothing at all (the tag characters U+E0000 on):
    // only bytes that read back as the very same text are exact.
    if (!bytes || Cp932ToUtf8Exact(*bytes) != utf8)
        return std::nullopt;
    return bytes;
}

}  // namespace voicememo
