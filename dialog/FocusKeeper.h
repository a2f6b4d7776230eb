#pragma once
#include <QObject>
#include <QPointer>

class QWidget;

namespace voicememo {

class MemoListView;

// A control disabled while it has the focus leaves it with the list: no
// other command takes the keys meanwhile (Return presses nothing there),
// a screen reader hears the memo the list is on, and the control has the
// focus again once it is enabled, unless the user has put the focus
// elsewhere in between. Every control the window disables goes through
// setEnabled here.
class FocusKeeper : public QObject {
    Q_OBJECT
public:
    FocusKeeper(QWidget* window, MemoListView* list);
    void setEnabled(QWidget* control, bool enabled);

private:
    QWidget* window_;
    MemoListView* list_;
    QPointer<QWidget> keeper_;  // disabled with the focus, not yet enabled
};

}  // namespace voicememo
