#include "TextCodec.h"

#include <QLineEdit>

#include "Codepage.h"

namespace voicememo {

QString Decode(const std::string& bytes)
{
    return QString::fromStdString(Cp932ToUtf8(bytes));
}

std::string Encode(const QString& text)
{
    return Utf8ToCp932(text.toStdString());
}

std::string EncodeKeeping(const QString& text, const std::string& original)
{
    return text == Decode(original) ? original : Encode(text);
}

void KeepTitleOnOneLine(QLineEdit* edit)
{
    QObject::connect(edit, &QLineEdit::textChanged, edit, [edit](const QString& text) {
        QString clean = text;
        for (QChar& c : clean)
            if (c == u'\t' || c == u'\r' || c == u'\n' || c == QChar(0))
                c = u' ';
        if (clean != text) {
            int cursor = edit->cursorPosition();
            edit->setText(clean);
            edit->setCursorPosition(cursor);
        }
    });
}

}  // namespace voicememo
