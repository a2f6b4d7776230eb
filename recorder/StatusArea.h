#pragma once
// The window's status bar: the status line, and beside it the take's time
// with its caption. A screen reader's command that reads the status bar
// reads them all, the time included, whenever the user asks; a new status
// is announced by itself, the time never is.
#include <QLabel>
#include <QWidget>

namespace voicememo {

// The status line. A screen reader speaks a notification as it appears,
// wherever the focus is, and only the focused control's new name: so each
// new status is told as a notification shown anew.
class StatusLine : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    void Tell(const QString& text);
};

class StatusArea : public QWidget {
    Q_OBJECT
public:
    explicit StatusArea(QWidget* parent = nullptr);

    // A new status, announced; cause (the tooltip) says what lies behind it.
    void Tell(const QString& status, const QString& cause);
    // The time as caption and value ("録音時間:", "0:03.2"), not announced.
    void ShowTime(const QString& caption, const QString& time);

private:
    StatusLine* line_;
    QLabel* timeCaption_;
    QLabel* time_;
};

}  // namespace voicememo
