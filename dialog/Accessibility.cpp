#include "Accessibility.h"

#include "AccessibleRoles.h"
#include "TForm1.h"

namespace voicememo {

void InstallAccessibleRoles()
{
    GiveAccessibleRole(TForm1::staticMetaObject, QAccessible::Window);
    GiveAccessibleRole(ControlGroup::staticMetaObject, QAccessible::Grouping);
}

}  // namespace voicememo
