#include "DayNotification.h"

#include <algorithm>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QTimer>
#include <QVariantMap>

namespace voicememo {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// "default" is the action of a click on the notification itself.
const QString kDefaultKey = QStringLiteral("default");
const QString kPlayKey = QStringLiteral("play");
const QString kOpenKey = QStringLiteral("open");
// The launcher (voicememo.desktop) that make desktop-entry installs.
const QString kDesktopEntry = QStringLiteral("voicememo");
// The server's own expiry time.
constexpr int kServerDefaultTimeout = -1;
// How long the wait trusts its timer before it looks at the clock again.
constexpr qint64 kClockLookMs = 60 * 1000;

QDBusMessage NotificationCall(const QString& method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

QString ServerError(const QDBusError& error)
{
    if (error.type() == QDBusError::ServiceUnknown ||
        error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return QStringLiteral("通知サーバーが見つからないため、通知を送れませんでした。");
    if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout)
        return QStringLiteral("通知サーバーが応答しません。通知を送れませんでした");
    return QStringLiteral("通知を送れませんでした (%1)").arg(error.name());
}

}  // namespace

QString DayName(const QDate& day, const QDate& today)
{
    if (day == today)
        return QStringLiteral("今日");
    return QStringLiteral("%1年%2月%3日").arg(day.year()).arg(day.month()).arg(day.day());
}

DayNotification::DayNotification(QDateTime giveUpAt, int callTimeoutMs)
    : giveUpAt_(std::move(giveUpAt)),
      callTimeoutMs_(callTimeoutMs)
{
}

NotificationResult DayNotification::Send(const DayNotice& notice)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return {false, QStringLiteral("セッションバスに接続できません。通知を送れませんでした"), ChosenAction::None};

    const QDBusMessage capabilities =
        bus.call(NotificationCall(QStringLiteral("GetCapabilities")), QDBus::Block, callTimeoutMs_);
    if (capabilities.type() == QDBusMessage::ErrorMessage)
        return {false, ServerError(QDBusError(capabilities)), ChosenAction::None};
    const QStringList offered = capabilities.arguments().value(0).toStringList();
    const bool withActions = offered.contains(QStringLiteral("actions"));
    // A server that reads markup would take "<" or "&" in a title for it.
    QStringList bodyLines = notice.titles;
    if (offered.contains(QStringLiteral("body-markup")))
        for (QString& line : bodyLines)
            line = line.toHtmlEscaped();

    // Listening before the call, so no answer of the server can be missed.
    QDBusServiceWatcher watcher(kService, bus, QDBusServiceWatcher::WatchForUnregistration);
    if (withActions) {
        bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(actionInvoked(uint, QString)));
        bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(notificationClosed(uint, uint)));
        connect(&watcher, &QDBusServiceWatcher::serviceUnregistered, this, &DayNotification::serverLeft);
    }

    QDBusMessage notify = NotificationCall(QStringLiteral("Notify"));
    const QStringList actions =
        withActions ? QStringList{kDefaultKey, QStringLiteral("開く"), kPlayKey, QStringLiteral("すべて再生"),
                                  kOpenKey,    QStringLiteral("開く")}
                    : QStringList{};
    const QVariantMap hints{{QStringLiteral("desktop-entry"), kDesktopEntry}};
    notify << QStringLiteral("ボイスメモ") << uint(0) << notice.icon
           << QStringLiteral("%1のボイスメモ（%2件）").arg(notice.dayName).arg(notice.titles.size())
           << bodyLines.join(u'\n') << actions << hints << kServerDefaultTimeout;
    const QDBusMessage reply = bus.call(notify, QDBus::Block, callTimeoutMs_);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return {false, ServerError(QDBusError(reply)), ChosenAction::None};
    id_ = reply.arguments().value(0).toUInt();
    if (!withActions)
        return {true, QString(), ChosenAction::None};

    WaitForAnswer();
    // Picked or given up: left on screen, its buttons would do nothing.
    if (!gone_)
        Close();
    return {true, QString(), chosen_};
}

void DayNotification::WaitForAnswer()
{
    QTimer clockLook;
    clockLook.setSingleShot(true);
    const auto lookAtClock = [&] {
        const qint64 left = QDateTime::currentDateTime().msecsTo(giveUpAt_);
        if (left <= 0)
            waiting_ = false;
        else
            clockLook.start(static_cast<int>(std::min(left, kClockLookMs)));
    };
    connect(&clockLook, &QTimer::timeout, this, lookAtClock);
    waiting_ = true;
    lookAtClock();
    while (waiting_)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void DayNotification::Close()
{
    QDBusMessage close = NotificationCall(QStringLiteral("CloseNotification"));
    close << id_;
    QDBusConnection::sessionBus().call(close, QDBus::Block, callTimeoutMs_);
}

void DayNotification::actionInvoked(uint id, const QString& actionKey)
{
    // Also when the closing came first in the same batch of messages.
    if (id != id_)
        return;
    if (actionKey == kPlayKey)
        chosen_ = ChosenAction::Play;
    else if (actionKey == kOpenKey || actionKey == kDefaultKey)
        chosen_ = ChosenAction::Open;
    waiting_ = false;
}

void DayNotification::notificationClosed(uint id, uint)
{
    if (id == id_) {
        gone_ = true;
        waiting_ = false;
    }
}

void DayNotification::serverLeft()
{
    gone_ = true;
    waiting_ = false;
}

}  // namespace voicememo
