#pragma once
// How a memo is drawn and edited in place, in either view: titles are edited
// with an editor that keeps them on one line; the table shows no icons; icon
// cells have a fixed size, their labels wrapped to two lines and cut with
// "…".
#include <QStyledItemDelegate>
#include <limits>

namespace voicememo {

// The icon view's cell.
namespace icon_cell {
constexpr int kWidth = 75;
constexpr int kIconSide = 32;
constexpr int kIconTop = 2;
constexpr int kIconLabelGap = 3;
constexpr int kLabelLines = 2;
constexpr int kLabelMargin = 2;
constexpr int kBottom = 3;
constexpr int kAllLines = std::numeric_limits<int>::max();
}  // namespace icon_cell

class MemoDelegate : public QStyledItemDelegate {
public:
    MemoDelegate(bool showIcons, QObject* parent) : QStyledItemDelegate(parent), showIcons_(showIcons) {}

    // Every icon cell has one size: the icon over a label of two lines.
    static QSize IconCell(const QFontMetrics& metrics);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The icon cell with its label in full, drawn over whatever lies below
    // the cell (the selected row's).
    void paintWholeLabel(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Among the icons, the rename box covers the caption, framed, and the
    // caption is not drawn under it.
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    void paintIconCell(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                       int maxLines) const;

    bool showIcons_;
    mutable QPersistentModelIndex renaming_;  // the row whose rename box is up
};

}  // namespace voicememo
