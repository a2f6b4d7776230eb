#include "CatalogueFile.h"

#include <algorithm>

#include "ByteText.h"
#include "CatalogueMerge.h"
#include "CatalogueText.h"
#include "Error.h"
#include "Messages.h"
#include "SyncCopies.h"
#include "TakeKeys.h"
#include "VoiceStore.h"

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

bool ReplaceOrThrow(FileSystem& files, const std::string& path, const std::string& bytes,
                    const std::function<bool()>& stillSo)
{
    const auto result = stillSo ? files.ReplaceFileIf(path, bytes, stillSo) : files.ReplaceFile(path, bytes);
    if (!result)
        return false;
    switch (*result) {
    case WriteResult::Done:
        return true;
    case WriteResult::CannotCreate:
        throw Error(FormatMessage(messages::kCannotCreate, path));
    case WriteResult::WriteFailed: {
        // The inherited text stays the first line; the second says which
        // file and why, which it never did.
        const std::string why = files.WhyWriteFailed();
        throw Error(std::string(messages::kStreamWriteError) +
                    (why.empty() ? "" : "\n" + FormatMessage(messages::kCannotWriteBecause, path, why)));
    }
    }
    return true;  // every result is handled above
}

CatalogueFile::CatalogueFile(FileSystem& files, const std::string& exeDir, std::chrono::milliseconds othersCopyWait)
    : files_(files),
      folder_(exeDir),
      dataFolder_(VoiceStore(files, exeDir).folder()),
      path_(exeDir + kCatalogueFileName),
      versions_(files, path_),
      othersCopyWait_(othersCopyWait)
{
}

std::string CatalogueFile::KeyOf(std::string_view path) { return TakeKeys(files_, dataFolder_).KeyOf(path); }

MemoTable CatalogueFile::Mapped(MemoTable memos)
{
    VoiceStore(files_, folder_).FollowMovedFolder(memos);
    return memos;
}

MemoTable CatalogueFile::LoadTable()
{
    // Watched from the first read on: a writer in place is seen from its
    // first write.
    writers_.Watch(files_, path_);
    // Counted as loaded only once everything below has succeeded: whatever
    // fails on the way (a read, memory for the memos), the close must not
    // take the empty list for the catalogue.
    known_ = true;
    loadFailed_ = true;
    linkLeadingOut_ = files_.LinkLeadingOut(path_);
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
    versions_.Read(loaded.sharedText());
    // Another machine's paths, or a moved folder's: the file as this
    // machine reads it is the base, so that only a change is written.
    if (VoiceStore(files_, folder_).FollowMovedFolder(loaded) > 0)
        baseTable_ = loaded;
    return loaded;
}

CatalogueSync CatalogueFile::SaveTable(const MemoTable& memos)
{
    // Looked at anew each time: a link planted since the load is said once,
    // and a link the user replaced with the catalogue itself is written again.
    const bool wasOut = linkLeadingOut_.has_value();
    if ((linkLeadingOut_ = files_.LinkLeadingOut(path_))) {
        if (!wasOut)
            throw Error(FormatMessage(messages::kLinkLeadsOut, path_, *linkLeadingOut_));
        if (loadFailed_ && !(memos == Base()))
            throw Error(FormatMessage(messages::kCannotOpen, path_));  // as for any file that cannot be read
        return TakeInChanges(memos);  // only read: the list follows the file, the window keeps its edits
    }
    if (!known_) {
        CatalogueSync saved;
        saved.written = Put(memos.Written()).value_or(false);
        return saved;
    }
    // Another program's write between the merge's read and the rename is
    // read and merged again; one that writes on and on is said.
    constexpr int kAttempts = 4;
    const OtherWriters::Hold hold(writers_);
    for (int attempt = 0; attempt < kAttempts; ++attempt)
        if (auto saved = SaveOnce(memos))
            return std::move(*saved);
    throw Error(FormatMessage(messages::kCatalogueBeingRewritten, path_));
}

