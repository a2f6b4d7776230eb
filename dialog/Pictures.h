#pragma once
// The dialog's pictures: window icon, the list's item image and the
// buttons' glyphs, each at 1×, 1.5× and 2×, made at a scale when first
// asked for there.
#include <QIcon>
#include <QString>

#include "PictureFiles.h"

namespace voicememo {

// The program's own icon, also the image of every row in the list.
QIcon ItemImage();
// The item image with a mark, for a memo whose voice file is missing or
// empty.
QIcon EmptyItemImage(const QIcon& itemImage = ItemImage());
// A 32 × 16 glyph (64 × 32 at 2×): the left half drawn normally, the right
// half for a disabled button; its lower-left pixel's colour is transparent.
// The disabled half is drawn, not left to Qt: Qt tints the window's colour
// for it, and on a dark window the glyphs' black outlines vanish.
QIcon Glyph(const QString& name);

}  // namespace voicememo
