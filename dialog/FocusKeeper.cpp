#include "FocusKeeper.h"

#include <QWidget>

#include "Within.h"

namespace voicememo {

FocusKeeper::FocusKeeper(QWidget* window) : QObject(window), window_(window) {}

void FocusKeeper::setEnabled(QWidget* control, bool enabled)
{
    if (!enabled) {
        const bool hasFocus = Within(control, window_->focusWidget());
        control->setEnabled(false);
        if (hasFocus) {
            // Qt has moved the focus on to the next control: take it back.
            keeper_ = control;
            window_->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    control->setEnabled(true);
    if (keeper_ != control)
        return;
    keeper_ = nullptr;
    QWidget* focus = window_->focusWidget();
    if ((!focus || focus == window_) && control->isEnabled())
        control->setFocus(Qt::OtherFocusReason);
}

}  // namespace voicememo
