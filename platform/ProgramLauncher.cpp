#include "ProgramLauncher.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace voicememo {

QString FindCompanionProgram(const std::string& exeDiskDir, const QString& name)
{
    const QFileInfo beside(QString::fromStdString(exeDiskDir) + name);
    if (beside.isFile() && beside.isExecutable())
        return beside.absoluteFilePath();
    return QStandardPaths::findExecutable(name);
}

bool StartCompanionProgram(const std::string& exeDiskDir, const QString& name, const QStringList& arguments)
{
    const QString program = FindCompanionProgram(exeDiskDir, name);
    return !program.isEmpty() && QProcess::startDetached(program, arguments);
}

}  // namespace voicememo
