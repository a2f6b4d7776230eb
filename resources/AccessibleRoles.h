#pragma once
// The roles a screen reader is told for the programs' own widget classes
// where Qt's would mislead: a top-level window announced as a plain pane, a
// frame of grouped controls as nothing, a status line as plain text.
#include <QAccessible>
#include <QMetaObject>

namespace voicememo {

enum class AccessibleNaming {
    AsQt,      // named as Qt names any widget (a label, its text)
    Nameless,  // neither name nor description: a holder whose inner control has them
};

// Widgets of exactly this class are announced in this role. Safe to call
// again.
void GiveAccessibleRole(const QMetaObject& type, QAccessible::Role role,
                        AccessibleNaming naming = AccessibleNaming::AsQt);

}  // namespace voicememo
