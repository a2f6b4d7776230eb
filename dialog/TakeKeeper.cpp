#include "TakeKeeper.h"

#include <QStringList>
#include <ctime>
#include <filesystem>
#include <sys/stat.h>

#include "ByteText.h"
#include "ErrorBox.h"
#include "MemoListModel.h"
#include "StrayTakes.h"
#include "TextCodec.h"
#include "Trash.h"
#include "VoiceStore.h"

namespace voicememo {

namespace {

LocalDateTime LocalTimeAt(std::int64_t ns)
{
    const std::time_t seconds = static_cast<std::time_t>(ns / 1'000'000'000);
    std::tm local{};
    ::localtime_r(&seconds, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     std::min(local.tm_sec, 59)};
}

// 「A」「B」
QString QuotedTitles(const std::vector<std::string>& titles)
{
    QString quoted;
    for (const std::string& title : titles)
        quoted += QStringLiteral("「%1」").arg(Decode(title));
    return quoted;
}

}  // namespace

TakeKeeper::TakeKeeper(FileSystem& files, RegionalSettings& regional, std::string exeDir)
    : files_(files),
      regional_(regional),
      exeDir_(std::move(exeDir))
{
}

std::optional<TakeKeeper::FolderLook> TakeKeeper::LookAtFolder() const
{
    const auto disk = files_.DiskPath(VoiceStore(files_, exeDir_).folder());
    struct stat info {};
    if (!disk || ::stat(disk->c_str(), &info) != 0)
        return std::nullopt;
    const auto ns = [](const timespec& time) { return std::int64_t{time.tv_sec} * 1'000'000'000 + time.tv_nsec; };
    return FolderLook{ns(info.st_mtim), ns(info.st_ctim), static_cast<std::uint64_t>(info.st_ino)};
}

bool TakeKeeper::AdoptStrayTakes(QWidget* owner, MemoListModel& model)
{
    const auto folder = LookAtFolder();
    if (folder && folder == settled_)
        return false;
    const AdoptedTakes adopted =
        voicememo::AdoptStrayTakes(files_, exeDir_, model.memos(), regional_.Current(), LocalTimeAt);
    settled_ = adopted.left == 0 ? folder : std::nullopt;
    if (adopted.memos.empty())
        return false;
    model.holdNewRows();
    std::vector<std::string> titles;
    for (const VoiceMemo& memo : adopted.memos) {
        model.appendMemo(memo);
        titles.push_back(memo.Title);
    }
    model.showNewRows();
    const QString found =
        titles.size() == 1 ? QStringLiteral("見つかり") : QStringLiteral("%1個見つかり").arg(titles.size());
    ShowNotice(owner, QStringLiteral("同じ番号で別に録音されたボイスファイルが%1、ボイスメモ%2として追加しました。")
                          .arg(found, QuotedTitles(titles)));
    return true;
}

Discard TakeKeeper::Remove(const VoiceMemo& memo, const std::vector<std::string>& otherMemoPaths, bool forGood)
{
    // Where it really lies is what the trash notes.
    std::error_code error;
    const auto disk = files_.DiskPath(memo.FilePath);
    const std::string real = disk ? std::filesystem::canonical(*disk, error).string() : std::string();
    const Discard outcome = VoiceStore(files_, exeDir_).Remove(memo.FilePath, otherMemoPaths, forGood);
    if (outcome != Discard::Trashed || real.empty())
        return outcome;
    if (auto where = WhereTrashed(real))
        trashed_[LowerAscii(FileNamePart(memo.FilePath))] = {files_.ComparisonKey(memo.FilePath), real, *where,
                                                             memo.RecordedDate, memo.RecordedTime};
    return outcome;
}

void TakeKeeper::BringBackTrashedTakes(QWidget* owner, const MemoListModel& model)
{
    if (trashed_.empty())
        return;
    const MemoTable& memos = model.memos();
    std::vector<std::string> titles;
    for (std::size_t row = 0; row < memos.size() && !trashed_.empty(); ++row) {
        const auto found = trashed_.find(LowerAscii(FileNamePart(memos.field(row, MemoTable::kFilePath))));
        if (found == trashed_.end())
            continue;
        const Trashed& take = found->second;
        const VoiceMemo memo = memos.memo(row);
        if (memo.RecordedDate != take.recordedDate || memo.RecordedTime != take.recordedTime ||
            files_.ComparisonKey(memo.FilePath) != take.pathKey)
            continue;  // another memo of that name
        if (files_.FileExists(memo.FilePath))
            continue;  // its place is taken: the take stays in the trash
        if (TakeBackFromTrash(take.where, take.diskPath))
            titles.push_back(memo.Title);
        trashed_.erase(found);  // back, or gone from the trash: not tried again
    }
    if (!titles.empty())
        ShowNotice(owner, QStringLiteral("一覧に戻ったボイスメモ%1のボイスファイルを、ゴミ箱から元の場所に戻しました。")
                              .arg(QuotedTitles(titles)));
}

}  // namespace voicememo
