#include "MnemonicKeys.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcutEvent>
#include <QTextEdit>

#include "Within.h"

namespace voicememo {

namespace {

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

MnemonicKeys::MnemonicKeys(QWidget* window) : QObject(window), window_(window) { qApp->installEventFilter(this); }

bool MnemonicKeys::trigger(QChar letter)
{
    letter = letter.toUpper();
    for (QWidget* widget : window_->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window_))
            continue;
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            if (MnemonicOf(button->text()) != letter || !button->isEnabled())
                continue;
            press(button);
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

// A kind button is checked before it takes the focus, so that a screen
// reader announces it checked; a command button shows itself pressed.
void MnemonicKeys::press(QAbstractButton* button)
{
    if (button->isCheckable())
        button->click();
    if (button->focusPolicy() & Qt::TabFocus)
        button->setFocus(Qt::ShortcutFocusReason);
    if (!button->isCheckable())
        button->animateClick();
}

bool MnemonicKeys::eventFilter(QObject* watched, QEvent* event)
{
    // Alt with an underlined letter: Qt's own handling moves the focus first.
    if (event->type() == QEvent::Shortcut && Within(window_, watched)) {
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button || !button->isCheckable() || static_cast<QShortcutEvent*>(event)->isAmbiguous())
            return false;
        press(button);
        return true;
    }
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

}  // namespace voicememo
