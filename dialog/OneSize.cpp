#include "OneSize.h"

#include <QEvent>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>

namespace voicememo {

OneSize::OneSize(QWidget* window)
    : QObject(window),
      window_(window),
      size_(window->minimumSize()),
      wayland_(QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
{
    if (wayland_)
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window->installEventFilter(this);
}

bool OneSize::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == window_ && event->type() == QEvent::WindowStateChange && window_->isMaximized()) {
        QTimer::singleShot(0, window_, [window = window_] { window->showNormal(); });
    } else if (watched == window_ && event->type() == QEvent::Resize && wayland_ &&
               !(window_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) && window_->size() != size_) {
        QTimer::singleShot(0, window_, [window = window_, size = size_] {
            if (!(window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
                window->resize(size);
        });
    }
    return false;
}

}  // namespace voicememo
