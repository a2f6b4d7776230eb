#include "EscEndsPlayback.h"

#include <QApplication>
#include <QKeyEvent>

namespace voicememo {

EscEndsPlayback::EscEndsPlayback(std::function<void()> stop) : stop_(std::move(stop))
{
    qApp->installEventFilter(this);
}

EscEndsPlayback::~EscEndsPlayback() { qApp->removeEventFilter(this); }

bool EscEndsPlayback::eventFilter(QObject*, QEvent* event)
{
    if (!event->isInputEvent())
        return false;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        stop_();
    return true;
}

}  // namespace voicememo
