#include "PictureFiles.h"

// The pictures are compiled into a library whose registration the linker
// would drop: register them before the first use.
static void RegisterPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(pictures);
        return true;
    }();
    (void)registered;
}

namespace voicememo {

std::pair<QImage, QImage> PictureImages(const QString& name)
{
    RegisterPictures();
    return {QImage(QStringLiteral(":/%1.xpm").arg(name)), QImage(QStringLiteral(":/%1@2x.png").arg(name))};
}

QList<QPixmap> AtEachScale(const QImage& single, QImage twice)
{
    twice.setDevicePixelRatio(2.0);
    QImage between = twice.scaled(single.size() * 3 / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    between.setDevicePixelRatio(1.5);
    return {QPixmap::fromImage(single), QPixmap::fromImage(between), QPixmap::fromImage(twice)};
}

QIcon PictureIcon(const QString& name)
{
    const auto [single, twice] = PictureImages(name);
    QIcon icon;
    for (const QPixmap& pixmap : AtEachScale(single, twice))
        icon.addPixmap(pixmap);
    return icon;
}

}  // namespace voicememo
