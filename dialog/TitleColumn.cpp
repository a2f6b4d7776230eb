#include "TitleColumn.h"

namespace voicememo {

void TitleColumn::setSource(MemoListModel* model)
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

int TitleColumn::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !source_ ? 0 : source_->rowCount();
}

QVariant TitleColumn::data(const QModelIndex& index, int role) const
{
    return source_ ? source_->data(title(index), role) : QVariant();
}

bool TitleColumn::setData(const QModelIndex& index, const QVariant& value, int role)
{
    return source_ && source_->setData(title(index), value, role);
}

Qt::ItemFlags TitleColumn::flags(const QModelIndex& index) const
{
    return source_ ? source_->flags(title(index)) : Qt::NoItemFlags;
}

}  // namespace voicememo
