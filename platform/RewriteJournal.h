#pragma once
// A rollback journal for a file rewritten in place, which is not atomic: a
// kill or a power cut halfway would leave the new beginning spliced onto the
// old tail. Before the first byte is overwritten, the file's path and
// identity and its old and new content (JournalText.h) are made durable in a
// journal in the user's state folder ($XDG_STATE_HOME/voicememo, or
// ~/.local/state/voicememo). The journal is removed once the new content is
// durable.
//
// A journal found later belongs to the file at its path, or to the file of
// its identity when nothing is left at its path (the folder was moved); the
// path finds it after a disk comes back under another device number. It is
// played back only when the file holds exactly what a cut rewrite leaves:
// a file changed since, or a new file in its place, is never overwritten
// with the old content. Such a journal is set aside under another name for
// the user, who is told where.
//
// The writer holds a lock on its journal (an open file description lock)
// until it is done, so that a reader beside it can tell a rewrite under way
// from one that was cut short.
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

#include "FileBytes.h"
#include "FileSystem.h"

namespace voicememo {

class RewriteJournal {
public:
    RewriteJournal() = default;
    // A journal neither committed nor rolled back stays, as a killed
    // writer's does.
    ~RewriteJournal();
    RewriteJournal(const RewriteJournal&) = delete;
    RewriteJournal& operator=(const RewriteJournal&) = delete;

    // Journals the file open at fd (the file at diskPath, whose status is
    // info) before it is rewritten with newContent. False when the journal
    // cannot be made durable: the file must then not be rewritten.
    static bool Begin(int fd, const struct stat& info, const std::string& diskPath, std::string_view newContent,
                      RewriteJournal& journal);
    // The new content is durable: the journal goes.
    void Commit();
    // The rewrite failed: the old content goes back in the file at diskPath,
    // then the journal goes. False when it could not be put back: the
    // journal stays for the next reader.
    bool RollBack(const std::string& diskPath);

    // The folder the journals are kept in.
    static std::string Folder();

private:
    int fd_ = -1;
    std::string pathKey_;
    std::string identityKey_;  // empty when the journal has no second name
    std::string oldContent_;
};

// What became of a journal left for a file, before the file is read,
// written or deleted.
struct SettledJournal {
    // False when the file may be spliced and must not be read or written: a
    // journal that cannot be read, a rewrite of it under way elsewhere, a
    // file that cannot be read to be checked or put back.
    bool fileWhole = true;
    // Where a journal that did not fit the file was set aside; empty when
    // none was.
    std::string setAsideAt;
};
SettledJournal SettleCutRewrite(const std::string& diskPath);

// The file at diskPath (its first most bytes) as a reader beside the
// dialog sees it, writing nothing: the content from before a rewrite under
// way or cut short, else the file as it is.
struct JournalRead {
    std::optional<std::string> content;
    // A journal was left that does not fit the file, which is read as it is.
    bool journalNotApplied = false;
};
JournalRead ReadBesideRewrites(const std::string& diskPath, std::size_t most = kWholeFile);

// Writes the bytes over the regular file's own content, for when no
// temporary file can be made beside it, under a journal: a failure or a kill
// at any moment leaves the old content or the new one, once the journal is
// played back.
WriteResult RewriteInPlace(const std::string& diskPath, const std::string& bytes);

}  // namespace voicememo
