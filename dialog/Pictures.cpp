#include "Pictures.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>
#include <QPixmap>

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

QIcon WindowIcon()
{
    RegisterPictures();
    return QIcon(QPixmap(QStringLiteral(":/window-icon.xpm")));
}

QIcon ItemImage()
{
    RegisterPictures();
    return QIcon(QPixmap(QStringLiteral(":/program-icon.xpm")));
}

QIcon EmptyItemImage()
{
    const QIcon item = ItemImage();
    QIcon marked;
    for (const qreal scale : {1.0, 2.0}) {
        QPixmap picture = item.pixmap(QSize(32, 32), scale);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        // A red disc with a white cross in the lower right corner.
        const QRectF disc(17.5, 17.5, 13, 13);
        painter.setPen(QPen(Qt::white, 1.5));
        painter.setBrush(QColor(0xC0, 0x00, 0x00));
        painter.drawEllipse(disc);
        painter.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap));
        const QRectF cross = disc.adjusted(4, 4, -4, -4);
        painter.drawLine(cross.topLeft(), cross.bottomRight());
        painter.drawLine(cross.topRight(), cross.bottomLeft());
        painter.end();
        marked.addPixmap(picture);
    }
    return marked;
}

QIcon Glyph(const QString& name)
{
    RegisterPictures();
    QImage image(QStringLiteral(":/glyph-%1.xpm").arg(name));
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == transparent)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    const int half = image.width() / 2;
    QIcon icon;
    QPixmap normal = QPixmap::fromImage(image.copy(0, 0, half, image.height()));
    QPixmap disabled = QPixmap::fromImage(image.copy(half, 0, half, image.height()));
    for (QIcon::State state : {QIcon::Off, QIcon::On}) {
        icon.addPixmap(normal, QIcon::Normal, state);
        icon.addPixmap(normal, QIcon::Active, state);
        icon.addPixmap(normal, QIcon::Selected, state);
        icon.addPixmap(disabled, QIcon::Disabled, state);
    }
    return icon;
}

}  // namespace voicememo