std::optional<CatalogueSync> CatalogueFile::SaveOnce(const MemoTable& memos)
{
    bool copiesBeside = false;
    std::vector<SyncNotice> notices;
    std::vector<Copy> copies = ReadyCopies(copiesBeside, notices);
    const auto now = files_.StampOf(path_);
    if (!writers_.MayTouch(now, Unchanged(now), notices)) {
        CatalogueSync deferred;
        deferred.deferred = !(memos == Base());
        deferred.notices = std::move(notices);
        return deferred;
    }
    if (copies.empty() && Unchanged(now)) {
        auto saved = WriteOver(memos, now);
        if (saved)
            saved->notices = std::move(notices);
        return saved;
    }
    Snapshot file;
    ReadOutcome read = ReadAsItStands(now, file);
    // A sync tool puts its conflict copy aside before it puts the winning
    // version in place: no file there yet is not an emptied catalogue.
    if (read == ReadOutcome::Read && copiesBeside && file.stamp && !file.stamp->exists)
        read = ReadOutcome::Rewritten;
    if (read != ReadOutcome::Read) {
        if (memos == Base())
            return CatalogueSync{};
        throw Error(
            FormatMessage(read == ReadOutcome::Unreadable ? messages::kCannotOpen : messages::kCatalogueBeingRewritten,
                          path_));
    }
    if (copies.empty() && SameBytesAsBase(file)) {
        baseStamp_ = file.stamp;
        auto saved = WriteOver(memos, file.stamp);
        if (saved)
            saved->notices = std::move(notices);
        return saved;
    }
    if (!copiesBeside)
        versions_.Read(file.memos.sharedText());
    return MergeIn(memos, std::move(file), true, std::move(copies), std::move(notices));
}

CatalogueSync CatalogueFile::TakeInChanges(const MemoTable& memos)
{
    if (!known_)
        return {};  // the window has no list yet that the file's memos could join
    bool copiesBeside = false;
    std::vector<SyncNotice> notices;
    std::vector<Copy> copies = ReadyCopies(copiesBeside, notices);
    CatalogueSync nothing;
    nothing.notices = notices;
    const auto now = files_.StampOf(path_);
    if (copies.empty() && (Unchanged(now) || (now && now == unreadableStamp_)))
        return nothing;
    if (copiesBeside && now && !now->exists)
        return nothing;  // the winning version is still to come
    const OtherWriters::Hold hold(writers_);
    if (!writers_.MayTouch(now, Unchanged(now), nothing.notices)) {
        nothing.deferred = true;
        return nothing;
    }
    Snapshot file;
    if (ReadAsItStands(now, file) != ReadOutcome::Read) {
        unreadableStamp_ = now;
        return nothing;
    }
    if (copies.empty() && SameBytesAsBase(file)) {
        baseStamp_ = file.stamp;
        return nothing;
    }
    if (!copiesBeside)
        versions_.Read(file.memos.sharedText());
    // A conflict copy merged in is written at once: the copy goes only
    // once the file holds what it held.
    const bool write = !copies.empty();
    if (auto merged = MergeIn(memos, std::move(file), write, std::move(copies), std::move(notices)))
        return std::move(*merged);
    return nothing;  // written meanwhile: taken in at the next look
}

