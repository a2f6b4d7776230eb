#pragma once
#include <QWidget>

namespace voicememo {

// Whether the object is the window or one of the controls in it.
inline bool Within(QWidget* window, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && (widget == window || window->isAncestorOf(widget));
}

}  // namespace voicememo
