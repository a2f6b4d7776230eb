#include "AccessibleRoles.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QLabel>

namespace voicememo {

namespace {

struct RoleAndNaming {
    QAccessible::Role role;
    AccessibleNaming naming;
};

QHash<QString, RoleAndNaming>& Roles()
{
    static QHash<QString, RoleAndNaming> roles;
    return roles;
}

class WidgetInRole : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    WidgetInRole(QWidget* widget, RoleAndNaming given) : QAccessibleWidget(widget, given.role), naming_(given.naming) {}

    QString text(QAccessible::Text kind) const override
    {
        if (naming_ == AccessibleNaming::Nameless && (kind == QAccessible::Name || kind == QAccessible::Description))
            return {};
        if (kind == QAccessible::Value && HasValue())
            return currentValue().toString();
        const QString own = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && own.isEmpty())
            if (auto* label = qobject_cast<QLabel*>(widget()))
                return label->text();
        return own;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface && HasValue())
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    // Read as the widget shows it; a screen reader sets nothing.
    QVariant currentValue() const override { return widget()->property("value"); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return widget()->property("maximum"); }
    QVariant minimumValue() const override { return widget()->property("minimum"); }
    QVariant minimumStepSize() const override { return 0; }

private:
    bool HasValue() const { return widget()->metaObject()->indexOfProperty("value") >= 0; }

    AccessibleNaming naming_;
};

QAccessibleInterface* AccessibleInRole(const QString& className, QObject* object)
{
    const auto found = Roles().constFind(className);
    if (found == Roles().cend() || !object->isWidgetType())
        return nullptr;
    return new WidgetInRole(static_cast<QWidget*>(object), *found);
}

}  // namespace

void GiveAccessibleRole(const QMetaObject& type, QAccessible::Role role, AccessibleNaming naming)
{
    if (Roles().isEmpty())
        QAccessible::installFactory(AccessibleInRole);
    Roles().insert(QString::fromLatin1(type.className()), {role, naming});
}

}  // namespace voicememo
