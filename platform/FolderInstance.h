#pragma once
// One running copy of the program for each folder, as the desktop's single
// window per program folder: two copies on one folder would each keep a list
// of the catalogue, and the last to close would write its list over the
// other's.
#include <QLockFile>
#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>
#include <string>

namespace voicememo {

// The first start on a folder holds a lock named after the folder in the
// user's runtime folder and listens on a local socket beside it; a later
// start finds the lock held, asks the first to bring its window to the front
// and ends. The lock of a program that was killed is taken over: the lock
// file names its process, which is gone. A flood of connections to the
// socket holds a few files and never keeps the window from its work.
class FolderInstance {
public:
    explicit FolderInstance(const std::string& folder);
    ~FolderInstance();
    FolderInstance(const FolderInstance&) = delete;
    FolderInstance& operator=(const FolderInstance&) = delete;

    enum class Claim {
        First,        // this start holds the folder
        AnotherRuns,  // another copy holds it and was asked to come forward
        Unchecked,    // no lock could be made (no runtime folder of our own): run anyway
    };
    // As the first, calls raise whenever a later start asks, with the
    // activation token the later start was given (empty when none).
    Claim claim(std::function<void(const QString& token)> raise);
    // The runtime folder when it is no private folder of ours (it holds no
    // lock then), else empty.
    QString sharedRuntimeFolder() const { return private_ ? QString() : runtime_; }

private:
    void Listen();
    void TakeRequests();

    QString runtime_;
    bool private_;  // the runtime folder is ours alone, so the lock may stand there
    QString lockPath_;
    QString serverPath_;
    QLockFile lock_;
    std::function<void(const QString& token)> raise_;
    int serverFd_ = -1;
    std::unique_ptr<QSocketNotifier> serverNotifier_;
    QObject requests_;  // the open requests of later starts
};

}  // namespace voicememo
