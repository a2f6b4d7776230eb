#include "EscEndsPlayback.h"

#include <QApplication>
#include <QKeyEvent>

namespace voicememo {

EscEndsPlayback::EscEndsPlayback(QObject* parent) : QObject(parent) { qApp->installEventFilter(this); }

EscEndsPlayback::~EscEndsPlayback() { qApp->removeEventFilter(this); }

bool EscEndsPlayback::eventFilter(QObject*, QEvent* event)
{
    if (!stop_)
        return false;
    // An underlined letter comes as a shortcut, no input event: claimed as
    // overridden, its key press is then dropped like any other.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::Shortcut)
        return true;
    if (!event->isInputEvent())
        return false;
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        stop_();
    return true;
}

}  // namespace voicememo
