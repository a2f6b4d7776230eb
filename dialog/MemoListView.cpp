#include "MemoListView.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScopedValueRollback>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextLayout>
#include <QtMath>
#include <algorithm>
#include <limits>
#include <utility>

#include "LineEditRules.h"
#include "MemoListModel.h"

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
            emit list_->clicked();
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

private:
    MemoListView* list_;
    QPoint pressPos_;
    bool pressIsClick_ = false;
    bool focusedAtPress_ = false;
    bool focusCameWithClick_ = false;
};

namespace {

constexpr int kIconCellWidth = 75;
constexpr int kIconSide = 32;
constexpr int kIconTop = 2;
constexpr int kIconLabelGap = 3;
constexpr int kLabelLines = 2;
constexpr int kLabelMargin = 2;
constexpr int kCellBottom = 3;
constexpr int kAllLines = std::numeric_limits<int>::max();

}  // namespace

LabelLayout::LabelLayout(const QString& text, const QFont& font, int width, int maxLines)
    : layout_(text, font),
      lineSpacing_(QFontMetrics(font).lineSpacing())
{
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout_.setTextOption(wrapping);
    layout_.beginLayout();
    for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, laidOut_ * lineSpacing_));
        if (laidOut_ == maxLines - 1 && line.textStart() + line.textLength() < text.size()) {
            const QFontMetrics metrics(font);
            cut_ = metrics.elidedText(text.mid(line.textStart()).trimmed(), Qt::ElideRight, width);
            cutWidth_ = metrics.horizontalAdvance(cut_);
            break;
        }
        ++laidOut_;
    }
    layout_.endLayout();
    widest_ = cutWidth_;
    for (int i = 0; i < laidOut_; ++i)
        widest_ = std::max(widest_, qCeil(layout_.lineAt(i).naturalTextWidth()));
}

QStringList LabelLayout::lines() const
{
    QStringList lines;
    for (int i = 0; i < laidOut_; ++i) {
        const QTextLine line = layout_.lineAt(i);
        lines << layout_.text().mid(line.textStart(), line.textLength()).trimmed();
    }
    if (!cut_.isNull())
        lines << cut_;
    return lines;
}

void LabelLayout::draw(QPainter* painter, int centre, int top) const
{
    for (int i = 0; i < laidOut_; ++i) {
        const QTextLine line = layout_.lineAt(i);
        line.draw(painter, QPointF(centre - qCeil(line.naturalTextWidth()) / 2, top));
    }
    if (!cut_.isNull())
        painter->drawText(QPoint(centre - cutWidth_ / 2,
                                 top + laidOut_ * lineSpacing_ + painter->fontMetrics().ascent()),
                          cut_);
}

namespace {

// Titles are edited in place with an editor that keeps them on one line;
// the table shows no icons; icon cells have a fixed size, their labels
// wrapped to two lines and cut with "…".
class MemoDelegate : public QStyledItemDelegate {
public:
    MemoDelegate(bool showIcons, QObject* parent) : QStyledItemDelegate(parent), showIcons_(showIcons) {}

    // Every icon cell has one size: the icon over a label of two lines.
    static QSize IconCell(const QFontMetrics& metrics)
    {
        return {kIconCellWidth,
                kIconTop + kIconSide + kIconLabelGap + kLabelLines * metrics.lineSpacing() + kCellBottom};
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return showIcons_ ? IconCell(option.fontMetrics) : QStyledItemDelegate::sizeHint(option, index);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (showIcons_)
            paintIconCell(painter, option, index, kLabelLines);
        else
            QStyledItemDelegate::paint(painter, option, index);
    }

    // The icon over its label; the label of the selected row in full, drawn
    // over whatever lies below the cell.
    void paintIconCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                       int maxLines) const
    {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const bool selected = cell.state & QStyle::State_Selected;
        const QRect iconRect(cell.rect.left() + (cell.rect.width() - kIconSide) / 2, cell.rect.top() + kIconTop,
                             kIconSide, kIconSide);
        cell.icon.paint(painter, iconRect, Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);

        const QFontMetrics metrics(cell.font);
        const LabelLayout lines(cell.text, cell.font, cell.rect.width() - 2 * kLabelMargin, maxLines);
        const int widest = lines.widest();
        const QRect label(cell.rect.center().x() - widest / 2 - kLabelMargin, iconRect.bottom() + 1 + kIconLabelGap,
                          widest + 2 * kLabelMargin, lines.lineCount() * metrics.lineSpacing());
        const QPalette::ColorGroup group = !(cell.state & QStyle::State_Enabled) ? QPalette::Disabled
                                           : (cell.state & QStyle::State_Active) ? QPalette::Active
                                                                                 : QPalette::Inactive;
        painter->save();
        if (selected)
            painter->fillRect(label, cell.palette.brush(group, QPalette::Highlight));
        else if (maxLines == kAllLines)
            painter->fillRect(label, cell.palette.brush(group, QPalette::Base));
        painter->setFont(cell.font);
        painter->setPen(cell.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        lines.draw(painter, label.left() + label.width() / 2, label.top());
        painter->restore();
    }

    void paintWholeLabel(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
    {
        paintIconCell(painter, option, index, kAllLines);
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            KeepTitleOnOneLine(edit);
            RemoveLengthLimit(edit);
        }
        return editor;
    }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (!showIcons_) {
            option->features &= ~QStyleOptionViewItem::HasDecoration;
            option->icon = QIcon();
        }
    }

private:
    bool showIcons_;
};

