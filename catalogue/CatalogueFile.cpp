#include "CatalogueFile.h"

#include "CatalogueMerge.h"
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

VoiceMemo ParseCatalogueLine(std::string_view line)
{
    const text::Fields fields = text::SplitFields(line);
    return {std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
            std::string(fields[3]), std::string(fields[4]), std::string(fields[5])};
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
    known_ = true;
    loadFailed_ = true;
    baseText_.reset();
    baseTable_.reset();
    baseStamp_.reset();
    // The stamp from before the read: a change after it, even one the read
    // saw, shows as another stamp at the next look, and the bytes tell.
    const auto stamp = files_.StampOf(path_);
    if (stamp && !stamp->exists) {
        Remember({}, stamp);
        return {};
    }
    auto content = files_.ReadFile(path_);
    if (!content) {
        if (files_.FileExists(path_)) {
            unreadableStamp_ = stamp;
            throw Error(FormatMessage(messages::kCannotOpen, path_));
        }
        Remember({}, FileStamp{});  // gone meanwhile
        return {};
    }
    MemoTable loaded = MemoTable::FromCatalogueText(std::move(*content));
    RememberText(loaded.sharedText(), stamp);
    return loaded;
}

CatalogueSync CatalogueFile::SaveTable(const MemoTable& memos)
{
    if (!known_) {
        CatalogueSync saved;
        saved.written = Put(memos.Written());
        return saved;
    }
    const auto now = files_.StampOf(path_);
    if (Unchanged(now))
        return WriteOver(memos);
    Snapshot file;
    const ReadOutcome read = ReadAsItStands(now, file);
    if (read != ReadOutcome::Read) {
        if (memos == Base())
            return {};
        throw Error(
            FormatMessage(read == ReadOutcome::Unreadable ? messages::kCannotOpen : messages::kCatalogueBeingRewritten,
                          path_));
    }
    if (SameBytesAsBase(file)) {
        baseStamp_ = file.stamp;
        return WriteOver(memos);
    }
    return MergeIn(memos, std::move(file), true);
}

CatalogueSync CatalogueFile::TakeInChanges(const MemoTable& memos)
{
    if (!known_)
        return {};  // the window has no list yet that the file's memos could join
    const auto now = files_.StampOf(path_);
    if (Unchanged(now) || (now && now == unreadableStamp_))
        return {};
    Snapshot file;
    if (ReadAsItStands(now, file) != ReadOutcome::Read) {
        unreadableStamp_ = now;
        return {};
    }
    if (SameBytesAsBase(file)) {
        baseStamp_ = file.stamp;
        return {};
    }
    return MergeIn(memos, std::move(file), false);
}

bool CatalogueFile::Unchanged(const std::optional<FileStamp>& now) const
{
    return !loadFailed_ && baseStamp_ && now && *now == *baseStamp_;
}

// Touched, or written again with the same bytes: nothing changed.
bool CatalogueFile::SameBytesAsBase(const Snapshot& file) const
{
    return !loadFailed_ && file.memos.text() == BaseText();
}

CatalogueFile::ReadOutcome CatalogueFile::ReadAsItStands(std::optional<FileStamp> before, Snapshot& file)
{
    // A file replaced or rewritten while it is read may have been read half
    // old, half new: it is read again until its stamps before and after the
    // read agree. A rename over it settles at once; a program still writing
    // it is left to finish.
    constexpr int kAttempts = 3;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt > 0)
            before = files_.StampOf(path_);
        if (before && !before->exists) {
            file = {{}, before};
            return ReadOutcome::Read;
        }
        auto content = files_.ReadFile(path_);
        const auto after = files_.StampOf(path_);
        if (!content) {
            if (files_.FileExists(path_))
                return ReadOutcome::Unreadable;
            file = {{}, after};  // removed meanwhile
            return ReadOutcome::Read;
        }
        if (before == after) {
            file = {MemoTable::FromCatalogueText(std::move(*content)), after};
            return ReadOutcome::Read;
        }
    }
    return ReadOutcome::Rewritten;
}

// The file is as last read or written.
CatalogueSync CatalogueFile::WriteOver(const MemoTable& memos)
{
    CatalogueSync saved;
    MemoTable written = memos.Written();
    // Bytes alike are memos alike. Bytes that differ from a file another
    // program wrote may still hold the same memos (a line without all its
    // fields, lone LFs), from one this class wrote they cannot.
    if (written.text() == BaseText() || (!baseAsWritten_ && memos == Base()))
        files_.RemoveWriteLeftovers(path_);  // as a save that writes would
    else
        saved.written = Put(std::move(written));
    return saved;
}

CatalogueSync CatalogueFile::MergeIn(const MemoTable& memos, Snapshot theirs, bool write)
{
    MergedCatalogue merged = MergeCatalogues(Base(), memos, theirs.memos,
                                             [this](std::string_view path) { return files_.ComparisonKey(path); });
    CatalogueSync sync;
    if (write && !merged.sameAsTheirs) {
        sync.written = Put(merged.memos);
    } else {
        // What the file holds becomes the base: the window's changes it
        // lacks stay changes against it.
        Remember(std::move(theirs.memos), theirs.stamp);
    }
    if (!merged.sameAsOurs) {
        sync.memos = std::move(merged.memos);
        sync.rowOf = std::move(merged.rowOfOurs);
    }
    return sync;
}

// Writes memos that stand as the file will hold them (text() is the file's
// text), or deletes the file when there are none; they become the base.
// A failed deletion is not reported, and nothing is remembered then.
bool CatalogueFile::Put(MemoTable written)
{
    if (written.empty()) {
        if (!files_.DeleteFile(path_))
            return false;
    } else {
        ReplaceOrThrow(files_, path_, written.text());
    }
    // Another program's file there already (it wrote right after us):
    // looked at anew at the next save.
    auto stamp = files_.StampOf(path_);
    if (stamp && (stamp->exists == written.empty() || stamp->size != written.text().size()))
        stamp.reset();
    Remember(std::move(written), stamp);
    baseAsWritten_ = true;
    return true;
}

void CatalogueFile::Remember(MemoTable memos, std::optional<FileStamp> stamp)
{
    RememberText(memos.sharedText(), stamp);
    baseTable_ = std::move(memos);
}

void CatalogueFile::RememberText(std::shared_ptr<const std::string> text, std::optional<FileStamp> stamp)
{
    baseText_ = std::move(text);
    baseTable_.reset();
    baseAsWritten_ = false;
    baseStamp_ = stamp;
    unreadableStamp_.reset();
    loadFailed_ = false;
    known_ = true;
}

const MemoTable& CatalogueFile::Base() const
{
    if (!baseTable_)
        baseTable_ = baseText_ ? MemoTable::FromCatalogueText(baseText_) : MemoTable();
    return *baseTable_;
}

const std::string& CatalogueFile::BaseText() const
{
    static const std::string none;
    return baseText_ ? *baseText_ : none;
}

}  // namespace voicememo
