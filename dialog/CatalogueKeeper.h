#pragma once
// The catalogue as the window keeps it while others (a sync tool, a second
// machine, a text editor) may write it too: read ahead while the window is
// built, saved with what others wrote merged in after each command and a
// moment after an edit ends, and what others wrote taken in while nothing is
// under way. The model then shows the catalogue as the file holds it.
#include <QObject>
#include <QTimer>
#include <cstddef>
#include <future>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CatalogueFile.h"
#include "MemoListModel.h"

namespace voicememo {

class CatalogueKeeper : public QObject {
    Q_OBJECT
public:
    // Where each row of the list went when the list was replaced by the
    // merged catalogue; -1 for a memo another program removed.
    using RowMoves = std::optional<RowMap>;

    // Starts reading the catalogue on a thread of its own, where one can be
    // had.
    CatalogueKeeper(FileSystem& files, std::string exeDir, MemoListModel& model, QObject* parent = nullptr);
    ~CatalogueKeeper() override;

    // The memos read into the model (a memo of a moved folder follows it).
    // Throws the error the read met.
    void Load();

    // Saves the list, merged with what others wrote; the calendar feed
    // follows where the user switched it on. Throws Error; the list and the
    // file then stay as they were. While another program is still writing
    // the file, the save waits for it to close it (settled is sent then);
    // a close cannot wait, and is told so by kCatalogueBeingRewritten.
    RowMoves Save();
    // Takes in what others wrote since the last read or write; writes
    // nothing. Throws Error when the file cannot be read.
    RowMoves TakeIn();

    // The catalogue could not be read at the last load; its memos are not
    // in the list.
    bool LoadFailed() const { return catalogue_.loadFailed(); }
    // Voice.dat is a link that leads out of the folder: the file it leads
    // to. The catalogue is then only read (CatalogueFile::linkLeadingOut).
    const std::optional<std::string>& LinkLeadingOut() const { return catalogue_.linkLeadingOut(); }

    // While one lives, the window is closing.
    class Closing {
    public:
        explicit Closing(CatalogueKeeper& keeper) : keeper_(keeper) { keeper_.closing_ = true; }
        ~Closing() { keeper_.closing_ = false; }
        Closing(const Closing&) = delete;
        Closing& operator=(const Closing&) = delete;

    private:
        CatalogueKeeper& keeper_;
    };

    // An edit was made: settled is sent once the edits rest for a moment.
    void EditMade();
    bool EditPending() const { return settle_.isActive(); }
    // What the last saves and take-ins have to tell of another machine's
    // changes, each once.
    std::vector<SyncNotice> TakeSyncNotices() { return std::exchange(notices_, {}); }

signals:
    // The edits have rested: time to save them.
    void settled();
    // A look at the file is due, for what others wrote.
    void lookDue();

private:
    // The catalogue's memos, a memo of a moved folder following it: the
    // work of the read-ahead thread, so a large catalogue's start waits less.
    MemoTable Read();
    RowMoves Show(CatalogueSync sync);

    FileSystem& files_;
    std::string exeDir_;
    MemoListModel& model_;
    CatalogueFile catalogue_;
    std::future<MemoTable> readAhead_;
    QTimer settle_;
    QTimer look_;
    std::vector<SyncNotice> notices_;
    bool savePending_ = false;  // a save waits for another program's write
    bool closing_ = false;
};

}  // namespace voicememo
