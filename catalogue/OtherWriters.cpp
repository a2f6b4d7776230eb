#include "OtherWriters.h"

namespace voicememo {

void OtherWriters::Watch(FileSystem& files, const std::string& path)
{
    if (!watch_) {
        path_ = path;
        watch_ = files.WatchWriters(path);
    }
}

bool OtherWriters::MayTouch(const std::optional<FileStamp>& now, bool unchanged, std::vector<SyncNotice>& notices)
{
    if (!watch_)
        return true;
    const auto at = Clock::now();
    switch (watch_->Look()) {
    case WriterWatch::Closed:
        openSince_.reset();
        toldOpen_ = false;
        return true;
    case WriterWatch::Open:
        if (!openSince_)
            openSince_ = at;
        if (at - *openSince_ >= waits_.heldOpen && !toldOpen_) {
            toldOpen_ = true;
            notices.push_back({SyncNotice::HeldOpen, path_});
        }
        return false;
    case WriterWatch::CannotTell:
        break;
    }
    openSince_.reset();
    toldOpen_ = false;
    // Nobody wrote it since the window did: nothing half written to take.
    if (unchanged)
        return true;
    if (!stillSeen_ || stillStamp_ != now) {
        stillSeen_ = true;
        stillStamp_ = now;
        stillSince_ = at;
    }
    return at - stillSince_ >= waits_.stillFor;
}

}  // namespace voicememo
