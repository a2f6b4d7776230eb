#pragma once
// The list of memos: one model shown as large icons or as a six-column
// table, the two views sharing the model and showing one selection. The
// icons show the model's title column alone, so each memo is one item to a
// screen reader.
#include <QWidget>

class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QStackedLayout;
class QTableView;

namespace voicememo {

class MemoListModel;
class TitleColumn;

class MemoListView : public QWidget {
    Q_OBJECT
    // The name a screen reader gives the list, in either view.
    Q_PROPERTY(QString listName READ listName WRITE setListName)
public:
    explicit MemoListView(QWidget* parent = nullptr);

    void setModel(MemoListModel* model);
    MemoListModel* model() const { return model_; }

    QString listName() const;
    void setListName(const QString& name);

    // The selected row, or -1.
    int selectedRow() const;
    void selectRow(int row);
    void clearSelection();
    // Starts the in-place edit of a row's title.
    void editTitle(int row);

    void showLargeIcons();
    void showDetails();
    bool showsDetails() const;

    QListView* iconView() const { return iconView_; }
    QTableView* detailView() const { return detailView_; }
    QAbstractItemView* currentView() const;

signals:
    // A left click on a row or on empty space (a click on empty space
    // clears the selection first); not a drag, not the second click of a
    // double-click. A key that moved the selection counts as a click, and
    // so does a row picked another way (a screen reader's select action).
    void clicked();
    void doubleClicked();
    void contextMenuRequested(const QPoint& globalPos);

private:
    void attach(QAbstractItemView* view);
    void giveTableItsRows();
    void reportRelease(QAbstractItemView* view, const QPoint& pos);
    void reportMenuKey(QAbstractItemView* view);
    void reportPick();
    void followOtherPicks();
    void linkSelections();
    void copySelection(QItemSelectionModel* from, QItemSelectionModel* to);

    MemoListModel* model_ = nullptr;
    // The selection of the memos' rows, the table's: the icons' selection
    // follows it, and the list's selected row is read from it.
    QItemSelectionModel* rows_ = nullptr;
    TitleColumn* titles_;
    bool copyingSelection_ = false;
    // The row last reported as picked, or set through selectRow and
    // clearSelection: a selected row other than it was picked another way.
    int pickedRow_ = -1;
    bool pickCheckDue_ = false;
    QListView* iconView_;
    QTableView* detailView_;
    QStackedLayout* stack_;

    template <typename>
    friend class ClickReporting;
};

}  // namespace voicememo
