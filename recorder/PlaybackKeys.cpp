#include "PlaybackKeys.h"

#include <QApplication>
#include <QKeyEvent>

namespace voicememo {

PlaybackKeys::PlaybackKeys(QKeySequence stopKey, QObject* parent) : QObject(parent), stopKey_(std::move(stopKey))
{
    qApp->installEventFilter(this);
}

PlaybackKeys::~PlaybackKeys() { qApp->removeEventFilter(this); }

bool PlaybackKeys::eventFilter(QObject*, QEvent* event)
{
    if (!stop_)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Claimed, so that no shortcut fires: the key press comes next.
        event->accept();
        return true;
    case QEvent::Shortcut:
        return true;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeyCombination pressed = key->keyCombination();
        if (!key->isAutoRepeat() && (pressed.key() == Qt::Key_Escape || QKeySequence(pressed) == stopKey_))
            stop_();
        return true;
    }
    case QEvent::KeyRelease:
        return true;
    default:
        return false;
    }
}

}  // namespace voicememo
