#include "FocusKeeper.h"

#include <QWidget>

#include "MemoListView.h"
#include "Within.h"

namespace voicememo {

FocusKeeper::FocusKeeper(QWidget* window, MemoListView* list) : QObject(window), window_(window), list_(list)
{
    // A click or a key that moves in the list puts the focus there for good.
    connect(list, &MemoListView::clicked, this, [this] { keeper_ = nullptr; });
}

void FocusKeeper::setEnabled(QWidget* control, bool enabled)
{
    if (!enabled) {
        const bool hasFocus = Within(control, window_->focusWidget());
        control->setEnabled(false);
        if (hasFocus) {
            // Qt has moved the focus on to the next control: the list takes it.
            keeper_ = control;
            list_->setFocus(Qt::OtherFocusReason);
        }
        return;
    }
    control->setEnabled(true);
    if (keeper_ != control)
        return;
    keeper_ = nullptr;
    QWidget* focus = window_->focusWidget();
    if ((!focus || focus == window_ || Within(list_, focus)) && control->isEnabled())
        control->setFocus(Qt::OtherFocusReason);
}

}  // namespace voicememo
