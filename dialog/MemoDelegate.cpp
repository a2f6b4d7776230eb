#include "MemoDelegate.h"

#include <QLineEdit>
#include <QPainter>
#include <algorithm>

#include "LabelLayout.h"
#include "LineEditRules.h"

namespace voicememo {

using namespace icon_cell;

QSize MemoDelegate::IconCell(const QFontMetrics& metrics)
{
    return {kWidth, kIconTop + kIconSide + kIconLabelGap + kLabelLines * metrics.lineSpacing() + kBottom};
}

QSize MemoDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return showIcons_ ? IconCell(option.fontMetrics) : QStyledItemDelegate::sizeHint(option, index);
}

void MemoDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (showIcons_)
        paintIconCell(painter, option, index, kLabelLines);
    else
        QStyledItemDelegate::paint(painter, option, index);
}

void MemoDelegate::paintWholeLabel(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const
{
    paintIconCell(painter, option, index, kAllLines);
}

// The icon over its label, of at most maxLines lines.
void MemoDelegate::paintIconCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                                 int maxLines) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const bool selected = cell.state & QStyle::State_Selected;
    const QRect iconRect(cell.rect.left() + (cell.rect.width() - kIconSide) / 2, cell.rect.top() + kIconTop, kIconSide,
                         kIconSide);
    cell.icon.paint(painter, iconRect, Qt::AlignCenter, selected ? QIcon::Selected : QIcon::Normal);

    if (renaming_.isValid() && renaming_ == index)
        return;  // the rename box stands in for the caption
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

QWidget* MemoDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
        KeepTitleOnOneLine(edit);
        RemoveLengthLimit(edit);
        if (showIcons_) {
            edit->setFrame(true);
            edit->setAutoFillBackground(true);
            renaming_ = index;
        }
    }
    return editor;
}

void MemoDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    renaming_ = QPersistentModelIndex();
    QStyledItemDelegate::destroyEditor(editor, index);
}

void MemoDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    if (!showIcons_) {
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
        return;
    }
    const QRect& cell = option.rect;
    const int top = cell.top() + kIconTop + kIconSide + kIconLabelGap - 2;
    editor->setGeometry(cell.left(), top, cell.width(), std::max(editor->sizeHint().height(), cell.bottom() + 1 - top));
}

void MemoDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (!showIcons_) {
        option->features &= ~QStyleOptionViewItem::HasDecoration;
        option->icon = QIcon();
    }
}

}  // namespace voicememo
