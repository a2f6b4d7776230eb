#include "CatalogueKeeper.h"

#include <exception>
#include <utility>

#include "CalendarFeed.h"
#include "Error.h"
#include "Messages.h"

namespace voicememo {

namespace {
// About the time a person takes to go on typing: an edit saved after it is
// one that has ended.
constexpr int kEditRestMs = 2000;
// A look at the file costs one stat.
constexpr int kLookEveryMs = 2000;
}  // namespace

CatalogueKeeper::CatalogueKeeper(FileSystem& files, std::string exeDir, MemoListModel& model, QObject* parent)
    : QObject(parent),
      files_(files),
      exeDir_(std::move(exeDir)),
      model_(model),
      catalogue_(files, exeDir_)
{
    // Without a thread to spare (or the memory for one, under an address
    // space limit), the catalogue is read when the window shows.
    try {
        readAhead_ = std::async(std::launch::async, [this] { return Read(); });
    } catch (const std::exception&) {
        readAhead_ = {};
    }
    settle_.setSingleShot(true);
    settle_.setInterval(kEditRestMs);
    connect(&settle_, &QTimer::timeout, this, &CatalogueKeeper::settled);
    look_.setInterval(kLookEveryMs);
    connect(&look_, &QTimer::timeout, this, &CatalogueKeeper::lookDue);
}

CatalogueKeeper::~CatalogueKeeper()
{
    if (readAhead_.valid())
        readAhead_.wait();
    catalogue_.KeepSharedVersions();
}

MemoTable CatalogueKeeper::Read() { return catalogue_.LoadTable(); }

void CatalogueKeeper::Load()
{
    model_.appendMemos(readAhead_.valid() ? readAhead_.get() : Read());
    look_.start();
    // A sync tool's conflict copy left from before is looked at as soon as
    // the window is up.
    QTimer::singleShot(0, this, &CatalogueKeeper::lookDue);
}

CatalogueKeeper::RowMoves CatalogueKeeper::Save()
{
    settle_.stop();
    CatalogueSync sync = catalogue_.SaveTable(model_.memos());
    savePending_ = sync.deferred;
    RowMoves moves = Show(std::move(sync));
    if (savePending_) {
        if (closing_)
            throw Error(FormatMessage(messages::kCatalogueBeingRewritten, catalogue_.path()));
        return moves;
    }
    WriteCalendarFeedAfterSave(files_, exeDir_, catalogue_, model_.memos());
    return moves;
}

CatalogueKeeper::RowMoves CatalogueKeeper::TakeIn()
{
    CatalogueSync sync = catalogue_.TakeInChanges(model_.memos());
    // The writer has closed the file: the save that waited for it is due.
    if (savePending_ && !sync.deferred) {
        savePending_ = false;
        QTimer::singleShot(0, this, &CatalogueKeeper::settled);
    }
    return Show(std::move(sync));
}

void CatalogueKeeper::EditMade() { settle_.start(); }

CatalogueKeeper::RowMoves CatalogueKeeper::Show(CatalogueSync sync)
{
    notices_.insert(notices_.end(), sync.notices.begin(), sync.notices.end());
    if (!sync.memos)
        return std::nullopt;
    model_.replaceMemos(std::move(*sync.memos));
    return std::move(sync.rowOf);
}

}  // namespace voicememo
