// Loaded into the program itself (LD_PRELOAD) by the start-up benchmark, so
// that the start timed is the program's own, single-instance lock and all:
// at the first window's first paint it says when, and leaves the event loop
// without closing the window, so nothing is saved and the lock is let go.
#include <QCoreApplication>
#include <cstdio>

#include "FirstPaint.h"

namespace {

void WatchFirstPaint()
{
    new voicememo::bench::FirstPaint(QCoreApplication::instance(), [] {
        voicememo::bench::SayPainted();
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(WatchFirstPaint)
