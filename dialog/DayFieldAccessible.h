#pragma once
// The day's edit with its up-down spinner, as a screen reader meets them:
// one spin button whose value is the day, announced at each change (an
// arrow's step, a typed day, a correction of a day the month has not).
#include <QAccessibleValueChangeEvent>

class QLineEdit;

namespace voicememo {

class UpDown;

// Makes an edit marked as a spinner's buddy appear as a spin button with a
// value (once per program; safe to call again).
void InstallDayFieldAccessible();
void MarkAsSpinnerBuddy(QLineEdit* edit, UpDown* spinner);

// Called by the spinner when its edit's text changed.
void AnnounceDayValue(QLineEdit* edit, int value);

}  // namespace voicememo
