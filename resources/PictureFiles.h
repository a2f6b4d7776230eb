#pragma once
// The pictures compiled into the programs: each XPM with a PNG at twice its
// size beside it (name@2x.png, made by scripts/upscale-pictures.py), so that
// they stay sharp at 144 and 192 dpi.
#include <QIcon>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QString>

#include <utility>

namespace voicememo {

// The picture `name` at 1× and at 2×: ":/name.xpm" and ":/name@2x.png".
std::pair<QImage, QImage> PictureImages(const QString& name);
// A picture at 1×, 1.5× and 2×, each with its device pixel ratio. Qt gives
// a 1.5× screen the 1× picture, blown up, unless a 1.5× one is there: it is
// the 2× one made smaller.
QList<QPixmap> AtEachScale(const QImage& single, QImage twice);
// The picture `name` as an icon at each scale.
QIcon PictureIcon(const QString& name);
// The program's icon, for both programs' windows.
inline QIcon WindowIcon() { return PictureIcon(QStringLiteral("window-icon")); }

}  // namespace voicememo
