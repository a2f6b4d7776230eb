#pragma once
// What this machine knows of the versions of a catalogue that two machines
// share through a sync tool: the digests of the versions it wrote itself,
// and the newest version it read from another writer (or at start), which
// both machines are known to have had. A conflict copy is merged against
// that version: one the window wrote itself may never have reached the
// other machine. Kept in the user's state folder across restarts.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FileSystem.h"

namespace voicememo {

class SharedVersions {
public:
    SharedVersions(FileSystem& files, std::string path);

    // The window wrote these bytes.
    void Wrote(const std::string& text);
    bool WroteItself(const std::string& text);
    // The window read these bytes: they become the shared version unless
    // the window wrote them itself.
    void Read(std::shared_ptr<const std::string> text);
    // The version both machines had; nothing when none is known.
    std::shared_ptr<const std::string> Shared();
    // Keeps what was learnt for the next start.
    void KeepForNextStart();

private:
    void LoadKept();
    void Settle();

    FileSystem& files_;
    std::string path_;
    bool loaded_ = false;
    std::vector<std::string> written_;  // digests, the newest last
    std::shared_ptr<const std::string> shared_;
    std::string sharedDigest_;
    std::string keptSharedDigest_;
    bool changed_ = false;
    std::shared_ptr<const std::string> pending_;  // read, not yet judged
};

}  // namespace voicememo
