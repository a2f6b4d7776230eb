#include "RecorderMessages.h"

#include <cerrno>
#include <filesystem>
#include <pulse/def.h>

namespace voicememo {

namespace {

QString DescribeSystemError(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("ディスクの空き領域が足りません。");
    case EDQUOT:
        return QStringLiteral("ディスクの使用量が上限に達しています。");
    case EFBIG:
        return QStringLiteral("ファイルが大きすぎます。");
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセスが拒否されました。");
    case EROFS:
        return QStringLiteral("読み取り専用のドライブです。");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("ファイルまたはフォルダーが見つかりません。");
    case ELOOP:
        return QStringLiteral("シンボリックリンクが循環しています。");
    case ENAMETOOLONG:
        return QStringLiteral("ファイル名が長すぎます。");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("開いているファイルが多すぎます。");
    case EIO:
        return QStringLiteral("ディスクの読み書きに失敗しました。");
    default:
        return QStringLiteral("システムエラーが発生しました（エラー番号 %1）。").arg(error);
    }
}

QString DescribeSoundServerError(int error)
{
    switch (error) {
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_INVALIDSERVER:
        return QStringLiteral("サウンドサーバーが動いていません。");
    case PA_ERR_ACCESS:
    case PA_ERR_AUTHKEY:
        return QStringLiteral("サウンドサーバーへのアクセスが拒否されました。");
    case PA_ERR_TIMEOUT:
        return QStringLiteral("サウンドサーバーから時間内に応答がありませんでした。");
    case PA_ERR_NOENTITY:
        return QStringLiteral("入力装置が見つかりません。");
    case PA_ERR_CONNECTIONTERMINATED:
        return QStringLiteral("サウンドサーバーとの接続が切れました。");
    case PA_ERR_KILLED:
        return QStringLiteral("入力がサウンドサーバーによって閉じられました。");
    case PA_ERR_BUSY:
        return QStringLiteral("入力装置はほかのアプリが使用中です。");
    default:
        return QStringLiteral("サウンドサーバーでエラーが発生しました（エラー番号 %1）。").arg(error);
    }
}

// What became of a take: in the target, beside it, or nowhere, nothing
// having been heard.
QString WhereTheTakeWent(const TakeOutcome& outcome, const QString& saved)
{
    if (outcome.saved)
        return saved;
    if (!outcome.keptAs.empty())
        return QStringLiteral("そこまでの録音を「%1」として保存しました。ファイルは元のままです。")
            .arg(FileNameOf(outcome.keptAs));
    return QStringLiteral("録音された音はありませんでした。ファイルは元のままです。");
}

}  // namespace

QString FileNameOf(const std::string& path)
{
    return QString::fromUtf8(std::filesystem::path(path).filename().string());
}

QString DescribeProblem(const TakeOutcome& outcome)
{
    const QString cutTakeSaved = QStringLiteral("そこまでの録音を保存しました。");
    switch (outcome.problem) {
    case TakeProblem::None:
        return WhereTheTakeWent(outcome, outcome.oldTakeTrashed
                                             ? QStringLiteral("録音を保存しました。前の録音はごみ箱に移しました。")
                                             : QStringLiteral("録音を保存しました。"));
    case TakeProblem::CannotCreateFile:
        return QStringLiteral("保存先のフォルダーに一時ファイルを作成できないため、録音できません。");
    case TakeProblem::NoSoundServer:
        return QStringLiteral("サウンドサーバーに接続できないため、録音できません。");
    case TakeProblem::NoInput:
        return QStringLiteral("録音に使える入力装置がないため、録音できません。");
    case TakeProblem::ServerNotAnswering:
        return QStringLiteral("サウンドサーバーが応答しないため、録音できません。");
    case TakeProblem::TakeAbandoned:
        return QStringLiteral("サウンドサーバーが応答しません。この録音は保存されませんでした。");
    case TakeProblem::InputLost:
        return QStringLiteral("入力が途切れました。") + WhereTheTakeWent(outcome, cutTakeSaved);
    case TakeProblem::RecordingFailed:
        return QStringLiteral("録音中にエラーが発生しました。") + WhereTheTakeWent(outcome, cutTakeSaved);
    case TakeProblem::WriteFailed:
        return QStringLiteral("録音をファイルに書き込めなくなりました。") + WhereTheTakeWent(outcome, cutTakeSaved);
    case TakeProblem::CannotSave:
        return QStringLiteral("録音を保存できませんでした。ファイルは元のままです。");
    case TakeProblem::TargetChanged:
        return QStringLiteral(
                   "ファイルがほかのプログラムによって削除または変更されたため、録音を「%1」として保存しました。")
            .arg(FileNameOf(outcome.keptAs));
    case TakeProblem::TargetReadOnly:
        return QStringLiteral("ファイルは読み取り専用です。録音は「%1」として保存しました。")
            .arg(FileNameOf(outcome.keptAs));
    case TakeProblem::NoTrash:
        return QStringLiteral(
                   "前の録音をごみ箱に移せないため、録音を「%1」として保存しました。ファイルは元のままです。")
            .arg(FileNameOf(outcome.keptAs));
    }
    return {};
}

QString ReplaceTakeQuestion(const std::string& target)
{
    return QStringLiteral("「%1」には録音がすでにあります。\n新しく録音して置き換えてもよろしいですか?")
        .arg(FileNameOf(target));
}

QString DescribeCause(const ProblemCause& cause)
{
    switch (cause.reporter) {
    case ProblemCause::Reporter::None:
        return {};
    case ProblemCause::Reporter::System:
        return DescribeSystemError(cause.code);
    case ProblemCause::Reporter::SoundServer:
        return DescribeSoundServerError(cause.code);
    }
    return {};
}

}  // namespace voicememo
