#include "DialogFont.h"

#include <QFont>
#include <QGuiApplication>

namespace voicememo {

void UseDialogFont()
{
    const QString dialogFace = QStringLiteral("ＭＳ Ｐゴシック");
    QFont::insertSubstitutions(dialogFace, {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                            QStringLiteral("Noto Sans CJK JP")});
    QFont font(dialogFace);
    font.setPixelSize(12);
    QGuiApplication::setFont(font);
}

}  // namespace voicememo
