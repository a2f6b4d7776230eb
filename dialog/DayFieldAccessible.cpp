#include "DayFieldAccessible.h"

#include <QAccessibleWidget>
#include <QLineEdit>

#include "UpDown.h"

namespace voicememo {

namespace {

constexpr const char* kSpinnerProperty = "voicememo_spinner";

UpDown* SpinnerOf(QObject* edit) { return edit->property(kSpinnerProperty).value<UpDown*>(); }

// The edit's text as a text interface (a screen reader reads and follows
// the caret in it), its day as a value.
class DayField : public QAccessibleWidget, public QAccessibleValueInterface, public QAccessibleTextInterface {
public:
    explicit DayField(QLineEdit* edit) : QAccessibleWidget(edit, QAccessible::SpinBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Value ? edit()->text() : QAccessibleWidget::text(kind);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.editable = !edit()->isReadOnly();
        return state;
    }

    // The value: the day the spinner holds.
    QVariant currentValue() const override { return spinner() ? spinner()->position() : QVariant(); }
    void setCurrentValue(const QVariant& value) override
    {
        if (spinner() && edit()->isEnabled())
            spinner()->setPosition(value.toInt());
    }
    QVariant maximumValue() const override { return spinner() ? spinner()->maximum() : QVariant(); }
    QVariant minimumValue() const override { return spinner() ? spinner()->minimum() : QVariant(); }
    QVariant minimumStepSize() const override { return 1; }

    // The text, as the edit holds it.
    void selection(int index, int* start, int* end) const override
    {
        *start = *end = 0;
        if (index == 0 && edit()->hasSelectedText()) {
            *start = edit()->selectionStart();
            *end = *start + static_cast<int>(edit()->selectedText().size());
        }
    }
    int selectionCount() const override { return edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int) override { edit()->deselect(); }
    void setSelection(int, int start, int end) override { edit()->setSelection(start, end - start); }
    int cursorPosition() const override { return edit()->cursorPosition(); }
    void setCursorPosition(int position) override { edit()->setCursorPosition(position); }
    QString text(int start, int end) const override { return edit()->text().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(edit()->text().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override
    {
        *start = *end = offset;
        return {};
    }

private:
    QLineEdit* edit() const { return static_cast<QLineEdit*>(widget()); }
    UpDown* spinner() const { return SpinnerOf(widget()); }
};

QAccessibleInterface* DayFieldFor(const QString&, QObject* object)
{
    auto* edit = qobject_cast<QLineEdit*>(object);
    return edit && SpinnerOf(edit) ? new DayField(edit) : nullptr;
}

}  // namespace

void InstallDayFieldAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(DayFieldFor);
        return true;
    }();
    (void)installed;
}

void MarkAsSpinnerBuddy(QLineEdit* edit, UpDown* spinner)
{
    edit->setProperty(kSpinnerProperty, QVariant::fromValue(spinner));
}

void AnnounceDayValue(QLineEdit* edit, int value)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(edit, value);
    QAccessible::updateAccessibility(&event);
}

}  // namespace voicememo
