#include "TextCodec.h"

#include "Codepage.h"

namespace voicememo {

QString Decode(const std::string& bytes) { return QString::fromStdString(Cp932ToUtf8(bytes)); }

std::string Encode(const QString& text) { return Utf8ToCp932(text.toStdString()); }

std::string EncodeKeeping(const QString& text, const std::string& original)
{
    return text == Decode(original) ? original : Encode(text);
}

}  // namespace voicememo
