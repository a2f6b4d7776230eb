#pragma once
// When the catalogue may be taken in or replaced while other programs may
// be writing it in place (WriterWatch.h): never while one holds it open for
// writing; where the system cannot tell, only once it has held still for a
// few seconds or is as the window last read or wrote it.
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "SyncNotice.h"
#include "WriterWatch.h"

namespace voicememo {

class OtherWriters {
public:
    struct Waits {
        std::chrono::milliseconds stillFor{3000};
        // Held open longer than this, it is said once.
        std::chrono::milliseconds heldOpen{60000};
    };

    // From the first read on: a writer that writes after it is seen.
    void Watch(FileSystem& files, const std::string& path);
    void SetWaits(Waits waits) { waits_ = waits; }

    // May the file, whose stamp is now (unchanged: as last read or
    // written), be read for a merge and replaced? When it may, no writer
    // opens it unnoticed until Release. A file held open past the wait is
    // told of in notices, once while it stays open.
    bool MayTouch(const std::optional<FileStamp>& now, bool unchanged, std::vector<SyncNotice>& notices);
    // No writer opened the file since MayTouch said yes.
    bool Undisturbed() { return !watch_ || watch_->Undisturbed(); }
    void Release()
    {
        if (watch_)
            watch_->Release();
    }

    // Releases at the end of a save or a take-in, however it ends.
    class Hold {
    public:
        explicit Hold(OtherWriters& writers) : writers_(writers) {}
        ~Hold() { writers_.Release(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        OtherWriters& writers_;
    };

private:
    using Clock = std::chrono::steady_clock;
    std::unique_ptr<WriterWatch> watch_;
    std::string path_;
    Waits waits_;
    std::optional<Clock::time_point> openSince_;
    bool toldOpen_ = false;
    bool stillSeen_ = false;
    std::optional<FileStamp> stillStamp_;
    Clock::time_point stillSince_;
};

}  // namespace voicememo
