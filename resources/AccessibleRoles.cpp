#include "AccessibleRoles.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QLabel>

namespace voicememo {

namespace {

QHash<QString, QAccessible::Role>& Roles()
{
    static QHash<QString, QAccessible::Role> roles;
    return roles;
}

class WidgetInRole : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;

    QString text(QAccessible::Text kind) const override
    {
        const QString own = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && own.isEmpty())
            if (auto* label = qobject_cast<QLabel*>(widget()))
                return label->text();
        return own;
    }
};

QAccessibleInterface* AccessibleInRole(const QString& className, QObject* object)
{
    const auto found = Roles().constFind(className);
    if (found == Roles().cend() || !object->isWidgetType())
        return nullptr;
    return new WidgetInRole(static_cast<QWidget*>(object), *found);
}

}  // namespace

void GiveAccessibleRole(const QMetaObject& type, QAccessible::Role role)
{
    if (Roles().isEmpty())
        QAccessible::installFactory(AccessibleInRole);
    Roles().insert(QString::fromLatin1(type.className()), role);
}

}  // namespace voicememo
