#pragma once
// An icon whose picture at each screen scale is made when it is first asked
// for: a screen asks for one scale, and making all of them cost every start.
#include <QIcon>
#include <QPixmap>
#include <QSize>

#include <functional>

namespace voicememo {

// The scales pictures are drawn for: 96, 144 and 192 dpi.
inline constexpr qreal kPictureScales[] = {1.0, 1.5, 2.0};

// Makes the picture of one mode at one of those scales, with its device
// pixel ratio; or a null pixmap for a mode without a picture of its own,
// which the style then makes from the normal one, as for any icon.
using PictureMaker = std::function<QPixmap(qreal scale, QIcon::Mode mode)>;

// An icon of the given size at 1×, its pictures made by `make`.
QIcon OnDemandIcon(QSize size, PictureMaker make);

}  // namespace voicememo
