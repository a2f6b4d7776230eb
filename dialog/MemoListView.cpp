#include "MemoListView.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScopedValueRollback>
#include <QStackedLayout>
#include <QTimer>
#include <utility>

#include "DetailView.h"
#include "IconView.h"
#include "MemoDelegate.h"
#include "MemoListModel.h"
#include "TitleColumn.h"

namespace voicememo {

namespace {

// The selection is not shown while the list lacks the focus.
void HideSelectionWithoutFocus(QAbstractItemView* view)
{
    QPalette palette = view->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Inactive, QPalette::Base));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, palette.color(QPalette::Inactive, QPalette::Text));
    view->setPalette(palette);
}

constexpr int kColumnWidth = 50;

}  // namespace

MemoListView::MemoListView(QWidget* parent)
    : QWidget(parent),
      titles_(new TitleColumn(this)),
      iconView_(new IconView(this)),
      detailView_(new DetailView(this)),
      stack_(new QStackedLayout(this))
{
    stack_->setContentsMargins(0, 0, 0, 0);

    // Laid out as a list that flows in rows of fixed cells: the cells draw
    // their icon over their label themselves, and a list of cells of one
    // size is laid out far faster than free icons.
    iconView_->setViewMode(QListView::ListMode);
    iconView_->setMovement(QListView::Static);
    iconView_->setFlow(QListView::LeftToRight);
    iconView_->setWrapping(true);
    iconView_->setResizeMode(QListView::Adjust);
    iconView_->setWordWrap(true);
    iconView_->setIconSize(QSize(icon_cell::kIconSide, icon_cell::kIconSide));
    iconView_->setTextElideMode(Qt::ElideRight);
    iconView_->setGridSize(MemoDelegate::IconCell(QFontMetrics(font())));
    iconView_->setUniformItemSizes(true);
    iconView_->setItemDelegate(new MemoDelegate(true, iconView_));

    detailView_->setItemDelegate(new MemoDelegate(false, detailView_));
    detailView_->setShowGrid(false);
    detailView_->setWordWrap(false);
    detailView_->verticalHeader()->hide();
    detailView_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    detailView_->horizontalHeader()->setSectionsClickable(false);
    detailView_->horizontalHeader()->setHighlightSections(false);
    detailView_->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    detailView_->horizontalHeader()->setMinimumSectionSize(1);
    detailView_->horizontalHeader()->setStretchLastSection(false);
    detailView_->setSortingEnabled(false);
    detailView_->setTabKeyNavigation(false);  // Tab leaves the table, as it leaves the icons

    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(iconView_), static_cast<QAbstractItemView*>(detailView_)})
        attach(view);

    stack_->addWidget(iconView_);
    stack_->addWidget(detailView_);
    showLargeIcons();
}

void MemoListView::attach(QAbstractItemView* view)
{
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
    view->setDragEnabled(false);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    HideSelectionWithoutFocus(view);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, view](const QPoint& pos) { emit contextMenuRequested(view->viewport()->mapToGlobal(pos)); });
}

void MemoListView::setModel(MemoListModel* model)
{
    model_ = model;
    titles_->setSource(model);
    iconView_->setModel(titles_);
    delete rows_;
    rows_ = new QItemSelectionModel(model, this);
    pickedRow_ = -1;
    linkSelections();
    followOtherPicks();
    if (showsDetails())
        giveTableItsRows();
}

// The table gets the memos when it is first shown: until then it is hidden,
// and a long list would cost its header a section for every memo at start.
void MemoListView::giveTableItsRows()
{
    if (detailView_->selectionModel() == rows_)
        return;
    detailView_->setModel(model_);
    QItemSelectionModel* ownSelection = detailView_->selectionModel();
    detailView_->setSelectionModel(rows_);
    delete ownSelection;
    for (int column = 0; column < model_->columnCount(); ++column)
        detailView_->setColumnWidth(column, kColumnWidth);
}

