#include "Trash.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <stdio.h>
#include <unistd.h>
#include <unordered_map>

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

// What this program moved to the trash: a deleted memo's take comes back
// from there when another machine's change brings the memo back.
struct Trashed {
    std::mutex mutex;
    std::unordered_map<std::string, std::string> whereOf;  // by the path it lay at
};

Trashed& TrashedHere()
{
    static Trashed trashed;
    return trashed;
}

}  // namespace

std::optional<std::string> MoveToTrash(const std::string& diskPath)
{
    if (!HomeTrashIsThere())
        return std::nullopt;
    QFile file(QFile::decodeName(diskPath.c_str()));
    if (!file.moveToTrash())
        return std::nullopt;
    std::string where = QFile::encodeName(file.fileName()).toStdString();
    const std::lock_guard lock(TrashedHere().mutex);
    TrashedHere().whereOf[diskPath] = where;
    return where;
}

std::optional<std::string> WhereTrashed(const std::string& diskPath)
{
    const std::lock_guard lock(TrashedHere().mutex);
    const auto found = TrashedHere().whereOf.find(diskPath);
    return found == TrashedHere().whereOf.end() ? std::nullopt : std::optional(found->second);
}

bool TakeBackFromTrash(const std::string& where, const std::string& diskPath)
{
    // A file system without a rename that never replaces gets a link, which
    // never replaces either.
    if (::renameat2(AT_FDCWD, where.c_str(), AT_FDCWD, diskPath.c_str(), RENAME_NOREPLACE) != 0 &&
        !(errno == EINVAL && ::link(where.c_str(), diskPath.c_str()) == 0 && ::unlink(where.c_str()) == 0))
        return false;
    // "files/<name>" is noted in "info/<name>.trashinfo".
    const QFileInfo trashed(QFile::decodeName(where.c_str()));
    QFile::remove(
        trashed.dir().filePath(QStringLiteral("../info/") + trashed.fileName() + QStringLiteral(".trashinfo")));
    const std::lock_guard lock(TrashedHere().mutex);
    if (auto found = TrashedHere().whereOf.find(diskPath);
        found != TrashedHere().whereOf.end() && found->second == where)
        TrashedHere().whereOf.erase(found);
    return true;
}

}  // namespace voicememo
