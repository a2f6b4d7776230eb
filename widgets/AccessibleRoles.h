#pragma once
// The roles a screen reader is told for the programs' own widget classes
// where Qt's would mislead: a top-level window announced as a plain pane, a
// frame of grouped controls as nothing, a status line as plain text, a meter
// as a progress bar whose every change is read out.
#include <QAccessible>
#include <QMetaObject>

namespace voicememo {

enum class AccessibleNaming {
    AsQt,      // named as Qt names any widget (a label, its text)
    Nameless,  // neither name nor description: a holder whose inner control has them
};

// Widgets of exactly this class are announced in this role. Where the class
// declares the properties value, minimum and maximum, a screen reader reads
// the value when asked, and cannot set it. Safe to call again.
void GiveAccessibleRole(const QMetaObject& type, QAccessible::Role role,
                        AccessibleNaming naming = AccessibleNaming::AsQt);

}  // namespace voicememo
