#pragma once
// The table of the memos, moved through by memo rather than by cell: Home
// and End go to the first and last memo, a title's first letters find a
// memo from any column, and F2 renames the title from any column.
#include <QTableView>

#include "ClickReporting.h"

namespace voicememo {

class DetailView : public ClickReporting<QTableView> {
public:
    explicit DetailView(MemoListView* list) : ClickReporting<QTableView>(list) {}

    void keyboardSearch(const QString& search) override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
};

}  // namespace voicememo
