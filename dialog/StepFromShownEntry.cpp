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

namespace {

bool OpensTheList(QObject* watched, QComboBox* box, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress)
        return watched == box;  // the arrow (a press in the text edits it)
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const bool alt = key->modifiers() & Qt::AltModifier;
    return key->key() == Qt::Key_F4 || (alt && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up));
}

}  // namespace

bool StepFromShownEntry::eventFilter(QObject* watched, QEvent* event)
{
    // The list opens on the entry shown, not on the one picked last.
    if (OpensTheList(watched, box_, event)) {
        const int shown = box_->findText(box_->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (shown >= 0 && shown != box_->currentIndex())
            box_->setCurrentIndex(shown);
        return false;
    }
    int step = 0;
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::AltModifier | Qt::ControlModifier))
            return false;
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
