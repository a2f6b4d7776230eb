#pragma once
// The table of the memos, moved through by memo rather than by cell: Home
// and End go to the first and last memo, a title's first letters find a
// memo from any column, and F2 renames the title from any column.
#include <QTableView>

#include "ClickReporting.h"

namespace voicememo {

// A view whose cells may give a tooltip of their own, at a point of its
// viewport (TooltipTimer asks).
class CellTips {
public:
    virtual ~CellTips() = default;
    virtual QString tipAt(const QPoint& viewportPos) const = 0;
};

class DetailView : public ClickReporting<QTableView>, public CellTips {
public:
    explicit DetailView(MemoListView* list) : ClickReporting<QTableView>(list) {}

    void keyboardSearch(const QString& search) override;
    // A cell cut short ("帰り…") tells its whole text; others tell nothing,
    // and the list's own tooltip shows.
    QString tipAt(const QPoint& viewportPos) const override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
};

}  // namespace voicememo
