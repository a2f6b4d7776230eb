#pragma once
// The dialog's edge between code page 932 bytes and Qt's text.
#include <QString>
#include <string>

class QLineEdit;

namespace voicememo {

// Bytes that do not decode show as replacement characters.
QString Decode(const std::string& bytes);
// A character code page 932 cannot hold is stored as "?".
std::string Encode(const QString& text);
// The original bytes when the text is still what they decode to, so a field
// that was shown and not changed keeps every byte.
std::string EncodeKeeping(const QString& text, const std::string& original);

// A title stays on one line of the catalogue: TAB, CR, LF and NUL typed or
// pasted into the edit become spaces at once.
void KeepTitleOnOneLine(QLineEdit* edit);
// A part of a date takes no TAB, CR, LF or NUL at all: they are dropped at
// once, so a pasted "4\r\n" stays the 4 it means.
void KeepDatePartOnOneLine(QLineEdit* edit);
// Texts of any length: Qt cuts a line edit's text at 32,767 characters
// unless told otherwise, and a cut title would be saved cut.
void RemoveLengthLimit(QLineEdit* edit);

}  // namespace voicememo
