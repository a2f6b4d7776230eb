#pragma once
// The model's first column, the title, alone: each memo is one item. The
// memos are a flat table, so the column follows the table's rows as they
// come, go and change. Made so rather than as a proxy model, whose wiring to
// its source alone cost the start a tenth of a millisecond, and whose trip
// through the source for each row's index cost the icon view's layout a
// third of its time.
#include <QAbstractListModel>
#include <QPointer>

#include "MemoListModel.h"

namespace voicememo {

class TitleColumn : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setSource(MemoListModel* model);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QModelIndex title(const QModelIndex& index) const { return source_->index(index.row(), 0); }

    QPointer<MemoListModel> source_;
};

}  // namespace voicememo
