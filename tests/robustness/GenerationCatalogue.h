#pragma once
// Catalogues and settings that say by themselves whether they are whole:
// every line of generation g carries g, the number of lines, its own index
// and a filler whose length and letters follow from those, so a torn or
// mixed file shows at once. The crash test's saving program writes them and
// the test checks what a kill left on the disk.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "VoiceMemo.h"

namespace voicememo::testing {

inline std::string Filler(std::uint64_t generation, std::size_t index)
{
    const std::size_t length = (generation * 31 + index * 7) % 97;
    return std::string(length, static_cast<char>('a' + (generation + index) % 26)) + ":" + std::to_string(length);
}

// Between 1 and 1500 lines, a different number for each generation.
inline std::size_t LineCount(std::uint64_t generation) { return 1 + (generation * 2654435761u) % 1500; }

// scale multiplies the lines, for catalogues whose writing takes a while.
inline std::vector<VoiceMemo> GenerationMemos(std::uint64_t generation, std::size_t scale = 1)
{
    const std::size_t count = LineCount(generation) * scale;
    std::vector<VoiceMemo> memos;
    memos.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        memos.push_back({"g" + std::to_string(generation), "/memo/data/Voice" + std::to_string(i % 999 + 1) + ".wav",
                         "n" + std::to_string(count), "i" + std::to_string(i), i % 2 ? "TODO" : "DAILY",
                         Filler(generation, i)});
    return memos;
}

// The generation of a whole catalogue, or nothing for a torn or mixed one.
inline std::optional<std::uint64_t> GenerationOf(const std::vector<VoiceMemo>& memos, std::size_t scale = 1)
{
    if (memos.empty() || memos[0].Title.size() < 2 || memos[0].Title[0] != 'g')
        return std::nullopt;
    const std::uint64_t generation = std::stoull(memos[0].Title.substr(1));
    if (memos != GenerationMemos(generation, scale))
        return std::nullopt;
    return generation;
}

// The settings value of a generation, and its check.
inline std::string GenerationSetting(std::uint64_t generation)
{
    return std::to_string(generation) + "/" + Filler(generation, generation % 13) + "/" +
           std::string(LineCount(generation) % 600, 'x');
}

inline std::optional<std::uint64_t> GenerationOfSetting(const std::string& value)
{
    const auto slash = value.find('/');
    if (slash == 0 || slash == std::string::npos || value.find_first_not_of("0123456789") != slash)
        return std::nullopt;
    const std::uint64_t generation = std::stoull(value.substr(0, slash));
    if (value != GenerationSetting(generation))
        return std::nullopt;
    return generation;
}

}  // namespace voicememo::testing
