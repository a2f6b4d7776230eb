#include "Pictures.h"

#include <QBitmap>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace voicememo {

QIcon ItemImage() { return PictureIcon(QStringLiteral("program-icon")); }

QIcon EmptyItemImage(const QIcon& item)
{
    return OnDemandIcon(QSize(32, 32), [item](qreal scale, QIcon::Mode mode) {
        if (mode != QIcon::Normal)
            return QPixmap();
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
        return picture;
    });
}

// The image with its lower-left pixel's colour made transparent.
static QImage Keyed(QImage image)
{
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::replace(line, line + image.width(), transparent, qRgba(0, 0, 0, 0));
    }
    return image;
}

// The left (0) or right (1) half of the image.
static QImage Half(const QImage& image, int which)
{
    const int width = image.width() / 2;
    return image.copy(which * width, 0, width, image.height());
}

QIcon Glyph(const QString& name)
{
    const QString file = QStringLiteral("glyph-%1").arg(name);
    const QSize whole = PictureSize(file);
    return OnDemandIcon(QSize(whole.width() / 2, whole.height()), [file](qreal scale, QIcon::Mode mode) {
        const int half = mode == QIcon::Disabled ? 1 : 0;
        return PictureAtScale(scale, [&](bool twice) { return Half(Keyed(PictureImage(file, twice)), half); });
    });
}

}  // namespace voicememo
