#include "Accessibility.h"

#include <QAccessibleWidget>

#include "TForm1.h"

namespace voicememo {

namespace {

QAccessibleInterface* AccessibleWithRole(const QString& className, QObject* object)
{
    if (className == QLatin1String(TForm1::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    if (className == QLatin1String(ControlGroup::staticMetaObject.className()))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Grouping);
    return nullptr;
}

}  // namespace

void InstallAccessibleRoles()
{
    QAccessible::installFactory(AccessibleWithRole);
}

}  // namespace voicememo
