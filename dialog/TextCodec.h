#pragma once
// The dialog's edge between code page 932 bytes and Qt's text.
#include <QString>
#include <string>

namespace voicememo {

// Bytes that do not decode show as replacement characters.
QString Decode(const std::string& bytes);
// A character code page 932 cannot hold is stored as "?".
std::string Encode(const QString& text);
// The original bytes when the text is still what they decode to, so a field
// that was shown and not changed keeps every byte.
std::string EncodeKeeping(const QString& text, const std::string& original);

}  // namespace voicememo
