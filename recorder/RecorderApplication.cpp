#include "RecorderApplication.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QStyleFactory>

#include "DialogFace.h"

// The pictures are compiled into a library whose registration the linker
// would drop: the icon is registered by hand.
static void RegisterPictures()
{
    Q_INIT_RESOURCE(pictures);
}

namespace voicememo {

void SetUpRecorderApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("voicememo-recorder"));
    // The program's launcher, voicememo.desktop: a Wayland compositor finds
    // the icon through it, for the recorder as for the program.
    QGuiApplication::setDesktopFileName(QStringLiteral("voicememo"));
    RegisterPictures();
    QApplication::setWindowIcon(QIcon(QPixmap(QStringLiteral(":/window-icon.xpm"))));
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    UseDialogFace();
}

}  // namespace voicememo
