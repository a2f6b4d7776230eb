#include "TooltipTimer.h"

#include <QApplication>
#include <QHelpEvent>
#include <QTimer>
#include <QToolTip>

#include "DetailView.h"
#include "Within.h"

namespace voicememo {

namespace {

constexpr int kTooltipShownMs = 2500;
// Qt wakes a tooltip 20 ms after a move while another is up; the rest of
// the 50 ms is waited here.
constexpr int kTooltipMoveExtraMs = 30;

}  // namespace

TooltipTimer::TooltipTimer(QWidget* window) : QObject(window), window_(window) { qApp->installEventFilter(this); }

bool TooltipTimer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::ToolTip || !Within(window_, watched))
        return false;
    if (!enabled_)
        return true;

    auto* help = static_cast<QHelpEvent*>(event);
    QWidget* owner = static_cast<QWidget*>(watched);
    // A cell's own tip (a cut cell's whole text), else the control's.
    const auto* cells = dynamic_cast<const CellTips*>(owner->parent());
    QString tip = cells ? cells->tipAt(help->pos()) : QString();
    while (tip.isEmpty() && owner != window_ && owner->toolTip().isEmpty())
        owner = owner->parentWidget();
    if (tip.isEmpty())
        tip = owner->toolTip();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        shownFor_ = nullptr;
        return true;
    }
    const QPoint at = help->globalPos();
    QPointer<QWidget> target = static_cast<QWidget*>(watched);
    auto show = [this, target, owner = QPointer<QWidget>(owner), at, tip] {
        if (!target || !owner || !enabled_)
            return;
        QToolTip::showText(at, tip, target, QRect(), kTooltipShownMs);
        shownFor_ = owner;
    };
    if (QToolTip::isVisible() && shownFor_ && shownFor_ != owner)
        QTimer::singleShot(kTooltipMoveExtraMs, this, show);
    else
        show();
    return true;
}

}  // namespace voicememo
