#pragma once
// The icons, with the whole label of the selected row drawn over its
// neighbours.
//
// A long list is placed in batches when it first shows: the window shows as
// soon as the rows in sight are placed, and the rest follow between events.
// Whatever moves to a row (a key, scrolling to it) places them all first.
// Once all are placed, a change places them all at once again.
#include <QListView>

#include "ClickReporting.h"

namespace voicememo {

class IconView : public ClickReporting<QListView> {
public:
    explicit IconView(MemoListView* list);

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool onCaption(const QModelIndex& index, const QPoint& pos) const override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    bool allRowsPlaced() const;
    void placeAllRows();
};

}  // namespace voicememo
