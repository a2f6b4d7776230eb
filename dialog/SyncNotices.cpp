#include "SyncNotices.h"

#include <QStringList>

#include "ErrorBox.h"
#include "MemoTable.h"
#include "TextCodec.h"

namespace voicememo {

namespace {
QString ColumnName(int column)
{
    switch (column) {
    case MemoTable::kTitle:
        return QStringLiteral("タイトル");
    case MemoTable::kFilePath:
        return QStringLiteral("ボイスファイル");
    case MemoTable::kRecordedDate:
        return QStringLiteral("録音日");
    case MemoTable::kRecordedTime:
        return QStringLiteral("録音時刻");
    case MemoTable::kKind:
        return QStringLiteral("種類");
    default:
        return QStringLiteral("表示する日付");
    }
}
}  // namespace

QString SyncNoticeText(const SyncNotice& notice)
{
    const QString file = Decode(notice.file), title = Decode(notice.title), value = Decode(notice.value);
    const QString column = ColumnName(notice.column);
    switch (notice.kind) {
    case SyncNotice::CopyTakenIn:
        return QStringLiteral("別のコンピューターで同時に保存された一覧 %1 を取り込みました。").arg(file);
    case SyncNotice::CopyUnreadable:
        return QStringLiteral("別のコンピューターで同時に保存された一覧 %1 を読めないため、そのまま残しています。")
            .arg(file);
    case SyncNotice::ValueLost:
        return QStringLiteral(
                   "ボイスメモ「%1」の%2「%3」は、別のコンピューターで同時に変えられた値に置き換わりました。")
            .arg(title, column, value);
    case SyncNotice::ValueReplaced:
        return QStringLiteral(
                   "ボイスメモ「%1」の%2は別の場所で「%3」に変えられていましたが、ここで変えた値にしました。")
            .arg(title, column, value);
    case SyncNotice::MemoDropped:
        return QStringLiteral("ここで追加したボイスメモ「%1」が、別の場所で保存された一覧から消えました。").arg(title);
    case SyncNotice::MemoBack:
        return QStringLiteral("ここで削除したボイスメモ「%1」が、別の場所で保存された一覧で元に戻りました。")
            .arg(title);
    case SyncNotice::HeldOpen:
        return QStringLiteral("別のプログラムが %1 を書き込み用に開いたまま1分以上たちました。"
                              "そのプログラムが閉じるまで読み込みも保存もせず、この一覧をそのまま残します。")
            .arg(file);
    case SyncNotice::ValueBack:
        return QStringLiteral(
                   "ボイスメモ「%1」の%2が、別の場所で保存された一覧で元に戻りました（ここで変えた値は「%3」）。")
            .arg(title, column, value);
    }
    return {};
}

void ShowSyncNotices(QWidget* owner, const std::vector<SyncNotice>& notices)
{
    QStringList lines;
    for (const SyncNotice& notice : notices)
        if (const QString line = SyncNoticeText(notice); !lines.contains(line))
            lines << line;
    if (!lines.isEmpty())
        ShowNotice(owner, lines.join(QLatin1Char('\n')));
}

}  // namespace voicememo
