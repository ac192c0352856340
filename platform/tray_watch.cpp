#include "platform/tray_watch.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QTimer>

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
// A tenth of a second apart, for five seconds.
constexpr int ReadyTries = 50;
constexpr int ReadyRetryMs = 100;

} // namespace

TrayWatch::TrayWatch(QObject *parent)
    : QObject(parent)
    , watcher_(WatcherService, QDBusConnection::sessionBus(),
               QDBusServiceWatcher::WatchForRegistration |
                   QDBusServiceWatcher::WatchForUnregistration) {
    connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        ++coming_;
        askWhetherReady(ReadyTries);
    });
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        ++coming_;
        Q_EMIT gone();
    });
}

bool TrayWatch::watcherPresent() {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() &&
           bus.interface()->isServiceRegistered(WatcherService);
}

// A watcher takes its name before it serves its object; a registration sent in between is
// refused, and Qt, which sends one at once, never tries again.
void TrayWatch::askWhetherReady(int triesLeft) {
    QDBusMessage ask = QDBusMessage::createMethodCall(
        WatcherService, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    ask << WatcherService << QStringLiteral("ProtocolVersion");
    auto *answer = new QDBusPendingCallWatcher(watcher_.connection().asyncCall(ask), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [this, answer, triesLeft, coming = coming_] {
                answer->deleteLater();
                if (coming != coming_)
                    return;
                if (!answer->isError())
                    Q_EMIT ready();
                else if (triesLeft > 1)
                    QTimer::singleShot(ReadyRetryMs, this, [this, triesLeft, coming] {
                        if (coming == coming_)
                            askWhetherReady(triesLeft - 1);
                    });
            });
}
