#pragma once
#include <QObject>
#include <QPointer>

class QWidget;

namespace voicememo {

// Shows a control's tooltip after 500 ms at rest, after 50 ms when moving
// from one control to another while a tooltip is up, and hides it after
// 2500 ms; shows none while turned off.
class TooltipTimer : public QObject {
    Q_OBJECT
public:
    explicit TooltipTimer(QWidget* window);
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool enabled() const { return enabled_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QPointer<QWidget> shownFor_;
    bool enabled_ = true;
};

}  // namespace voicememo
