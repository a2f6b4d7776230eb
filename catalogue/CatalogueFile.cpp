#include "CatalogueFile.h"

#include <algorithm>
#include <cstring>

#include "ByteText.h"
#include "Error.h"
#include "Messages.h"

namespace voicememo {

namespace {

constexpr char kTab = '\t';

// The text before the first TAB (empty when there is none), and the rest
// after it (unchanged when there is none).
std::string_view TakeField(std::string_view& rest)
{
    auto tab = rest.find(kTab);
    if (tab == std::string_view::npos)
        return {};
    std::string_view field = rest.substr(0, tab);
    rest.remove_prefix(tab + 1);
    return field;
}

constexpr bool EndsALine(char c)
{
    return c == '\r' || c == '\n' || c == '\0';
}

// A field as it may stand in its line: what would end the line early, or
// (before the last field) start another field, becomes a space.
std::string FieldForLine(std::string field, bool lastField)
{
    for (char& c : field)
        if (EndsALine(c) || (c == kTab && !lastField))
            c = ' ';
    return field;
}

}  // namespace

std::string SanitizeTitle(std::string title)
{
    return FieldForLine(std::move(title), false);
}

namespace {

// A line's fields as a memo: a line with fewer than five TABs still fills
// the last field with what follows the last TAB, as the calendar splits it.
// Each field is made at its size at once.
VoiceMemo MemoOfLine(std::string_view line)
{
    std::string_view rest = line;
    std::string_view title = TakeField(rest);
    std::string_view path = TakeField(rest);
    std::string_view date = TakeField(rest);
    std::string_view time = TakeField(rest);
    std::string_view kind = TakeField(rest);
    return VoiceMemo{std::string(title), std::string(path), std::string(date),
                     std::string(time),  std::string(kind), std::string(rest)};
}

// Calls each with every line of the content, as SplitLines splits it,
// without copying the lines.
template <typename Each>
void ForEachLine(std::string_view content, Each each)
{
    if (auto nul = content.find('\0'); nul != std::string_view::npos)
        content = content.substr(0, nul);
    const char* const begin = content.data();
    const char* const end = begin + content.size();
    // The next CR and the next LF, each looked for again only once passed.
    auto next = [end](const char* from, char c) {
        const void* found = std::memchr(from, c, static_cast<std::size_t>(end - from));
        return found ? static_cast<const char*>(found) : end;
    };
    const char* cr = next(begin, '\r');
    const char* lf = next(begin, '\n');
    const char* pos = begin;
    while (pos < end) {
        if (cr < pos)
            cr = next(pos, '\r');
        if (lf < pos)
            lf = next(pos, '\n');
        const char* stop = std::min(cr, lf);
        each(std::string_view(pos, static_cast<std::size_t>(stop - pos)));
        pos = stop;
        if (pos < end && *pos == '\r')
            ++pos;
        if (pos < end && *pos == '\n')
            ++pos;
    }
}

// The bytes FieldForLine turns into spaces, before the last field and in it.
struct SpacedBytes {
    bool inField[256] = {};
    bool inLastField[256] = {};
    constexpr SpacedBytes()
    {
        for (int c = 0; c < 256; ++c) {
            inLastField[c] = EndsALine(static_cast<char>(c));
            inField[c] = inLastField[c] || c == kTab;
        }
    }
};
constexpr SpacedBytes kSpaced;

// The field as FieldForLine makes it, appended to the text.
void AppendField(std::string& text, const std::string& field, bool lastField)
{
    const bool* spaced = lastField ? kSpaced.inLastField : kSpaced.inField;
    const std::size_t start = text.size();
    text.append(field);
    char* c = text.data() + start;
    for (std::size_t i = 0; i < field.size(); ++i)
        if (spaced[static_cast<unsigned char>(c[i])])
            c[i] = ' ';
}

void AppendLine(std::string& text, const VoiceMemo& memo)
{
    AppendField(text, memo.Title, false);
    for (const std::string* field : {&memo.FilePath, &memo.RecordedDate, &memo.RecordedTime, &memo.Kind}) {
        text += kTab;
        AppendField(text, *field, false);
    }
    text += kTab;
    AppendField(text, memo.ShownDate, true);
}

}  // namespace

VoiceMemo ParseCatalogueLine(std::string_view line)
{
    return MemoOfLine(line);
}

std::string FormatCatalogueLine(const VoiceMemo& memo)
{
    // Extra TABs read back into the last field, so they may stay there.
    std::string line;
    AppendLine(line, memo);
    return line;
}

std::vector<VoiceMemo> ParseCatalogue(std::string_view content)
{
    // Counted first, so that the memos are made once, in place.
    std::size_t lines = 0;
    ForEachLine(content, [&lines](std::string_view) { ++lines; });
    std::vector<VoiceMemo> memos;
    memos.reserve(lines);
    ForEachLine(content, [&memos](std::string_view line) { memos.push_back(MemoOfLine(line)); });
    return memos;
}

std::string FormatCatalogue(const std::vector<VoiceMemo>& memos)
{
    std::size_t size = 0;
    for (const VoiceMemo& memo : memos)
        size += memo.Title.size() + memo.FilePath.size() + memo.RecordedDate.size() + memo.RecordedTime.size() +
                memo.Kind.size() + memo.ShownDate.size() + 5 + 2;
    std::string content;
    content.reserve(size);
    for (const VoiceMemo& memo : memos) {
        AppendLine(content, memo);
        content += "\r\n";
    }
    return content;
}

CatalogueFile::CatalogueFile(FileSystem& files, const std::string& exeDir)
    : files_(files), path_(exeDir + kCatalogueFileName)
{
}

std::vector<VoiceMemo> CatalogueFile::Load()
{
    if (!files_.FileExists(path_))
        return {};
    auto content = files_.ReadFile(path_);
    if (!content) {
        loadFailed_ = true;
        throw Error(FormatMessage(messages::kCannotOpen, path_));
    }
    loadFailed_ = false;
    return ParseCatalogue(*content);
}

std::vector<VoiceMemo> CatalogueFile::Save(const std::vector<VoiceMemo>& memos)
{
    std::vector<VoiceMemo> recovered;
    if (loadFailed_ && files_.FileExists(path_)) {
        auto content = files_.ReadFile(path_);
        if (!content) {
            if (memos.empty())
                return {};  // nothing of ours to keep, and the file stays untouched
            throw Error(FormatMessage(messages::kCannotOpen, path_));
        }
        recovered = ParseCatalogue(*content);
    }

    if (recovered.empty() && memos.empty()) {
        files_.DeleteFile(path_);  // a failed deletion is not reported
        loadFailed_ = false;
        return {};
    }
    const std::string bytes = recovered.empty() ? FormatCatalogue(memos) : FormatCatalogue(recovered) + FormatCatalogue(memos);
    switch (files_.ReplaceFile(path_, bytes)) {
    case WriteResult::Done:
        break;
    case WriteResult::CannotCreate:
        throw Error(FormatMessage(messages::kCannotCreate, path_));
    case WriteResult::WriteFailed:
        throw Error(std::string(messages::kStreamWriteError));
    }
    loadFailed_ = false;
    return recovered;
}

}  // namespace voicememo
