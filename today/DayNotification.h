#pragma once
// The day's memos as one desktop notification, sent to the session's
// notification server (org.freedesktop.Notifications over D-Bus).
#include <QObject>
#include <QString>
#include <QStringList>

namespace voicememo {

enum class ChosenAction {
    None,  // closed, expired, or the server offers no actions
    Play,  // "再生": the day's memos are to be played in order
    Open,  // "開く": the dialog is to be started
};

struct NotificationResult {
    bool sent = false;
    QString error;  // why it was not sent, for the user (Japanese)
    ChosenAction action = ChosenAction::None;
};

// Summary "今日のボイスメモ (N件)", the titles in the body, one a line.
// Where the server offers actions, "再生" and "開く" are offered too, and
// Send waits until the user picks one, the notification is closed, or the
// server leaves the bus. Without actions it returns once the server has
// taken the notification. A bus or server that does not answer is given up
// after callTimeoutMs.
class DayNotification : public QObject {
    Q_OBJECT
public:
    explicit DayNotification(int callTimeoutMs = 10000);
    NotificationResult Send(const QStringList& titles);

private slots:
    void actionInvoked(uint id, const QString& actionKey);
    void notificationClosed(uint id, uint reason);
    void serverLeft();

private:
    int callTimeoutMs_;
    uint id_ = 0;
    bool waiting_ = false;
    ChosenAction chosen_ = ChosenAction::None;
};

}  // namespace voicememo