std::vector<CatalogueFile::Copy> CatalogueFile::ReadyCopies(bool& present, std::vector<SyncNotice>& notices)
{
    std::vector<Copy> ready;
    present = false;
    if (linkLeadingOut_)
        return ready;  // merging one in would write through the link
    const auto now = std::chrono::steady_clock::now();
    std::map<std::string, std::chrono::steady_clock::time_point> stillThere;
    // Listed in name order: two machines merging the same copies merge them
    // in the same order.
    for (const std::string& name : files_.ListFiles(folder_, "Voice", ".dat")) {
        if (!IsConflictCopyOf(name, kCatalogueFileName))
            continue;
        const std::string path = folder_ + name;
        if (const auto kept = keptCopies_.find(name);
            kept != keptCopies_.end() && files_.StampOf(path) == std::optional(kept->second))
            continue;  // merged in already: as if it had gone
        present = true;
        auto content = files_.ReadFile(path);
        if (!content) {
            if (std::find(toldUnreadable_.begin(), toldUnreadable_.end(), name) == toldUnreadable_.end()) {
                toldUnreadable_.push_back(name);
                notices.push_back({SyncNotice::CopyUnreadable, name});
            }
            continue;
        }
        Copy copy{name, path, MemoTable::FromCatalogueText(std::move(*content))};
        copy.ours = versions_.WroteItself(copy.memos.text());
        if (!copy.ours) {
            // Left a while for the machine whose save it holds.
            const auto seen = othersCopiesSeen_.try_emplace(name, now).first->second;
            stillThere.emplace(name, seen);
            if (now - seen < othersCopyWait_)
                continue;
        }
        copy.memos = Mapped(std::move(copy.memos));
        ready.push_back(std::move(copy));
    }
    othersCopiesSeen_ = std::move(stillThere);
    return ready;
}

