#include "PictureFiles.h"

#include <QImageReader>

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

// Read in the format named: left to find it out, Qt would load every image
// plugin to ask whether it reads the file, at each start.
static QImage ReadPicture(const QString& path, const char* format)
{
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

std::pair<QImage, QImage> PictureImages(const QString& name)
{
    RegisterPictures();
    return {ReadPicture(QStringLiteral(":/%1.xpm").arg(name), "xpm"),
            ReadPicture(QStringLiteral(":/%1@2x.png").arg(name), "png")};
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
