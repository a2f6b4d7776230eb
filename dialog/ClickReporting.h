#pragma once
// What both views of the list share: their clicks and keys reported to the
// list, and the in-place rename started only where it should be.
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "MemoListView.h"

namespace voicememo {

// Reports the clicks of a view to the list once the view has handled them,
// so the selection is already up to date.
template <typename View>
class ClickReporting : public View {
public:
    explicit ClickReporting(MemoListView* list) : View(list), list_(list) {}

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        // The focus comes with the press itself, before the press is seen.
        focusCameWithClick_ = event->reason() == Qt::MouseFocusReason;
        View::focusInEvent(event);
        // A screen reader hears the memo the list is on, not only the
        // list: the view tells it the current item as when it changes.
        const QModelIndex current = this->currentIndex();
        if (QAccessible::isActive() && current.isValid())
            this->currentChanged(current, QModelIndex());
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        focusedAtPress_ = this->hasFocus() && !focusCameWithClick_;
        focusCameWithClick_ = false;
        if (event->button() == Qt::LeftButton) {
            pressPos_ = event->position().toPoint();
            pressIsClick_ = true;
        }
        View::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if ((event->buttons() & Qt::LeftButton) &&
            (event->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance())
            pressIsClick_ = false;
        View::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        View::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && pressIsClick_) {
            pressIsClick_ = false;
            list_->reportRelease(this, event->position().toPoint());
        }
    }
    // A key that moves the selection (an arrow, Home, End, a page key, a
    // title's first letters, Space) picks the row as a click does; Shift+F10
    // opens the pop-up menu as the Menu key does.
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
            list_->reportMenuKey(this);
            return;
        }
        const int before = list_->selectedRow();
        View::keyPressEvent(event);
        if (list_->selectedRow() != before)
            list_->reportPick();
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        View::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton) {
            pressIsClick_ = false;
            emit list_->doubleClicked();
        }
    }

    // A click on the selected row renames it in place only when the list
    // had the focus already: the click that brings the focus back from the
    // title edit commits instead.
    // So does a click on the icon: only the caption is edited in place.
    bool edit(const QModelIndex& index, QAbstractItemView::EditTrigger trigger, QEvent* event) override
    {
        if (trigger == QAbstractItemView::SelectedClicked) {
            const auto* mouse = dynamic_cast<const QMouseEvent*>(event);
            if (!focusedAtPress_ || (mouse && !onCaption(index, mouse->position().toPoint())))
                return false;
        }
        return View::edit(index, trigger, event);
    }
    virtual bool onCaption(const QModelIndex&, const QPoint&) const { return true; }

    // An empty list shows how to fill it, as a hint drawn in it.
    void paintEvent(QPaintEvent* event) override
    {
        View::paintEvent(event);
        if (!this->model() || this->model()->rowCount(this->rootIndex()) > 0)
            return;
        QPainter painter(this->viewport());
        painter.setPen(this->palette().color(QPalette::Disabled, QPalette::Text));
        painter.drawText(this->viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("録音(R) で最初のボイスメモを録音します"));
    }

private:
    MemoListView* list_;
    QPoint pressPos_;
    bool pressIsClick_ = false;
    bool focusedAtPress_ = false;
    bool focusCameWithClick_ = false;
};

}  // namespace voicememo
