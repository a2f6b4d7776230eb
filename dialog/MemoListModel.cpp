#include "MemoListModel.h"

#include <QGuiApplication>
#include <QPalette>

#include "TextCodec.h"

namespace voicememo {

namespace {
const char* const kHeaders[] = {"名前", "ファイル名", "記録日付", "記録時刻", "種別", "日付"};
constexpr int kColumns = 6;
}  // namespace

MemoListModel::MemoListModel(QObject* parent) : QAbstractTableModel(parent) {}

int MemoListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : static_cast<int>(shown_); }

int MemoListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant MemoListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    auto holdsSound = [&] {
        return !check_ || check_->holdsSound(std::string(memos_.field(row, MemoTable::kFilePath)));
    };
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return Decode(std::string(memos_.field(row, index.column())));
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(holdsSound() ? itemImage_ : markImage_) : QVariant();
    case Qt::ForegroundRole:
        return holdsSound() ? QVariant()
                            : QVariant(QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text));
    case Qt::AccessibleDescriptionRole:
        // The mark, as a screen reader says it.
        if (holdsSound())
            return {};
        return check_->exists(std::string(memos_.field(row, MemoTable::kFilePath)))
                   ? QStringLiteral("ボイスファイルが空です")
                   : QStringLiteral("ボイスファイルがありません");
    default:
        return {};
    }
}

QVariant MemoListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < kColumns)
        return QString::fromUtf8(kHeaders[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags MemoListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool MemoListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != 0)
        return false;
    emit titleEdited(index.row(), value.toString());
    return true;
}

void MemoListModel::setItemImages(const QIcon& itemImage, const QIcon& markImage)
{
    itemImage_ = itemImage;
    markImage_ = markImage;
}

void MemoListModel::setVoiceFileCheck(VoiceFileCheck* check)
{
    check_ = check;
    refreshMarks();
}

void MemoListModel::refreshMarks()
{
    if (check_)
        check_->forget();
    if (shown_ > 0)
        emit dataChanged(index(0, 0), index(static_cast<int>(shown_) - 1, kColumns - 1),
                         {Qt::DecorationRole, Qt::ForegroundRole, Qt::AccessibleDescriptionRole});
}

void MemoListModel::appendMemos(const std::vector<VoiceMemo>& memos) { insertMemos(count(), memos); }

void MemoListModel::appendMemos(MemoTable&& memos)
{
    if (memos.empty())
        return;
    if (!memos_.empty()) {
        appendMemos(memos.memos());
        return;
    }
    announceHeldRows();
    beginInsertRows({}, 0, static_cast<int>(memos.size()) - 1);
    memos_ = std::move(memos);
    shown_ = memos_.size();
    endInsertRows();
}

void MemoListModel::insertMemos(int row, const std::vector<VoiceMemo>& memos)
{
    if (memos.empty())
        return;
    announceHeldRows();
    beginInsertRows({}, row, row + static_cast<int>(memos.size()) - 1);
    memos_.insert(static_cast<std::size_t>(row), memos);
    shown_ = memos_.size();
    endInsertRows();
}

void MemoListModel::replaceMemos(MemoTable&& memos)
{
    beginResetModel();
    memos_ = std::move(memos);
    shown_ = memos_.size();
    endResetModel();
}

void MemoListModel::appendMemo(const VoiceMemo& memo)
{
    if (holding_) {
        memos_.append(memo);
        return;
    }
    insertMemos(count(), {memo});
}

void MemoListModel::holdNewRows() { holding_ = true; }

void MemoListModel::showNewRows()
{
    holding_ = false;
    announceHeldRows();
}

void MemoListModel::announceHeldRows()
{
    if (shown_ == memos_.size())
        return;
    beginInsertRows({}, static_cast<int>(shown_), count() - 1);
    shown_ = memos_.size();
    endInsertRows();
}

std::vector<std::string> MemoListModel::filePaths(int leftOut) const
{
    std::vector<std::string> paths;
    paths.reserve(memos_.size());
    for (std::size_t row = 0; row < memos_.size(); ++row)
        if (static_cast<int>(row) != leftOut)
            paths.emplace_back(memos_.field(row, MemoTable::kFilePath));
    return paths;
}

void MemoListModel::removeMemo(int row)
{
    announceHeldRows();
    beginRemoveRows({}, row, row);
    memos_.erase(static_cast<std::size_t>(row));
    shown_ = memos_.size();
    endRemoveRows();
}

void MemoListModel::setMemo(int row, VoiceMemo memo)
{
    // The one place a title typed in the window is made fit for its line.
    memo.Title = SanitizeTitle(std::move(memo.Title));
    memos_.set(static_cast<std::size_t>(row), memo);
    if (static_cast<std::size_t>(row) < shown_)
        emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

void MemoListModel::setTitle(int row, const std::string& title)
{
    VoiceMemo changed = memo(row);
    changed.Title = title;
    setMemo(row, std::move(changed));
}

}  // namespace voicememo
