#include "UpDown.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "DayFieldAccessible.h"
#include "NumberText.h"
#include "TextCodec.h"

namespace voicememo {

UpDown::UpDown(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (auto [button, arrow, delta] : {std::tuple{up_, Qt::UpArrow, 1}, std::tuple{down_, Qt::DownArrow, -1}}) {
        button->setArrowType(arrow);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setIconSize(QSize(5, 5));
        layout->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, delta = delta] { step(delta); });
    }
}

void UpDown::setBuddy(QLineEdit* buddy)
{
    buddy_ = buddy;
    buddy_->installEventFilter(this);
    // One spin button to a screen reader, which hears every new day.
    MarkAsSpinnerBuddy(buddy_, this);
    connect(buddy_, &QLineEdit::textChanged, this, [this] { AnnounceDayValue(buddy_, position()); });
}

QString UpDown::upName() const { return up_->accessibleName(); }

void UpDown::setUpName(const QString& name) { up_->setAccessibleName(name); }

QString UpDown::downName() const { return down_->accessibleName(); }

void UpDown::setDownName(const QString& name) { down_->setAccessibleName(name); }

int UpDown::position()
{
    if (buddy_) {
        auto value = ParseNumber(Encode(buddy_->text()));
        if (value && *value >= minimum_ && *value <= maximum_)
            position_ = *value;
    }
    return position_;
}

void UpDown::setPosition(int position)
{
    position = std::max(position, minimum_);
    if (position == position_ && buddy_ && buddy_->text() == QString::number(position))
        return;
    position_ = position;
    if (buddy_)
        buddy_->setText(QString::number(position_));
}

void UpDown::setRange(int minimum, int maximum)
{
    minimum_ = minimum;
    maximum_ = maximum;
}

void UpDown::step(int delta)
{
    int before = position();
    int after = std::clamp(before + delta, minimum_, std::max(minimum_, maximum_));
    if (after == before)
        return;
    setPosition(after);
    emit clicked();
}

bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    // The Up and Down keys in the edit step the spinner.
    if (watched == buddy_ && event->type() == QEvent::KeyPress && isEnabled()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            step(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace voicememo
