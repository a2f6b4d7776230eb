#include "DialogBehaviour.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

namespace voicememo {

namespace {

constexpr int kTooltipShownMs = 2500;
// Qt wakes a tooltip 20 ms after a move while another is up; the rest of
// the 50 ms is waited here.
constexpr int kTooltipMoveExtraMs = 30;

bool Within(QWidget* window, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && (widget == window || window->isAncestorOf(widget));
}

QChar MnemonicOf(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return caption[i + 1].toUpper();
        ++i;
    }
    return {};
}

bool TakesText(QWidget* widget)
{
    return qobject_cast<QLineEdit*>(widget) || qobject_cast<QAbstractItemView*>(widget) ||
           qobject_cast<QAbstractSpinBox*>(widget) || qobject_cast<QTextEdit*>(widget) ||
           qobject_cast<QPlainTextEdit*>(widget) ||
           (qobject_cast<QComboBox*>(widget) && static_cast<QComboBox*>(widget)->isEditable());
}

}  // namespace

TooltipTimer::TooltipTimer(QWidget* window) : QObject(window), window_(window)
{
    qApp->installEventFilter(this);
}

bool TooltipTimer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip || !Within(window_, watched))
        return false;
    if (!enabled_)
        return true;

    auto* help = static_cast<QHelpEvent*>(event);
    QWidget* owner = static_cast<QWidget*>(watched);
    while (owner != window_ && owner->toolTip().isEmpty())
        owner = owner->parentWidget();
    if (owner->toolTip().isEmpty()) {
        QToolTip::hideText();
        shownFor_ = nullptr;
        return true;
    }
    const QPoint at = help->globalPos();
    QPointer<QWidget> target = static_cast<QWidget*>(watched);
    auto show = [this, target, owner = QPointer<QWidget>(owner), at] {
        if (!target || !owner || !enabled_)
            return;
        QToolTip::showText(at, owner->toolTip(), target, QRect(), kTooltipShownMs);
        shownFor_ = owner;
    };
    if (QToolTip::isVisible() && shownFor_ && shownFor_ != owner)
        QTimer::singleShot(kTooltipMoveExtraMs, this, show);
    else
        show();
    return true;
}

MnemonicKeys::MnemonicKeys(QWidget* window) : QObject(window), window_(window)
{
    qApp->installEventFilter(this);
}

bool MnemonicKeys::trigger(QChar letter)
{
    letter = letter.toUpper();
    for (QWidget* widget : window_->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window_))
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            if (MnemonicOf(button->text()) != letter || !button->isEnabled())
                continue;
            if (button->focusPolicy() & Qt::TabFocus)
                button->setFocus(Qt::ShortcutFocusReason);
            button->animateClick();
            return true;
        }
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (MnemonicOf(label->text()) != letter || !label->buddy() || !label->buddy()->isEnabled())
                continue;
            label->buddy()->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
    }
    return false;
}

bool MnemonicKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !Within(window_, watched))
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    QWidget* focus = QApplication::focusWidget();
    if (watched != focus || !Within(window_, focus) || TakesText(focus))
        return false;
    if (key->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier))
        return false;
    if (key->text().size() != 1 || !key->text()[0].isLetter() || key->text()[0].unicode() > 0x7F)
        return false;
    return trigger(key->text()[0]);
}

StepFromShownEntry::StepFromShownEntry(QComboBox* box) : QObject(box), box_(box)
{
    box->installEventFilter(this);
    if (box->lineEdit())
        box->lineEdit()->installEventFilter(this);
}

bool StepFromShownEntry::eventFilter(QObject*, QEvent* event)
{
    int step = 0;
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::AltModifier | Qt::ControlModifier))
            return false;  // Alt+Down opens the list
        step = key->key() == Qt::Key_Down ? 1 : key->key() == Qt::Key_Up ? -1 : 0;
    } else if (event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        step = delta < 0 ? 1 : delta > 0 ? -1 : 0;
    }
    if (step == 0 || box_->count() == 0)
        return false;
    const int shown = box_->findText(box_->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    const int target = shown < 0 ? 0 : shown + step;
    if (target < 0 || target >= box_->count())
        return true;  // nothing to step to: the text stays as it is
    box_->setCurrentIndex(target);
    box_->setEditText(box_->itemText(target));
    // As a pick from the list: the box's change handler runs.
    emit box_->activated(target);
    emit box_->textActivated(box_->itemText(target));
    return true;
}

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
