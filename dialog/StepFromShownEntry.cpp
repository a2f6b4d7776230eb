#include "StepFromShownEntry.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWheelEvent>

namespace voicememo {

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

}  // namespace voicememo
