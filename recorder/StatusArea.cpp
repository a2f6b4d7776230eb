#include "StatusArea.h"

#include <QAccessible>
#include <QHBoxLayout>

#include "AccessibleRoles.h"

namespace voicememo {

void StatusLine::Tell(const QString& text)
{
    setText(text);  // QLabel tells of a new name itself
    // Told again, the same status is announced again: the same problem at
    // a second try is news too. Hidden (the window being built), the line
    // has nothing to announce, nor has an emptied one.
    if (isVisible() && !text.isEmpty()) {
        QAccessibleEvent shown(this, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
}

StatusArea::StatusArea(QWidget* parent) : QWidget(parent)
{
    // The bar has no name of its own: a screen reader then reads what it
    // holds.
    GiveAccessibleRole(staticMetaObject, QAccessible::StatusBar, AccessibleNaming::Nameless);
    GiveAccessibleRole(StatusLine::staticMetaObject, QAccessible::Notification);

    line_ = new StatusLine;
    line_->setObjectName(QStringLiteral("statusLabel"));
    line_->setWordWrap(true);
    line_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Two lines kept for it, so a longer status does not move the buttons.
    line_->setMinimumHeight(line_->fontMetrics().lineSpacing() * 2);

    timeCaption_ = new QLabel;
    timeCaption_->setObjectName(QStringLiteral("timeCaption"));
    time_ = new QLabel;
    time_->setObjectName(QStringLiteral("elapsedLabel"));
    QFont large = time_->font();
    if (large.pixelSize() > 0)
        large.setPixelSize(large.pixelSize() * 5 / 3);
    else
        large.setPointSizeF(large.pointSizeF() * 5 / 3);
    time_->setFont(large);
    timeCaption_->setBuddy(time_);
    // The caption's letters stand on the time's line, not on its lower edge.
    timeCaption_->setContentsMargins(0, 0, 0, time_->fontMetrics().descent() - timeCaption_->fontMetrics().descent());

    timeCaption_->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    time_->setAlignment(Qt::AlignRight | Qt::AlignBottom);

    // Caption and time on the status's first line.
    auto* clock = new QHBoxLayout;
    clock->addWidget(timeCaption_);
    clock->addWidget(time_);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(line_, 1, Qt::AlignTop);
    layout->addLayout(clock);
    layout->setAlignment(clock, Qt::AlignTop);
}

void StatusArea::Tell(const QString& status, const QString& cause)
{
    line_->setToolTip(cause);
    line_->Tell(status);
}

void StatusArea::ShowTime(const QString& caption, const QString& time)
{
    timeCaption_->setText(caption);
    time_->setText(time);
}

}  // namespace voicememo