QAbstractItemView* MemoListView::currentView() const
{
    return showsDetails() ? static_cast<QAbstractItemView*>(detailView_) : static_cast<QAbstractItemView*>(iconView_);
}

// Each view has a selection of its own, over its own model; a change to
// either is copied to the other, row for row, so both show one selection.
void MemoListView::linkSelections()
{
    QItemSelectionModel* table = rows_;
    QItemSelectionModel* icons = iconView_->selectionModel();
    for (auto [from, to] : {std::pair{table, icons}, std::pair{icons, table}}) {
        auto copy = [this, from = from, to = to] { copySelection(from, to); };
        connect(from, &QItemSelectionModel::selectionChanged, this, copy);
        connect(from, &QItemSelectionModel::currentChanged, this, copy);
    }
}

void MemoListView::copySelection(QItemSelectionModel* from, QItemSelectionModel* to)
{
    if (copyingSelection_)
        return;
    const QScopedValueRollback copying(copyingSelection_, true);
    auto sameRow = [to](const QModelIndex& index) {
        return index.isValid() ? to->model()->index(index.row(), 0) : QModelIndex();
    };
    to->setCurrentIndex(sameRow(from->currentIndex()), QItemSelectionModel::NoUpdate);
    const QModelIndexList selected = from->selectedIndexes();
    if (selected.isEmpty())
        to->clearSelection();
    else
        to->select(sameRow(selected.first()), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QString MemoListView::listName() const { return iconView_->accessibleName(); }

void MemoListView::setListName(const QString& name)
{
    iconView_->setAccessibleName(name);
    detailView_->setAccessibleName(name);
}

int MemoListView::selectedRow() const
{
    if (!rows_)
        return -1;
    const QModelIndexList selected = rows_->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void MemoListView::selectRow(int row)
{
    pickedRow_ = row;
    QModelIndex index = model_->index(row, 0);
    rows_->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void MemoListView::clearSelection()
{
    pickedRow_ = -1;
    rows_->clearSelection();
}

void MemoListView::editTitle(int row)
{
    QModelIndex index = currentView()->model()->index(row, 0);
    currentView()->setFocus();
    currentView()->setCurrentIndex(index);
    currentView()->edit(index);
}

void MemoListView::showLargeIcons()
{
    stack_->setCurrentWidget(iconView_);
    setFocusProxy(iconView_);
    iconView_->doItemsLayout();
}

void MemoListView::showDetails()
{
    if (model_)
        giveTableItsRows();
    stack_->setCurrentWidget(detailView_);
    setFocusProxy(detailView_);
}

bool MemoListView::showsDetails() const { return stack_->currentWidget() == detailView_; }

void MemoListView::reportMenuKey(QAbstractItemView* view)
{
    const QModelIndex current = view->currentIndex();
    const QPoint at = current.isValid() ? view->visualRect(current).center() : QPoint(0, 0);
    emit contextMenuRequested(view->viewport()->mapToGlobal(at));
}

void MemoListView::reportRelease(QAbstractItemView* view, const QPoint& pos)
{
    if (!view->indexAt(pos).isValid())
        clearSelection();
    reportPick();
}

void MemoListView::reportPick()
{
    pickedRow_ = selectedRow();
    emit clicked();
}

// A screen reader's select action (or any other that neither clicks nor
// presses a key) changes the selection alone: the window would go on showing
// the row it showed before. Once the change has settled, a row other than
// the one last picked is reported as a click picks it. A press of the mouse
// is left to its release, which reports a click and not a drag; a change
// while a message is up (a command's own, under way) is left to the command.
void MemoListView::followOtherPicks()
{
    connect(rows_, &QItemSelectionModel::selectionChanged, this, [this] {
        if (pickCheckDue_)
            return;
        pickCheckDue_ = true;
        QTimer::singleShot(0, this, [this] {
            pickCheckDue_ = false;
            if (QApplication::mouseButtons() == Qt::NoButton && !QApplication::activeModalWidget() &&
                selectedRow() != pickedRow_)
                reportPick();
        });
    });
}

}  // namespace voicememo
