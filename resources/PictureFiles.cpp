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

namespace {

// Read in the format named: left to find it out, Qt would load every image
// plugin to ask whether it reads the file, at each start.
class PictureReader : public QImageReader {
public:
    PictureReader(const QString& name, bool twice)
        : QImageReader(twice ? QStringLiteral(":/%1@2x.png").arg(name) : QStringLiteral(":/%1.xpm").arg(name),
                       twice ? "png" : "xpm")
    {
        RegisterPictures();
        setAutoDetectImageFormat(false);
    }
};

}  // namespace

QImage PictureImage(const QString& name, bool twice) { return PictureReader(name, twice).read(); }

QSize PictureSize(const QString& name) { return PictureReader(name, false).size(); }

QPixmap PictureAtScale(qreal scale, const std::function<QImage(bool twice)>& image)
{
    if (scale <= 1.0)
        return QPixmap::fromImage(image(false));
    QImage twice = image(true);
    if (scale < 2.0)
        twice = twice.scaled(twice.size() * scale / 2.0, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPixmap picture = QPixmap::fromImage(twice);
    picture.setDevicePixelRatio(scale);
    return picture;
}

QIcon PictureIcon(const QString& name)
{
    return OnDemandIcon(PictureSize(name), [name](qreal scale, QIcon::Mode mode) {
        if (mode != QIcon::Normal)
            return QPixmap();
        return PictureAtScale(scale, [&name](bool twice) { return PictureImage(name, twice); });
    });
}

}  // namespace voicememo
