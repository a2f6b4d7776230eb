#include "PictureFiles.h"

#include <cstdio>

// XPM is C: the pictures, at 1× and at 2×, are compiled in as the arrays they
// are, and made into images without the image readers (whose first use looks
// through every image plugin installed; reading the window's icon at 2× that
// way cost each start about 1.5 ms).
#include "glyph-close.xpm"
#include "glyph-close@2x.xpm"
#include "glyph-delete.xpm"
#include "glyph-delete@2x.xpm"
#include "glyph-play.xpm"
#include "glyph-play@2x.xpm"
#include "glyph-record.xpm"
#include "glyph-record@2x.xpm"
#include "program-icon.xpm"
#include "program-icon@2x.xpm"
#include "window-icon.xpm"
#include "window-icon@2x.xpm"

namespace voicememo {

namespace {

struct XpmPicture {
    const char* name;
    const char* const* once;
    const char* const* twice;
};

constexpr XpmPicture kXpmPictures[] = {
    {"glyph-close", glyph_close, glyph_close_2x},    {"glyph-delete", glyph_delete, glyph_delete_2x},
    {"glyph-play", glyph_play, glyph_play_2x},       {"glyph-record", glyph_record, glyph_record_2x},
    {"program-icon", program_icon, program_icon_2x}, {"window-icon", window_icon, window_icon_2x},
};

const XpmPicture* XpmOf(const QString& name)
{
    for (const XpmPicture& picture : kXpmPictures)
        if (name == QLatin1StringView(picture.name))
            return &picture;
    return nullptr;
}

}  // namespace

QImage PictureImage(const QString& name, bool twice)
{
    const XpmPicture* picture = XpmOf(name);
    return picture ? QImage(twice ? picture->twice : picture->once) : QImage();
}

QSize PictureSize(const QString& name)
{
    // The first line of an XPM: its width, its height, then how it is coded.
    int width = 0;
    int height = 0;
    const XpmPicture* picture = XpmOf(name);
    if (!picture || std::sscanf(picture->once[0], "%d %d", &width, &height) != 2)
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
