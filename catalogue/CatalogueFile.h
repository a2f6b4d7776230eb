#pragma once
// The catalogue file Voice.dat: one memo per line, six TAB-separated fields,
// each line ending in CR LF. The calendar reads the same file.
#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "MemoTable.h"
#include "OtherWriters.h"
#include "RowMap.h"
#include "SharedVersions.h"
#include "SyncNotice.h"
#include "VoiceMemo.h"

namespace voicememo {

inline constexpr const char* kCatalogueFileName = "Voice.dat";

// One line into a memo; every line, an empty one too, gives one memo.
// Extra TABs stay in the last field.
VoiceMemo ParseCatalogueLine(std::string_view line);

std::vector<VoiceMemo> ParseCatalogue(std::string_view content);
std::string FormatCatalogue(const std::vector<VoiceMemo>& memos);

// Replaces the file atomically with the bytes, as a save does. Throws Error
// "ﾌｧｲﾙ %s を作成できません" or "ｽﾄﾘｰﾑへの書き込みｴﾗｰ"; the old file then
// stays as it was. With stillSo, only when it says yes just before the
// rename (FileSystem::ReplaceFileIf): false when it said no.
bool ReplaceOrThrow(FileSystem& files, const std::string& path, const std::string& bytes,
                    const std::function<bool()>& stillSo = {});

// What a save or a take-in leaves for the window.
struct CatalogueSync {
    bool written = false;  // the file was written, or deleted
    // The memos as the file now holds them, when they are not the window's
    // list (another program's changes were merged in): the window shows
    // these in its list's place.
    std::optional<MemoTable> memos;
    // With memos: where each row of the window's list now stands in them;
    // -1 for a memo that another program removed.
    RowMap rowOf;
    // What the user is to be told of another machine's changes, once.
    std::vector<SyncNotice> notices;
    // Another program is still writing the file in place: the window's
    // changes were not written, and are to be saved once it has closed it.
    bool deferred = false;
};

// The catalogue file as the window reads and writes it while other programs
// (a sync tool, a copy on another machine, a text editor) may write it too.
// It remembers the memos it last read or wrote (the base) and the file's
// stamp then, so a look at the file's status tells whether anyone else
// wrote it since.
//
// Every read maps the paths of another machine's folder onto ours (a memo
// is known by its take: TakeKeys.h), so a file that differs from ours only
// in its paths is no change and is not written back.
//
// A sync tool's conflict copy of the file (SyncCopies.h) holds a version
// that never saw the file's: it is merged in at every read, against the
// version both machines last shared (SharedVersions.h), keeping every memo
// either holds and, for a field both changed, the file's value; the merged
// file is written, and only then the copy goes to the trash. A copy of the
// window's own save is merged at once; another machine's is left a while
// for that machine's window, then merged the same way.
class CatalogueFile {
public:
    CatalogueFile(FileSystem& files, const std::string& exeDir,
                  std::chrono::milliseconds othersCopyWait = std::chrono::seconds(30));

    const std::string& path() const { return path_; }

    // The memos of the file, held as the file's text with the fields found
    // in it; none when it does not exist. A file that exists but cannot be
    // read throws "ﾌｧｲﾙ %s は開けません" and is remembered, so that a later
    // save never destroys it: its memos are merged in once it reads.
    MemoTable LoadTable();

    // Saves the window's list. When the file is as last read or written
    // (its stamp unchanged, or only its time: the bytes tell), the list is
    // written, or the file deleted when the list is empty; nothing is
    // written when the list is the memos last read or written either.
    // When another program changed the file, the list, the file and the
    // base are merged (CatalogueMerge.h), the result is written unless the
    // file already holds it, and returned in memos so the window shows it.
    // Before any load the list is written as it stands.
    // A file that cannot be read throws "ﾌｧｲﾙ %s は開けません", one that
    // changes while it is read kCatalogueBeingRewritten; nothing is written
    // then, and nothing is said when the list is the base (nothing of the
    // window's would be lost). Failures to write throw
    // "ﾌｧｲﾙ %s を作成できません" or "ｽﾄﾘｰﾑへの書き込みｴﾗｰ" and leave the old
    // file as it was. A save that throws changes nothing here either.
    // A file another program writes between the merge's read and the
    // rename is read and merged again, a few times, then
    // kCatalogueBeingRewritten is thrown. While another program may still
    // be writing the file in place (OtherWriters.h), nothing is read or
    // written: the result says deferred.
    CatalogueSync SaveTable(const MemoTable& memos);

