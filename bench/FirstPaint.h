// Says when a window's first paint has ended, for the start-up benchmark:
// the zero timer fires after the whole window, children included, has
// painted. One line on standard output, "painted <ns>", the monotonic clock.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <ctime>
#include <functional>
#include <utility>

namespace voicememo::bench {

inline long long MonotonicNow()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

inline void SayPainted() { std::printf("painted %lld\n", MonotonicNow()); }

// Watches one window, or with none given every window of the application.
class FirstPaint : public QObject {
public:
    FirstPaint(QObject* watched, std::function<void()> done) : watched_(watched), done_(std::move(done))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* target, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_ && IsWindow(target)) {
            seen_ = true;
            watched_->removeEventFilter(this);
            QTimer::singleShot(0, this, done_);
        }
        return false;
    }

private:
    static bool IsWindow(QObject* target)
    {
        return target->isWidgetType() && static_cast<QWidget*>(target)->isWindow();
    }

    QObject* watched_;
    std::function<void()> done_;
    bool seen_ = false;
};

}  // namespace voicememo::bench
