#include "ListAccessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QListView>
#include <QTableView>

#include "MemoListView.h"

namespace voicememo {

namespace {

// The views, then each view's own child widgets.
QList<QWidget*> HeldBy(const MemoListView* list)
{
    QList<QWidget*> held;
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(list->iconView()), static_cast<QAbstractItemView*>(list->detailView())})
        held << view;
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(list->iconView()), static_cast<QAbstractItemView*>(list->detailView())})
        held << view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return held;
}

const MemoListView* ListOf(const QWidget* part)
{
    const QWidget* view = part->parentWidget();
    return view && qobject_cast<const QAbstractItemView*>(view)
               ? qobject_cast<const MemoListView*>(view->parentWidget())
               : nullptr;
}

// The holder: no name nor description of its own (its label and tooltip
// would name the list twice more on the way in); the view inside has them.
class ListHolder : public QAccessibleWidget {
public:
    explicit ListHolder(MemoListView* list) : QAccessibleWidget(list, QAccessible::Client) {}

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Name || kind == QAccessible::Description ? QString()
                                                                             : QAccessibleWidget::text(kind);
    }
    int childCount() const override { return static_cast<int>(held().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const QList<QWidget*> all = held();
        return index >= 0 && index < all.size() ? QAccessible::queryAccessibleInterface(all[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? static_cast<int>(held().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
    }

private:
    QList<QWidget*> held() const { return HeldBy(static_cast<const MemoListView*>(widget())); }
};

// A view's part, held by the list's holder beside the view.
class ViewPart : public QAccessibleWidget {
public:
    ViewPart(QWidget* part, QAccessible::Role role) : QAccessibleWidget(part, role) {}
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(const_cast<MemoListView*>(ListOf(widget())));
    }
};

QAccessibleInterface* ListPartFor(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (auto* list = qobject_cast<MemoListView*>(widget))
        return new ListHolder(list);
    if (!ListOf(widget))
        return nullptr;
    return new ViewPart(widget, QAccessible::Client);
}

}  // namespace

void InstallListAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(ListPartFor);
        return true;
    }();
    (void)installed;
}

}  // namespace voicememo
