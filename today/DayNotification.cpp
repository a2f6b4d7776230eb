#include "DayNotification.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QEventLoop>
#include <QVariantMap>

namespace voicememo {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kPlayKey = QStringLiteral("play");
const QString kOpenKey = QStringLiteral("open");
// The server's own expiry time.
constexpr int kServerDefaultTimeout = -1;

QDBusMessage NotificationCall(const QString& method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

QString ServerError(const QDBusError& error)
{
    if (error.type() == QDBusError::ServiceUnknown ||
        error.name() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return QStringLiteral("通知サーバーがありません。通知を送れませんでした");
    if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout)
        return QStringLiteral("通知サーバーが応答しません。通知を送れませんでした");
    return QStringLiteral("通知を送れませんでした (%1)").arg(error.name());
}

}  // namespace

DayNotification::DayNotification(int callTimeoutMs) : callTimeoutMs_(callTimeoutMs) {}

NotificationResult DayNotification::Send(const QStringList& titles)
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
    QStringList bodyLines = titles;
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
        withActions ? QStringList{kPlayKey, QStringLiteral("再生"), kOpenKey, QStringLiteral("開く")} : QStringList{};
    notify << QStringLiteral("ボイスメモ") << uint(0) << QString()
           << QStringLiteral("今日のボイスメモ (%1件)").arg(titles.size()) << bodyLines.join(u'\n') << actions
           << QVariantMap{} << kServerDefaultTimeout;
    const QDBusMessage reply = bus.call(notify, QDBus::Block, callTimeoutMs_);
    if (reply.type() == QDBusMessage::ErrorMessage)
        return {false, ServerError(QDBusError(reply)), ChosenAction::None};
    id_ = reply.arguments().value(0).toUInt();
    if (!withActions)
        return {true, QString(), ChosenAction::None};

    waiting_ = true;
    while (waiting_)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return {true, QString(), chosen_};
}

void DayNotification::actionInvoked(uint id, const QString& actionKey)
{
    // Also when the closing came first in the same batch of messages.
    if (id != id_)
        return;
    if (actionKey == kPlayKey)
        chosen_ = ChosenAction::Play;
    else if (actionKey == kOpenKey)
        chosen_ = ChosenAction::Open;
    waiting_ = false;
}

void DayNotification::notificationClosed(uint id, uint)
{
    if (id == id_)
        waiting_ = false;
}

void DayNotification::serverLeft() { waiting_ = false; }

}  // namespace voicememo
