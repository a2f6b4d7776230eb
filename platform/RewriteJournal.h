#pragma once
// A rollback journal for a file rewritten in place, which is not atomic: a
// kill or a power cut halfway would leave the new beginning spliced onto the
// old tail. Before the first byte is overwritten, the old content is made
// durable in a journal in the user's state folder
// ($XDG_STATE_HOME/voicememo, or ~/.local/state/voicememo), named after the
// file's identity (device and inode). The journal is removed once the new
// content is durable. A journal found later means a rewrite was cut short:
// the old content is put back before anything reads or writes the file.
#include <optional>
#include <string>
#include <sys/stat.h>

#include "FileSystem.h"

namespace voicememo {

class RewriteJournal {
public:
    // Journals the content of the open file fd (the file at diskPath, whose
    // identity is info). False when the journal cannot be made durable: the
    // file must then not be rewritten.
    static bool Begin(int fd, const struct stat& info, const std::string& diskPath, RewriteJournal& journal);
    // The new content is durable: the journal goes.
    void Commit();

    // Puts back the old content of a rewrite of the file at diskPath that
    // was cut short. True when the file is whole: no journal was left, or
    // it was played back. False when a journal is left but could not be
    // played back: the file may be spliced and must not be read or written.
    static bool RollBackCutRewrite(const std::string& diskPath);

    // The content a rollback would put back in the file at diskPath, read
    // without writing anything; nothing when no journal of it is left.
    static std::optional<std::string> OldContentOfRewrite(const std::string& diskPath);

    // The folder the journals are kept in.
    static std::string Folder();

private:
    std::string path_;
};

// Writes the bytes over the regular file's own content, for when no
// temporary file can be made beside it, under a journal: a failure or a kill
// at any moment leaves the old content or the new one, once the journal is
// played back.
WriteResult RewriteInPlace(const std::string& diskPath, const std::string& bytes);

}  // namespace voicememo
