#pragma once
// Starts a companion program of ours and leaves it running on its own.
#include <QString>
#include <QStringList>
#include <string>

namespace voicememo {

// The program's file: the one beside our executable (exeDiskDir, a UTF-8
// folder with a trailing "/") when it is there, otherwise the one the PATH
// names; empty when neither exists.
QString FindCompanionProgram(const std::string& exeDiskDir, const QString& name);

// Starts the program detached, with each argument passed as it stands (no
// shell). False when it could not be started.
bool StartCompanionProgram(const std::string& exeDiskDir, const QString& name, const QStringList& arguments);

// Starting companion programs, as a service the window is given.
class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // As StartCompanionProgram.
    virtual bool Start(const std::string& exeDiskDir, const QString& name, const QStringList& arguments) = 0;
};

class DetachedProgramLauncher : public ProgramLauncher {
public:
    bool Start(const std::string& exeDiskDir, const QString& name, const QStringList& arguments) override
    {
        return StartCompanionProgram(exeDiskDir, name, arguments);
    }
};

}  // namespace voicememo
