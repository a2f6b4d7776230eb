#include "UnusedFileWalk.h"

#include <QApplication>
#include <QCursor>

namespace voicememo {

namespace {

// Marks the walk as running and shows the busy pointer for its whole length,
// an error included.
class WalkScope {
public:
    explicit WalkScope(bool& running) : running_(running)
    {
        running_ = true;
        QApplication::setOverrideCursor(Qt::BusyCursor);
    }
    ~WalkScope()
    {
        QApplication::restoreOverrideCursor();
        running_ = false;
    }
    WalkScope(const WalkScope&) = delete;
    WalkScope& operator=(const WalkScope&) = delete;

private:
    bool& running_;
};

}  // namespace

int UnusedFileWalk::Run(VoiceStore& store, const std::vector<std::string>& memoPaths,
                        const std::vector<std::string>& settingsLines, const VoiceStore::UnusedFileFound& found)
{
    WalkScope scope(running_);
    int count = 0;
    store.FindUnusedVoiceFiles(
        memoPaths, settingsLines,
        [&](const std::string& name, const std::string& path) {
            ++count;
            found(name, path);
        },
        [] { QCoreApplication::processEvents(); });
    return count;
}

}  // namespace voicememo
