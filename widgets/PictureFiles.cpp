#include "PictureFiles.h"

#include <QImageReader>

#include <cstdio>

// XPM is C: the 1× pictures are compiled in as the arrays they are, and
// made into images without the image readers (whose first use looks
// through every image plugin installed).
#include "glyph-close.xpm"
#include "glyph-delete.xpm"
#include "glyph-play.xpm"
#include "glyph-record.xpm"
#include "program-icon.xpm"
#include "window-icon.xpm"

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

struct XpmPicture {
    const char* name;
    const char* const* xpm;
};

constexpr XpmPicture kXpmPictures[] = {
    {"glyph-close", glyph_close},   {"glyph-delete", glyph_delete}, {"glyph-play", glyph_play},
    {"glyph-record", glyph_record}, {"program-icon", program_icon}, {"window-icon", window_icon},
};

const char* const* XpmOf(const QString& name)
{
    for (const XpmPicture& picture : kXpmPictures)
        if (name == QLatin1StringView(picture.name))
            return picture.xpm;
    return nullptr;
}

// Read in the format named: left to find it out, Qt would load every image
// plugin to ask whether it reads the file.
class TwiceReader : public QImageReader {
public:
    explicit TwiceReader(const QString& name) : QImageReader(QStringLiteral(":/%1@2x.png").arg(name), "png")
    {
        RegisterPictures();
        setAutoDetectImageFormat(false);
    }
};

}  // namespace

QImage PictureImage(const QString& name, bool twice)
{
    if (twice)
        return TwiceReader(name).read();
    const char* const* xpm = XpmOf(name);
    return xpm ? QImage(xpm) : QImage();
}

QSize PictureSize(const QString& name)
{
    // The first line of an XPM: its width, its height, then how it is coded.
    int width = 0;
    int height = 0;
    const char* const* xpm = XpmOf(name);
    if (!xpm || std::sscanf(xpm[0], "%d %d", &width, &height) != 2)
        return {};
    return {width, height};
}

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
