#pragma once
// The program's message boxes, all with the caption "ボイスメモ" and modal
// to the application. The error box has a stop icon and OK. Every handler
// runs inside Guarded, which shows the box for an error so the handler stops
// at the failing step and the dialog goes on.
#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace voicememo {

class UnusableFolder;

extern const char* const kApplicationTitle;  // "ボイスメモ"

// The message as the box shows it: a "." is appended when the message is
// not empty and its last character's first byte is above "." in code order.
std::string ErrorBoxText(const std::string& message);

void ShowErrorBox(QWidget* owner, const std::string& message);
// The same for a message that code page 932 cannot hold.
void ShowErrorBox(QWidget* owner, const QString& message);

// A question with Yes and No, Yes first and the default, no icon; true
// only when Yes was pressed.
bool AskYesNo(QWidget* owner, const QString& text);
// The same, for a question whose はい loses something for good: いいえ is
// the default, so that Enter keeps it.
bool AskYesNoDefaultNo(QWidget* owner, const QString& text);
// A notice with an OK button and no icon.
void ShowNotice(QWidget* owner, const QString& text);

// Why the program cannot keep its memos in its folder and what to do: the
// folder as the user sees it (a TAB, CR or LF written \t, \r, \n).
QString UnusableFolderMessage(const UnusableFolder& error);

// Takes down every message box that is up; a question counts as answered
// No.
void DismissMessageBoxes();
// From now on no box is shown (a question counts as answered No): the
// program was ended from outside and goes, whatever it would have said.
void RefuseMessageBoxes();

// Runs the handler; an error is shown in the error box: an Error's own
// message, for anything else a Japanese one ("メモリが不足しています" when
// memory ran out). True when the handler ran to its end.
bool Guarded(QWidget* owner, const std::function<void()>& handler);

}  // namespace voicememo
