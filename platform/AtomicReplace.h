#pragma once
// Replacing a file by a whole new one: the bytes go to a temporary file
// ".<name>.tmp-XXXXXX" beside it, made durable, then renamed over it, so a
// failure or a kill at any moment leaves the old file or the new one.
//
// A replace holds an flock on its temporary file until the rename, so what
// a killed replace left behind can be told from one in progress: the next
// replace or removal of the same file removes what nobody holds. Where
// locks do not work (NFS without its lock service), a replace goes on
// without one, and a leftover is removed once it has not changed for a
// while.
#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>

#include "FileSystem.h"

struct stat;

namespace voicememo {

struct ReplaceOutcome {
    WriteResult result = WriteResult::Done;
    int temporaryError = 0;  // errno when no temporary file could be made
    int writeError = 0;      // errno when the bytes could not be written (WriteFailed)
};

// Replaces the file at diskPath (no link: the caller resolves those) with
// bytes, the new file taking mode, and the owner and group of the file it
// replaces (replaced, its status; none for a new file). beforeRename, when
// given, is asked last: when it says no, nothing is replaced (CannotCreate).
ReplaceOutcome ReplaceAtomically(const std::string& diskPath, const std::string& bytes, mode_t mode,
                                 const struct stat* replaced = nullptr,
                                 const std::function<bool()>* beforeRename = nullptr);

// Gives the new file open at fd the owner and group of the file it is to
// replace, as far as the user may: root gives both, so a file root saves in
// a user's folder stays the user's; another user keeps the group where they
// belong to it, and otherwise the file is theirs, as a replace always made
// it. Before the mode is set: a change of owner clears set-ID bits.
void TakeOverOwner(int fd, const struct stat& replaced);

// Removes the temporary files that killed writers of diskPath left: those
// named ".<name><infix>XXXXXX" beside it that no writer holds a lock on.
void RemoveAbandonedTemporaries(const std::string& diskPath, std::string_view infix = ".tmp-");

}  // namespace voicememo
