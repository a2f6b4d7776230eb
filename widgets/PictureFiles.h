#pragma once
// The pictures compiled into the programs: each XPM with one at twice its
// size beside it (name@2x.xpm, made by scripts/upscale-pictures.py), so that
// they stay sharp at 144 and 192 dpi.
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <functional>

#include "OnDemandIcon.h"

namespace voicememo {

// The picture `name` at 1× (name.xpm) or at 2× (name@2x.xpm).
QImage PictureImage(const QString& name, bool twice);
// Its size at 1×, from the XPM's first line alone.
QSize PictureSize(const QString& name);
// A picture at one of the scales, with its device pixel ratio, from an
// image at 1× or at 2× as `image` makes them: at 1.5× the 2× image made
// smaller (Qt would give a 1.5× screen the 1× picture blown up).
QPixmap PictureAtScale(qreal scale, const std::function<QImage(bool twice)>& image);
// The picture `name` as an icon at each scale.
QIcon PictureIcon(const QString& name);
// The program's icon, for both programs' windows.
inline QIcon WindowIcon() { return PictureIcon(QStringLiteral("window-icon")); }

}  // namespace voicememo
