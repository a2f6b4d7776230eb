#pragma once
// The day's memos as one desktop notification, sent to the session's
// notification server (org.freedesktop.Notifications over D-Bus).
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>

namespace voicememo {

enum class ChosenAction {
    None,  // closed, expired, given up, or the server offers no actions
    Play,  // "すべて再生": the day's memos are to be played in order
    Open,  // "開く" or a click on the notification: the dialog is to be started
};

struct NotificationResult {
    bool sent = false;
    QString error;  // why it was not sent, for the user (Japanese)
    ChosenAction action = ChosenAction::None;
};

struct DayNotice {
    QString dayName;     // "今日", or the date of another day
    QStringList titles;  // the day's memos
    QString icon;        // an icon file's absolute path, or a name of the icon theme
};

// How the notification names its day: "今日", or "2026年12月10日".
QString DayName(const QDate& day, const QDate& today);

// Summary "<day>のボイスメモ（N件）", the titles in the body, one a line,
// the program's icon and its launcher (the "desktop-entry" hint). Where the
// server offers actions, "すべて再生" and "開く" are offered, and a click on
// the notification opens too; Send waits until the user picks one, the
// notification is closed, the server leaves the bus, or giveUpAt has come
// (a server may keep a notification and never report it closed). Once an
// action is picked, or when it gives up, the notification is closed: its
// buttons would do nothing any more. Without actions it returns once the
// server has taken the notification. A bus or server that does not answer
// is given up after callTimeoutMs.
class DayNotification : public QObject {
    Q_OBJECT
public:
    explicit DayNotification(QDateTime giveUpAt, int callTimeoutMs = 10000);
    NotificationResult Send(const DayNotice& notice);

private slots:
    void actionInvoked(uint id, const QString& actionKey);
    void notificationClosed(uint id, uint reason);
    void serverLeft();

private:
    // Waits for the user, the server or giveUpAt_, looking at the clock at
    // least once a minute, so that a machine woken from sleep gives up soon.
    void WaitForAnswer();
    void Close();

    QDateTime giveUpAt_;
    int callTimeoutMs_;
    uint id_ = 0;
    bool waiting_ = false;
    bool gone_ = false;  // closed by the server or the user, or the server left
    ChosenAction chosen_ = ChosenAction::None;
};

}  // namespace voicememo
