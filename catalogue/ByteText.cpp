#include "ByteText.h"

namespace voicememo {

std::string LowerAscii(std::string_view text)
{
    std::string lowered(text);
    for (char& c : lowered)
        c = LowerAscii(c);
    return lowered;
}

bool IsLeadByte(char byte)
{
    const auto value = static_cast<unsigned char>(byte);
    return (value >= 0x81 && value <= 0x9F) || (value >= 0xE0 && value <= 0xFC);
}

std::size_t CharacterLength(std::string_view text, std::size_t position)
{
    return IsLeadByte(text[position]) && position + 1 < text.size() ? 2 : 1;
}

std::size_t LastCharacterStart(std::string_view text)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); i += CharacterLength(text, i))
        start = i;
    return start;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    ForEachLine(text, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::string_view FolderPart(std::string_view path)
{
    auto at = path.rfind(kPathSeparator);
    return at == std::string_view::npos ? std::string_view() : path.substr(0, at + 1);
}

std::string ExtractFolder(std::string_view path) { return std::string(FolderPart(path)); }

std::string_view FileNamePart(std::string_view path)
{
    auto at = path.rfind(kPathSeparator);
    return at == std::string_view::npos ? path : path.substr(at + 1);
}

std::string ExtractFileName(std::string_view path) { return std::string(FileNamePart(path)); }

std::string LexicallyNormal(std::string_view path)
{
    const bool absolute = path.starts_with(kPathSeparator);
    std::vector<std::string_view> parts;
    for (std::size_t at = 0; at <= path.size();) {
        std::size_t end = path.find(kPathSeparator, at);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view part = path.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(part);  // above a relative path's start: kept
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string normal = absolute ? std::string(1, kPathSeparator) : std::string();
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            normal += kPathSeparator;
        normal += parts[i];
    }
    // A folder's path keeps the separator that ends it.
    if (!parts.empty() && path.ends_with(kPathSeparator))
        normal += kPathSeparator;
    return normal;
}

std::string ExtractFileExt(std::string_view path)
{
    std::string name = ExtractFileName(path);
    auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string DecimalText(long long value) { return std::to_string(value); }

}  // namespace voicememo
