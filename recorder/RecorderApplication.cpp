#include "RecorderApplication.h"

#include <QApplication>
#include <QStyleFactory>

#include "DialogFace.h"

namespace voicememo {

void SetUpRecorderApplication(QApplication& app)
{
    QApplication::setApplicationName(QStringLiteral("voicememo-recorder"));
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    UseDialogFace();
}

}  // namespace voicememo