// Each copy merged into the file's memos, in turn: a memo either holds is
// kept, a field both changed takes the file's value (the sync tool's pick,
// the newer), and where the copy is the window's own save, each of its
// values that gave way is told.
MemoTable CatalogueFile::MergedWithCopies(MemoTable file, std::vector<Copy>& copies, std::vector<SyncNotice>& notices)
{
    const auto sharedText = versions_.Shared();
    const MemoTable shared = Mapped(sharedText ? MemoTable::FromCatalogueText(sharedText) : MemoTable());
    TakeKeys keys(files_, dataFolder_);
    const FileKey keyOf = [&keys](std::string_view path) { return keys.KeyOf(path); };
    for (Copy& copy : copies) {
        MergedCatalogue merged = MergeCatalogues(shared, copy.memos, file, keyOf, {true, true});
        if (copy.ours)
            for (const LostValue& lost : merged.lost)
                notices.push_back({SyncNotice::ValueLost, copy.name,
                                   std::string(merged.memos.field(lost.row, MemoTable::kTitle)), lost.column,
                                   lost.value});
        notices.push_back({SyncNotice::CopyTakenIn, copy.name});
        file = std::move(merged.memos);
    }
    return file;
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
std::optional<CatalogueSync> CatalogueFile::WriteOver(const MemoTable& memos, const std::optional<FileStamp>& read)
{
    CatalogueSync saved;
    MemoTable written = memos.Written();
    // Bytes alike are memos alike. Bytes that differ from a file another
    // program wrote may still hold the same memos (a line without all its
    // fields, lone LFs), from one this class wrote they cannot.
    if (written.text() == BaseText() || (!baseAsWritten_ && memos == Base()))
        files_.RemoveWriteLeftovers(path_);  // as a save that writes would
    else if (const auto put = Put(std::move(written), &read))
        saved.written = *put;
    else
        return std::nullopt;
    return saved;
}

std::optional<CatalogueSync> CatalogueFile::MergeIn(const MemoTable& memos, Snapshot theirs, bool write,
                                                    std::vector<Copy> copies, std::vector<SyncNotice> notices)
{
    // The file as this machine reads it: another machine's paths are ours.
    MemoTable onDisk = Mapped(std::move(theirs.memos));
    TakeKeys keys(files_, dataFolder_);
    const FileKey keyOf = [&keys](std::string_view path) { return keys.KeyOf(path); };
    if (copies.empty() && beforeLastSave_)
        for (SyncNotice& undone : UndoneEdits(*beforeLastSave_, Base(), onDisk, keyOf))
            notices.push_back(std::move(undone));
    // The window's list as last read, unchanged (a take-in while nothing
    // was edited): it is the base, so the base's rows are not made again,
    // and the merge is the file as it stands, its rows taken as they are.
    // A large catalogue's take-in then costs little more than its read.
    const bool oursIsBase = !baseTable_ && memos.Pristine() && memos.sharedText() == baseText_;
    if (oursIsBase && copies.empty() && !write && onDisk.Pristine()) {
        MergedCatalogue taken = TakenAsItStands(memos, std::move(onDisk), keyOf);
        RememberText(taken.memos.sharedText(), theirs.stamp);
        CatalogueSync sync;
        if (!taken.sameAsOurs) {
            sync.memos = std::move(taken.memos);
            sync.rowOf = std::move(taken.rowOfOurs);
        }
        sync.notices = std::move(notices);
        return sync;
    }
    std::optional<MemoTable> withCopies;
    const MemoTable& file = copies.empty() ? onDisk : withCopies.emplace(MergedWithCopies(onDisk, copies, notices));
    MergedCatalogue merged = MergeCatalogues(oursIsBase ? memos : Base(), memos, file, keyOf);
    for (const LostValue& lost : merged.lost)
        notices.push_back({SyncNotice::ValueReplaced,
                           {},
                           std::string(merged.memos.field(lost.row, MemoTable::kTitle)),
                           lost.column,
                           lost.value});
    CatalogueSync sync;
    if (write && !(merged.memos == onDisk)) {
        const auto put = Put(merged.memos, &theirs.stamp);
        if (!put)
            return std::nullopt;  // written meanwhile: read and merged again
        sync.written = *put;
    } else {
        // What the file holds becomes the base: the window's changes it
        // lacks stay changes against it.
        Remember(std::move(onDisk), theirs.stamp);
    }
    // The copies go once the file holds what they held; where no trash can
    // take them, they stay, never deleted for good.
    for (const Copy& copy : copies) {
        const auto stamp = files_.StampOf(copy.path);
        if (files_.DiscardFileIn(copy.path, folder_) == Discard::NoTrash && stamp)
            keptCopies_[copy.name] = *stamp;
    }
    if (!merged.sameAsOurs) {
        sync.memos = std::move(merged.memos);
        sync.rowOf = std::move(merged.rowOfOurs);
    }
    sync.notices = std::move(notices);
    return sync;
}

// Writes memos that stand as the file will hold them (text() is the file's
// text), or deletes the file when there are none; they become the base.
// A failed deletion is not reported, and nothing is remembered then.
std::optional<bool> CatalogueFile::Put(MemoTable written, const std::optional<FileStamp>* read)
{
    // A link planted since the save's own look (a take-in merging a
    // conflict copy looks no sooner): said, and from then on only read.
    if ((linkLeadingOut_ = files_.LinkLeadingOut(path_)))
        throw Error(FormatMessage(messages::kLinkLeadsOut, path_, *linkLeadingOut_));
    std::optional<MemoTable> before = Base();
    const auto stillAsRead = [this, read] { return StillAsRead(*read); };
    if (written.empty()) {
        if (read && !stillAsRead())
            return std::nullopt;
        if (!files_.DeleteFile(path_))
            return false;
    } else if (!ReplaceOrThrow(files_, path_, written.text(),
                               read ? std::function<bool()>(stillAsRead) : std::function<bool()>())) {
        return std::nullopt;
    }
    // Another program's file there already (it wrote right after us):
    // looked at anew at the next save.
    auto stamp = files_.StampOf(path_);
    if (stamp && (stamp->exists == written.empty() || stamp->size != written.text().size()))
        stamp.reset();
    versions_.Wrote(written.text());
    Remember(std::move(written), stamp);
    baseAsWritten_ = true;
    beforeLastSave_ = std::move(before);
    return true;
}

// Asked just before the rename. The hold on the file ends here, so that a
// rewrite in place of our own never waits on it.
bool CatalogueFile::StillAsRead(const std::optional<FileStamp>& read)
{
    const bool undisturbed = writers_.Undisturbed();
    writers_.Release();
    return undisturbed && files_.StampOf(path_) == read;
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
    beforeLastSave_.reset();
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
