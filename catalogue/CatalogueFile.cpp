#include "CatalogueFile.h"

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

bool EndsALine(char c)
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

VoiceMemo ParseCatalogueLine(std::string_view line)
{
    // A line with fewer than five TABs still fills the last field with what
    // follows the last TAB, as the calendar splits it.
    VoiceMemo memo;
    std::string_view rest = line;
    memo.Title = TakeField(rest);
    memo.FilePath = TakeField(rest);
    memo.RecordedDate = TakeField(rest);
    memo.RecordedTime = TakeField(rest);
    memo.Kind = TakeField(rest);
    memo.ShownDate = rest;
    return memo;
}

std::string FormatCatalogueLine(const VoiceMemo& memo)
{
    // Extra TABs read back into the last field, so they may stay there.
    std::string line = FieldForLine(memo.Title, false);
    for (const std::string* field : {&memo.FilePath, &memo.RecordedDate, &memo.RecordedTime, &memo.Kind}) {
        line += kTab;
        line += FieldForLine(*field, false);
    }
    line += kTab;
    line += FieldForLine(memo.ShownDate, true);
    return line;
}

std::vector<VoiceMemo> ParseCatalogue(std::string_view content)
{
    std::vector<VoiceMemo> memos;
    for (const std::string& line : SplitLines(content))
        memos.push_back(ParseCatalogueLine(line));
    return memos;
}

std::string FormatCatalogue(const std::vector<VoiceMemo>& memos)
{
    std::string content;
    for (const VoiceMemo& memo : memos) {
        content += FormatCatalogueLine(memo);
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
    std::vector<VoiceMemo> toWrite;
    if (loadFailed_ && files_.FileExists(path_)) {
        auto content = files_.ReadFile(path_);
        if (!content) {
            if (memos.empty())
                return memos;  // nothing of ours to keep, and the file stays untouched
            throw Error(FormatMessage(messages::kCannotOpen, path_));
        }
        toWrite = ParseCatalogue(*content);
    }
    toWrite.insert(toWrite.end(), memos.begin(), memos.end());

    if (toWrite.empty()) {
        files_.DeleteFile(path_);  // a failed deletion is not reported
        loadFailed_ = false;
        return toWrite;
    }
    switch (files_.ReplaceFile(path_, FormatCatalogue(toWrite))) {
    case WriteResult::Done:
        break;
    case WriteResult::CannotCreate:
        throw Error(FormatMessage(messages::kCannotCreate, path_));
    case WriteResult::WriteFailed:
        throw Error(std::string(messages::kStreamWriteError));
    }
    loadFailed_ = false;
    return toWrite;
}

}  // namespace voicememo
