#include "DetailView.h"

#include <QStyle>

namespace voicememo {

namespace {
constexpr int kTitleColumn = 0;
}

QModelIndex DetailView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const int rows = model() ? model()->rowCount(rootIndex()) : 0;
    if ((action == MoveHome || action == MoveEnd) && rows > 0) {
        const int column = currentIndex().isValid() ? currentIndex().column() : kTitleColumn;
        return model()->index(action == MoveHome ? 0 : rows - 1, column, rootIndex());
    }
    return ClickReporting<QTableView>::moveCursor(action, modifiers);
}

// The search starts from the current row's title, so it looks at titles.
void DetailView::keyboardSearch(const QString& search)
{
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.column() != kTitleColumn)
        selectionModel()->setCurrentIndex(current.siblingAtColumn(kTitleColumn), QItemSelectionModel::NoUpdate);
    ClickReporting<QTableView>::keyboardSearch(search);
}

bool DetailView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (trigger == EditKeyPressed && index.isValid())
        return ClickReporting<QTableView>::edit(index.siblingAtColumn(kTitleColumn), trigger, event);
    return ClickReporting<QTableView>::edit(index, trigger, event);
}

QString DetailView::tipAt(const QPoint& viewportPos) const
{
    const QModelIndex cell = indexAt(viewportPos);
    if (!cell.isValid())
        return {};
    const QString text = cell.data(Qt::DisplayRole).toString();
    // The room the style leaves a cell's text.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int room = visualRect(cell).width() - 2 * margin;
    return fontMetrics().horizontalAdvance(text) > room ? text : QString();
}

}  // namespace voicememo
