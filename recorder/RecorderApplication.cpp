#include "RecorderApplication.h"

#include <QApplication>
#include <QMessageBox>
#include <QStyleFactory>

#include "DialogFont.h"
#include "PictureFiles.h"
#include "ProgramStyle.h"

namespace voicememo {

void SetUpRecorderApplication(QApplication& app, bool keepUserStyle)
{
    QApplication::setApplicationName(QStringLiteral("voicememo-recorder"));
    // The program's launcher, voicememo.desktop: a Wayland compositor finds
    // the icon through it, for the recorder as for the program.
    QGuiApplication::setDesktopFileName(QStringLiteral("voicememo"));
    QApplication::setWindowIcon(WindowIcon());
    app.setStyle(QStyleFactory::create(StyleToUse(keepUserStyle)));
    UseDialogFont();
}

void ShowRecorderError(const QString& message)
{
    // A button added by its words gets no picture from the desktop's theme,
    // as QMessageBox::Ok would.
    QMessageBox box(QMessageBox::Critical, QStringLiteral("録音"), message, QMessageBox::NoButton);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

}  // namespace voicememo
