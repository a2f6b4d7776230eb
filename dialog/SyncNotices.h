#pragma once
// What the window tells the user of another machine's changes to the
// catalogue: a conflict copy taken in, a value that gave way, an edit that
// a take-in undid.
#include <QString>
#include <vector>

#include "SyncNotice.h"

class QWidget;

namespace voicememo {

// The notice's line, in Japanese.
QString SyncNoticeText(const SyncNotice& notice);

// Shows the notices, one line each, in one box; nothing when there are none.
void ShowSyncNotices(QWidget* owner, const std::vector<SyncNotice>& notices);

}  // namespace voicememo
