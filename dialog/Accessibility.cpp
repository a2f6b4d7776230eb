#include "Accessibility.h"

#include "AccessibleRoles.h"
#include "DayFieldAccessible.h"
#include "MemoListView.h"
#include "TForm1.h"

namespace voicememo {

void InstallAccessibleRoles()
{
    InstallDayFieldAccessible();
    GiveAccessibleRole(TForm1::staticMetaObject, QAccessible::Window);
    GiveAccessibleRole(ControlGroup::staticMetaObject, QAccessible::Grouping);
    // The list's holder: its label and tooltip would name the list a second
    // and a third time on the way in; the view inside has the one name.
    GiveAccessibleRole(MemoListView::staticMetaObject, QAccessible::Client, AccessibleNaming::Nameless);
}

}  // namespace voicememo