// The icons, with the whole label of the selected row drawn over its
// neighbours.
//
// A long list is placed in batches when it first shows: the window shows as
// soon as the rows in sight are placed, and the rest follow between events.
// Whatever needs where a row lies (a key that moves, scrolling to a row, a
// row's rectangle) places them all first. Once all are placed, a change
// places them all at once again.
class IconView : public ClickReporting<QListView> {
public:
    explicit IconView(MemoListView* list) : ClickReporting<QListView>(list)
    {
        setLayoutMode(QListView::Batched);
        setBatchSize(kRowsPlacedBeforeShowing);
    }

    QRect visualRect(const QModelIndex& index) const override
    {
        const QRect placed = ClickReporting<QListView>::visualRect(index);
        if (!placed.isEmpty() || !index.isValid() || layoutMode() != Batched)
            return placed;
        const_cast<IconView*>(this)->placeAllRows();
        return ClickReporting<QListView>::visualRect(index);
    }
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override
    {
        placeAllRows();
        ClickReporting<QListView>::scrollTo(index, hint);
    }

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override
    {
        placeAllRows();
        return ClickReporting<QListView>::moveCursor(action, modifiers);
    }
    void timerEvent(QTimerEvent* event) override
    {
        ClickReporting<QListView>::timerEvent(event);
        if (layoutMode() == Batched && allRowsPlaced())
            setLayoutMode(SinglePass);
    }
    void paintEvent(QPaintEvent* event) override
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
    bool onCaption(const QModelIndex& index, const QPoint& pos) const override
    {
        return pos.y() >= visualRect(index).top() + kIconTop + kIconSide;
    }
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override
    {
        ClickReporting<QListView>::selectionChanged(selected, deselected);
        viewport()->update();  // a whole label reaches beyond its cell
    }

private:
    // Many times the cells the window's fixed size shows.
    static constexpr int kRowsPlacedBeforeShowing = 200;

    bool allRowsPlaced() const
    {
        const int rows = model() ? model()->rowCount(rootIndex()) : 0;
        return rows == 0 || rectForIndex(model()->index(rows - 1, modelColumn(), rootIndex())).isValid();
    }
    void placeAllRows()
    {
        if (layoutMode() != Batched)
            return;
        setLayoutMode(SinglePass);
        doItemsLayout();
    }
};

}  // namespace

// The model's first column, the title, alone: each memo is one item. The
// memos are a flat table, so the column follows the table's rows as they
// come, go and change. Made so rather than as a proxy model, whose wiring to
// its source alone cost the start a tenth of a millisecond, and whose trip
// through the source for each row's index cost the icon view's layout a
// third of its time.
class TitleColumn : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setSource(MemoListModel* model)
    {
        if (source_)
            disconnect(source_, nullptr, this, nullptr);
        beginResetModel();
        source_ = model;
        endResetModel();
        if (!model)
            return;
        connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this,
                [this](const QModelIndex&, int first, int last) { beginInsertRows({}, first, last); });
        connect(model, &QAbstractItemModel::rowsInserted, this, [this] { endInsertRows(); });
        connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
                [this](const QModelIndex&, int first, int last) { beginRemoveRows({}, first, last); });
        connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { endRemoveRows(); });
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
        connect(model, &QAbstractItemModel::modelReset, this, [this] { endResetModel(); });
        connect(model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& from, const QModelIndex& to, const QList<int>& roles) {
                    if (from.column() == 0)
                        emit dataChanged(index(from.row()), index(to.row()), roles);
                });
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() || !source_ ? 0 : source_->rowCount();
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        return source_ ? source_->data(title(index), role) : QVariant();
    }
    bool setData(const QModelIndex& index, const QVariant& value, int role) override
    {
        return source_ && source_->setData(title(index), value, role);
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return source_ ? source_->flags(title(index)) : Qt::NoItemFlags;
    }

private:
    QModelIndex title(const QModelIndex& index) const { return source_->index(index.row(), 0); }

    QPointer<MemoListModel> source_;
};

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
      detailView_(new ClickReporting<QTableView>(this)),
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
    iconView_->setIconSize(QSize(kIconSide, kIconSide));
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
    linkSelections();
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
    QModelIndex index = model_->index(row, 0);
    rows_->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void MemoListView::clearSelection() { rows_->clearSelection(); }

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
    emit clicked();
}

}  // namespace voicememo
