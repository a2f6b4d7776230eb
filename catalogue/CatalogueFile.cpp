#include "CatalogueFile.h"

#include "CatalogueText.h"
#include "Error.h"
#include "Messages.h"

namespace voicememo {

namespace text = catalogue_text;

namespace {

text::Fields FieldsOf(const VoiceMemo& memo)
{
    return {memo.Title, memo.FilePath, memo.RecordedDate, memo.RecordedTime, memo.Kind, memo.ShownDate};
}

}  // namespace

std::string SanitizeTitle(std::string title)
{
    for (char& c : title)
        if (text::kSpaced.inField[static_cast<unsigned char>(c)])
            c = ' ';
    return title;
}

VoiceMemo ParseCatalogueLine(std::string_view line)
{
    const text::Fields fields = text::SplitFields(line);
    return {std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
            std::string(fields[3]), std::string(fields[4]), std::string(fields[5])};
}

std::string FormatCatalogueLine(const VoiceMemo& memo)
{
    std::string line;
    text::AppendLine(line, FieldsOf(memo));
    return line;
}

std::vector<VoiceMemo> ParseCatalogue(std::string_view content)
{
    std::vector<VoiceMemo> memos;
    ForEachLine(content, [&memos](std::string_view line) { memos.push_back(ParseCatalogueLine(line)); });
    return memos;
}

std::string FormatCatalogue(const std::vector<VoiceMemo>& memos)
{
    std::string content;
    for (const VoiceMemo& memo : memos) {
        text::AppendLine(content, FieldsOf(memo));
        content += "\r\n";
    }
    return content;
}

void ReplaceOrThrow(FileSystem& files, const std::string& path, const std::string& bytes)
{
    switch (files.ReplaceFile(path, bytes)) {
    case WriteResult::Done:
        return;
    case WriteResult::CannotCreate:
        throw Error(FormatMessage(messages::kCannotCreate, path));
    case WriteResult::WriteFailed:
        throw Error(std::string(messages::kStreamWriteError));
    }
}

CatalogueFile::CatalogueFile(FileSystem& files, const std::string& exeDir)
    : files_(files),
      path_(exeDir + kCatalogueFileName)
{
}

MemoTable CatalogueFile::LoadTable()
{
    // Counted as loaded only once everything below has succeeded: whatever
    // fails on the way (a read, memory for the memos), the close must not
    // take the empty list for the catalogue.
    loadFailed_ = true;
    // Read first and asked after a failure whether there was a file at all:
    // the usual start, with a catalogue there, looks the path up only once.
    auto content = files_.ReadFile(path_);
    if (!content) {
        if (files_.FileExists(path_))
            throw Error(FormatMessage(messages::kCannotOpen, path_));
        loadFailed_ = false;
        return {};
    }
    MemoTable table = MemoTable::FromCatalogueText(std::move(*content));
    loadFailed_ = false;
    return table;
}

std::vector<VoiceMemo> CatalogueFile::SaveTable(const MemoTable& memos)
{
    std::vector<VoiceMemo> recovered;
    if (loadFailed_ && files_.FileExists(path_)) {
        if (memos.empty())
            return {};  // nothing of ours to keep, and the file stays untouched
        auto content = files_.ReadFile(path_);
        if (!content)
            throw Error(FormatMessage(messages::kCannotOpen, path_));
        recovered = ParseCatalogue(*content);
    }

    if (recovered.empty() && memos.empty()) {
        files_.DeleteFile(path_);  // a failed deletion is not reported
        loadFailed_ = false;
        return {};
    }
    const std::string bytes =
        recovered.empty() ? memos.ToCatalogueText() : FormatCatalogue(recovered) + memos.ToCatalogueText();
    ReplaceOrThrow(files_, path_, bytes);
    loadFailed_ = false;
    return recovered;
}

}  // namespace voicememo