    // Takes in what other programs wrote since the last read or write: the
    // same merge as a save's, nothing written. One stat when the file did
    // not change. Nothing before the first load, nor while the file cannot
    // be read or is being written (tried again once it changes), nor while
    // another program may still be writing it in place (deferred).
    CatalogueSync TakeInChanges(const MemoTable& memos);

    // For tests: how long a file must hold still where no writer can be
    // seen, and how long one may hold it open before the window says so.
    void SetWriterWaits(OtherWriters::Waits waits) { writers_.SetWaits(waits); }

    bool loadFailed() const { return loadFailed_; }

    // Voice.dat is a link that leads out of the folder (to a shell start-up
    // file, say: FileSystem::LinkLeadingOut), as the load or the last save
    // found it: the file it leads to. The catalogue is then only read: a
    // save takes in what the file holds and writes nothing (the first save
    // that finds such a link throws kLinkLeadsOut), conflict copies are
    // left beside it.
    const std::optional<std::string>& linkLeadingOut() const { return linkLeadingOut_; }

    // Keeps, for the next start, what the reads and writes taught of the
    // versions the machines share.
    void KeepSharedVersions() { versions_.KeepForNextStart(); }

private:
    struct Snapshot {
        MemoTable memos;
        std::optional<FileStamp> stamp;
    };
    struct Copy {
        std::string name, path;
        MemoTable memos;
        bool ours = false;
    };
    // The conflict copies ready to be merged; present tells whether any
    // lies beside the file at all.
    std::vector<Copy> ReadyCopies(bool& present, std::vector<SyncNotice>& notices);
    MemoTable Mapped(MemoTable memos);
    MemoTable MergedWithCopies(MemoTable file, std::vector<Copy>& copies, std::vector<SyncNotice>& notices);
    std::string KeyOf(std::string_view path);
    enum class ReadOutcome { Read, Unreadable, Rewritten };

    bool Unchanged(const std::optional<FileStamp>& now) const;
    bool SameBytesAsBase(const Snapshot& file) const;
    ReadOutcome ReadAsItStands(std::optional<FileStamp> before, Snapshot& file);
    // The save, once: nothing when another program wrote the file between
    // its read and the rename (it is read again then).
    std::optional<CatalogueSync> SaveOnce(const MemoTable& memos);
    std::optional<CatalogueSync> WriteOver(const MemoTable& memos, const std::optional<FileStamp>& read);
    std::optional<CatalogueSync> MergeIn(const MemoTable& memos, Snapshot theirs, bool write, std::vector<Copy> copies,
                                         std::vector<SyncNotice> notices);
    // With read: only while the file is as read then (nothing otherwise).
    std::optional<bool> Put(MemoTable written, const std::optional<FileStamp>* read = nullptr);
    bool StillAsRead(const std::optional<FileStamp>& read);
    void Remember(MemoTable memos, std::optional<FileStamp> stamp);
    void RememberText(std::shared_ptr<const std::string> text, std::optional<FileStamp> stamp);
    const MemoTable& Base() const;
    const std::string& BaseText() const;

    FileSystem& files_;
    std::string folder_;
    std::string dataFolder_;
    std::string path_;
    SharedVersions versions_;
    std::chrono::milliseconds othersCopyWait_;
    OtherWriters writers_;
    std::map<std::string, std::chrono::steady_clock::time_point> othersCopiesSeen_;
    // Copies merged in that no trash could take, as they stood then: left
    // beside the file, they are not merged again while they stay so.
    std::map<std::string, FileStamp> keptCopies_;
    std::vector<std::string> toldUnreadable_;
    // The catalogue before the window's last save, while the base is what
    // that save wrote: tells what a take-in undid of it.
    std::optional<MemoTable> beforeLastSave_;
    bool known_ = false;  // loaded, or written, once
    bool loadFailed_ = false;
    std::optional<std::string> linkLeadingOut_;
    // The memos last read or written, as the file held them; empty after a
    // failed load. A load keeps their text alone, shared with the table it
    // returns, and Base() makes their table from it when a comparison or a
    // merge first needs one: a start keeps no second row index of a large
    // catalogue.
    std::shared_ptr<const std::string> baseText_;
    mutable std::optional<MemoTable> baseTable_;
    bool baseAsWritten_ = false;                // its text is Written's
    std::optional<FileStamp> baseStamp_;        // the file's then; nothing when not known
    std::optional<FileStamp> unreadableStamp_;  // the file's when it last could not be read
};

}  // namespace voicememo
