#include "IconView.h"

#include <QPainter>

#include "MemoDelegate.h"

namespace voicememo {

namespace {
// Many times the cells the window's fixed size shows.
constexpr int kRowsPlacedBeforeShowing = 200;
}  // namespace

IconView::IconView(MemoListView* list) : ClickReporting<QListView>(list)
{
    setLayoutMode(QListView::Batched);
    setBatchSize(kRowsPlacedBeforeShowing);
}

void IconView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    placeAllRows();
    ClickReporting<QListView>::scrollTo(index, hint);
}

QModelIndex IconView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    placeAllRows();
    return ClickReporting<QListView>::moveCursor(action, modifiers);
}

void IconView::timerEvent(QTimerEvent* event)
{
    ClickReporting<QListView>::timerEvent(event);
    if (layoutMode() == Batched && allRowsPlaced())
        setLayoutMode(SinglePass);
}

void IconView::paintEvent(QPaintEvent* event)
{
    ClickReporting<QListView>::paintEvent(event);
    const QModelIndexList selected = selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
    auto* delegate = dynamic_cast<MemoDelegate*>(itemDelegate());
    if (selected.isEmpty() || !delegate)
        return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(selected.first());
    option.state |= QStyle::State_Selected;
    if (hasFocus())
        option.state |= QStyle::State_HasFocus;
    QPainter painter(viewport());
    delegate->paintWholeLabel(&painter, option, selected.first());
}

bool IconView::onCaption(const QModelIndex& index, const QPoint& pos) const
{
    return pos.y() >= visualRect(index).top() + icon_cell::kIconTop + icon_cell::kIconSide;
}

void IconView::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    ClickReporting<QListView>::selectionChanged(selected, deselected);
    viewport()->update();  // a whole label reaches beyond its cell
}

bool IconView::allRowsPlaced() const
{
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    return rows == 0 || rectForIndex(model()->index(rows - 1, modelColumn(), rootIndex())).isValid();
}

void IconView::placeAllRows()
{
    if (layoutMode() != Batched)
        return;
    setLayoutMode(SinglePass);
    doItemsLayout();
}

}  // namespace voicememo
