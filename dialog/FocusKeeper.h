#pragma once
#include <QObject>
#include <QPointer>

class QWidget;

namespace voicememo {

// A control disabled while it has the focus keeps it: no other control
// takes the keys meanwhile (the window holds them, so Return presses
// nothing), and the control has the focus again once it is enabled, unless
// the user has put the focus elsewhere in between. Every control the window
// disables goes through setEnabled here.
class FocusKeeper : public QObject {
    Q_OBJECT
public:
    explicit FocusKeeper(QWidget* window);
    void setEnabled(QWidget* control, bool enabled);

private:
    QWidget* window_;
    QPointer<QWidget> keeper_;  // disabled with the focus, not yet enabled
};

}  // namespace voicememo
