#pragma once
// What the dialog's line edits take: texts of any length on one line.

class QLineEdit;

namespace voicememo {

// A title stays on one line of the catalogue: TAB, CR, LF and NUL typed or
// pasted into the edit become spaces at once. Characters the catalogue
// cannot hold (code page 932 has them not: an emoji, "€") are refused as
// they are typed, and the edit says so once until the edit is finished, in
// a tooltip and its accessible description, which a screen reader reads.
void KeepTitleOnOneLine(QLineEdit* edit);
// A part of a date takes no TAB, CR, LF or NUL at all: they are dropped at
// once, so a pasted "4\r\n" stays the 4 it means.
void KeepDatePartOnOneLine(QLineEdit* edit);
// Texts of any length: Qt cuts a line edit's text at 32,767 characters
// unless told otherwise, and a cut title would be saved cut.
void RemoveLengthLimit(QLineEdit* edit);

}  // namespace voicememo
