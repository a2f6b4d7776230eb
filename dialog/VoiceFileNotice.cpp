#include "VoiceFileNotice.h"

#include "ErrorBox.h"
#include "TextCodec.h"

namespace voicememo {

QString KeptVoiceFileNotice(Discard outcome, const std::string& path)
{
    QString why;
    switch (outcome) {
    case Discard::Trashed:
    case Discard::Deleted:
    case Discard::Missing:
        return {};
    case Discard::OutsideFolder:
        why = QStringLiteral("はデータフォルダーの外にあるため、削除しませんでした。");
        break;
    case Discard::NotRegularFile:
        why = QStringLiteral("は通常のファイルではないため、削除しませんでした。");
        break;
    case Discard::NamedElsewhere:
        why = QStringLiteral("はほかのボイスメモも使っているため、削除しませんでした。");
        break;
    case Discard::NoTrash:
        why = QStringLiteral("はゴミ箱に移せないため、そのまま残しました。");
        break;
    case Discard::Failed:
        why = QStringLiteral("を削除できなかったため、そのまま残しました。");
        break;
    }
    return QStringLiteral("ボイスファイル %1 %2").arg(Decode(path), why);
}

void ShowFileSystemNotices(QWidget* owner, FileSystem& files)
{
    for (const std::string& notice : files.TakeNotices())
        ShowNotice(owner, Decode(notice));
}

}  // namespace voicememo
