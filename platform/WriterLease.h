#pragma once
// WriterWatch on a Linux disk. inotify on the file's folder, from the
// start: a modify with no close-after-write since means a writer still
// holds the file open. Where the file is ours (or we are root), a read
// lease (F_SETLEASE F_RDLCK) tells more: it cannot be had while any
// program holds the file open for writing, and while it is held, a program
// that opens the file for writing breaks it, and waits until it is
// released. Where the lease is refused (another user's file), the events
// alone tell. A network disk tells neither of another machine's writers:
// there the answer is CannotTell.
#include <functional>
#include <optional>
#include <string>

#include "WriterWatch.h"

namespace voicememo {

class WriterLease final : public WriterWatch {
public:
    // diskPath: the file as it is named on the disk now (links followed);
    // locate: where it is at each look, which a link changed since may move.
    WriterLease(const std::string& diskPath, std::function<std::optional<std::string>()> locate);
    ~WriterLease() override;
    WriterLease(const WriterLease&) = delete;
    WriterLease& operator=(const WriterLease&) = delete;

    State Look() override;
    bool Undisturbed() override;
    void Release() override;

private:
    void ReadEvents();
    State TakeLease();

    std::function<std::optional<std::string>()> locate_;
    std::string name_;
    int inotify_ = -1;
    bool networkDisk_ = false;
    bool writing_ = false;  // a modify seen, and no close-after-write since
    int lease_ = -1;
};

}  // namespace voicememo
