#include "LinkNotice.h"

#include "CatalogueFile.h"
#include "Settings.h"
#include "TextCodec.h"

namespace voicememo {

namespace {

// The link as the disk names it, where the user finds it.
QString ShownLink(FileSystem& files, const std::string& path)
{
    const auto disk = files.DiskPath(path);
    return disk ? QString::fromStdString(*disk) : Decode(path);
}

}  // namespace

QString OutwardLinksNotice(FileSystem& files, const std::string& exeDir,
                           const std::optional<std::string>& catalogueTarget)
{
    const std::string settingsPath = exeDir + kSettingsFileName;
    const auto settingsTarget = files.LinkLeadingOut(settingsPath);
    QString notice;
    if (catalogueTarget)
        notice = QStringLiteral("%1 はフォルダーの外の %2 へのリンクのため、読み取り専用で開きました。"
                                "一覧の変更は保存されません。")
                     .arg(ShownLink(files, exeDir + kCatalogueFileName), Decode(*catalogueTarget));
    if (settingsTarget)
        notice += QStringLiteral("%1 はフォルダーの外の %2 へのリンクのため、ウィンドウの位置は保存されません。")
                      .arg(ShownLink(files, settingsPath), Decode(*settingsTarget));
    return notice;
}

}  // namespace voicememo
