#include "ProgramStyle.h"

#include <QApplication>
#include <QByteArray>
#include <QStyle>

namespace voicememo {

bool UserChoseStyle(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE"))
        return true;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        for (const char* option : {"-style", "--style"})
            if (argument == option || argument.startsWith(QByteArray(option) + '='))
                return true;
    }
    return false;
}

QString StyleToUse(bool userChoseStyle)
{
    return userChoseStyle ? QApplication::style()->name() : QStringLiteral("Fusion");
}

}  // namespace voicememo
