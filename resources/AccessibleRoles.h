#pragma once
// The roles a screen reader is told for the programs' own widget classes
// where Qt's would mislead: a top-level window announced as a plain pane, a
// frame of grouped controls as nothing, a status line as plain text.
#include <QAccessible>
#include <QMetaObject>

namespace voicememo {

// Widgets of exactly this class are announced in this role, named as Qt
// names any widget; a label keeps its text as its name. Safe to call again.
void GiveAccessibleRole(const QMetaObject& type, QAccessible::Role role);

}  // namespace voicememo
