#include "Accessibility.h"

#include "AccessibleRoles.h"
#include "DayFieldAccessible.h"
#include "ListAccessible.h"
#include "TForm1.h"

namespace voicememo {

void InstallAccessibleRoles()
{
    InstallDayFieldAccessible();
    GiveAccessibleRole(TForm1::staticMetaObject, QAccessible::Window);
    GiveAccessibleRole(ControlGroup::staticMetaObject, QAccessible::Grouping);
    InstallListAccessible();
}

}  // namespace voicememo
