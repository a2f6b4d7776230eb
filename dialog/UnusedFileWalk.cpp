#include "UnusedFileWalk.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>

namespace voicememo {

namespace {

// The shortest gap between two turns of handling the window's events during
// the walk, so that the events cost little beside the entries.
constexpr qint64 kEventsIntervalMs = 20;

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
                        const std::vector<std::string>& settingsLines, const VoiceStore::UnusedFileFound& found,
                        const std::function<void()>& flush)
{
    WalkScope scope(running_);
    int count = 0;
    QElapsedTimer sincePumped;
    auto handleEvents = [&] {
        if (flush)
            flush();
        QCoreApplication::processEvents();
        sincePumped.start();
    };
    store.FindUnusedVoiceFiles(
        memoPaths, settingsLines,
        [&](const std::string& name, const std::string& path) {
            ++count;
            found(name, path);
        },
        [&] {
            if (!sincePumped.isValid() || sincePumped.elapsed() >= kEventsIntervalMs)
                handleEvents();
        });
    if (flush)
        flush();
    return count;
}

}  // namespace voicememo
