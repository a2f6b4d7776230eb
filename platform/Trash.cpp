#include "Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace voicememo {

namespace {

// Whether the user's own trash ($XDG_DATA_HOME/Trash) is there, made now
// if need be. Without it, QFile::moveToTrash takes the working folder for
// the trash's place and moves the file there.
bool HomeTrashIsThere()
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome))
        return false;
    const QDir home(dataHome);
    home.mkdir(QStringLiteral("Trash"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return QFileInfo(home.filePath(QStringLiteral("Trash"))).isDir();
}

}  // namespace

std::optional<std::string> MoveToTrash(const std::string& diskPath)
{
    if (!HomeTrashIsThere())
        return std::nullopt;
    QFile file(QFile::decodeName(diskPath.c_str()));
    if (!file.moveToTrash())
        return std::nullopt;
    return QFile::encodeName(file.fileName()).toStdString();
}

}  // namespace voicememo
