#pragma once
// The dialog's pictures: window icon, the list's item image and the
// buttons' glyphs.
#include <QIcon>
#include <QString>

namespace voicememo {

QIcon WindowIcon();
// The program's own icon, also the image of every row in the list.
QIcon ItemImage();
// The item image with a mark, for a memo whose voice file is missing or
// empty.
QIcon EmptyItemImage();
// A 32 × 16 glyph: the left half drawn normally, the right half for a
// disabled button; its lower-left pixel's colour is transparent.
QIcon Glyph(const QString& name);

}  // namespace voicememo
