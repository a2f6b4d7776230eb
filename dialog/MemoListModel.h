#pragma once
// The memos of the catalogue, in catalogue order: the one copy that both
// views of the list show, held as a memo table, so each memo's bytes are
// there once and a view's text is made only when a row is drawn. Column 0 is
// the title, columns 1 to 5 the other fields.
#include <QAbstractTableModel>
#include <QIcon>
#include <vector>

#include "MemoTable.h"
#include "VoiceFileCheck.h"
#include "VoiceMemo.h"

namespace voicememo {

class MemoListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit MemoListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // An in-place edit of a title: reported through titleEdited, which
    // decides what the memo becomes.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    const MemoTable& memos() const { return memos_; }
    VoiceMemo memo(int row) const { return memos_.memo(static_cast<std::size_t>(row)); }
    int count() const { return static_cast<int>(memos_.size()); }
    // The voice file paths of the memos, but for the row left out.
    std::vector<std::string> filePaths(int leftOut = -1) const;

    void appendMemos(const std::vector<VoiceMemo>& memos);
    // Takes a loaded table over without copying it, when the list is empty.
    void appendMemos(MemoTable&& memos);
    void insertMemos(int row, const std::vector<VoiceMemo>& memos);
    // The whole list anew: the catalogue as a save left it.
    void replaceMemos(MemoTable&& memos);
    void appendMemo(const VoiceMemo& memo);

    // Rows appended while new rows are held reach the views together, in
    // one insertion, when they are shown: count() and memo() know them at
    // once, rowCount() only then. Any other change shows them first.
    void holdNewRows();
    void showNewRows();
    void removeMemo(int row);
    // Its title made fit for a catalogue line (SanitizeTitle).
    void setMemo(int row, VoiceMemo memo);
    void setTitle(int row, const std::string& title);

    // The rows' pictures: a memo's, and the marked one of a memo whose
    // voice file is missing or empty.
    void setItemImages(const QIcon& itemImage, const QIcon& markImage);
    // A marked memo shows the marked picture in the icon view and greyed
    // text in the detail view; without a check, none is marked.
    // refreshMarks asks the check anew for the rows drawn next.
    void setVoiceFileCheck(VoiceFileCheck* check);
    void refreshMarks();

signals:
    void titleEdited(int row, const QString& text);

private:
    void announceHeldRows();

    MemoTable memos_;
    std::size_t shown_ = 0;  // the rows the views know of
    bool holding_ = false;
    QIcon itemImage_;
    QIcon markImage_;
    VoiceFileCheck* check_ = nullptr;
};

}  // namespace voicememo
