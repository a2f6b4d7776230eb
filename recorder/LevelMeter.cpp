#include "LevelMeter.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <algorithm>

#include "AccessibleRoles.h"

namespace voicememo {

LevelMeter::LevelMeter(QWidget* parent) : QWidget(parent)
{
    GiveAccessibleRole(staticMetaObject, QAccessible::Indicator);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void LevelMeter::SetValue(int value)
{
    value = std::clamp(value, minimum(), maximum());
    if (value == value_)
        return;
    value_ = value;
    update();
}

void LevelMeter::InitStyleOption(QStyleOptionProgressBar& option) const
{
    option.initFrom(this);
    option.state |= QStyle::State_Horizontal;
    option.minimum = minimum();
    option.maximum = maximum();
    option.progress = value_;
    option.textVisible = false;
}

// A line and a half of the window's text high, in the style's frame, and
// wide enough to be read at a glance; the layout gives it the rest.
QSize LevelMeter::sizeHint() const
{
    ensurePolished();
    QStyleOptionProgressBar option;
    InitStyleOption(option);
    const QSize content(fontMetrics().averageCharWidth() * 16, fontMetrics().height() * 3 / 2);
    return style()->sizeFromContents(QStyle::CT_ProgressBar, &option, content, this);
}

QSize LevelMeter::minimumSizeHint() const { return {sizeHint().width() / 4, sizeHint().height()}; }

void LevelMeter::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionProgressBar option;
    InitStyleOption(option);
    painter.drawControl(QStyle::CE_ProgressBar, option);
}

}  // namespace voicememo
