#include "desktop/tray_watch.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace {

const QString WatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
// A tenth of a second apart, for five seconds.
constexpr int ReadyTries = 50;
constexpr int ReadyRetryMs = 100;
// A watcher that has not answered in this time does not answer: a hung panel.
constexpr int AnswerMs = 300;
// How often a silent watcher is asked again, in case its panel wakes.
constexpr int SilentRetryMs = 5000;

QDBusMessage askWatcher(const QString &property) {
    QDBusMessage ask = QDBusMessage::createMethodCall(
        WatcherService, QStringLiteral("/StatusNotifierWatcher"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    ask << WatcherService << property;
    return ask;
}

bool silent(const QDBusError &error) {
    return error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout ||
           error.type() == QDBusError::TimedOut;
}

// Calls then with the answer to the question, or with its error after timeoutMs.
void ask(const QDBusConnection &bus, const QDBusMessage &question, int timeoutMs, QObject *context,
         std::function<void(const QDBusPendingCallWatcher &)> then) {
    auto *answer = new QDBusPendingCallWatcher(bus.asyncCall(question, timeoutMs), context);
    QObject::connect(answer, &QDBusPendingCallWatcher::finished, context,
                     [answer, then = std::move(then)] {
                         answer->deleteLater();
                         then(*answer);
                     });
}

// Qt's StatusNotifier item speaks on a connection of its own, which the process knows by the
// item's name; its unique name on the bus is the item's. None while Qt docks the icon over X11.
std::optional<QDBusConnection> iconConnection() {
    for (int instance = 1; instance <= 16; ++instance) {
        QDBusConnection connection(QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                                       .arg(QCoreApplication::applicationPid())
                                       .arg(instance));
        if (connection.isConnected())
            return connection;
    }
    return std::nullopt;
}

} // namespace

TrayWatch::TrayWatch(QObject *parent)
    : QObject(parent)
    , watcher_(WatcherService, QDBusConnection::sessionBus(),
               QDBusServiceWatcher::WatchForRegistration |
                   QDBusServiceWatcher::WatchForUnregistration) {
    connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        ++coming_;
        if (kind_ == Kind::Unknown)
            askWhichTray();
        else
            askWhetherReady(ReadyTries);
    });
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        ++coming_;
        if (kind_ == Kind::Unknown)
            askWhichTray();
        else if (kind_ == Kind::StatusNotifier)
            Q_EMIT gone();
    });
    connect(&xembed_, &XEmbedTrayWatch::gone, this, [this] {
        if (kind_ == Kind::XEmbed)
            Q_EMIT gone();
    });
    // After the window's owner has connected to the signals.
    QTimer::singleShot(0, this, &TrayWatch::askWhichTray);
}

// Asks what Qt will ask when the icon is made, and whether the watcher answers at all. Qt then
// registers the icon with the watcher if it has a host, and docks it in an XEmbed tray if not.
void TrayWatch::askWhichTray() {
    const auto decide = [this](Kind kind) {
        if (kind_ != Kind::Unknown)
            return;
        kind_ = kind;
        Q_EMIT iconMayBeMade();
    };
    if (!watcher_.connection().isConnected())
        return decide(Kind::XEmbed);
    ask(watcher_.connection(), askWatcher(QStringLiteral("IsStatusNotifierHostRegistered")),
        AnswerMs, this, [this, decide, coming = coming_](const QDBusPendingCallWatcher &answer) {
            if (coming != coming_ || kind_ != Kind::Unknown)
                return;
            if (!answer.isError())
                decide(answer.reply().arguments().value(0).value<QDBusVariant>().variant().toBool()
                           ? Kind::StatusNotifier
                           : Kind::XEmbed);
            else if (!silent(answer.error()))
                decide(Kind::XEmbed);
            else
                QTimer::singleShot(SilentRetryMs, this, [this, coming] {
                    if (coming == coming_)
                        askWhichTray();
                });
        });
}

// A watcher takes its name before it serves its object; a registration sent in between is
// refused, and Qt, which sends one at once, never tries again.
void TrayWatch::askWhetherReady(int triesLeft) {
    ask(watcher_.connection(), askWatcher(QStringLiteral("ProtocolVersion")), -1, this,
        [this, triesLeft, coming = coming_](const QDBusPendingCallWatcher &answer) {
            if (coming != coming_)
                return;
            if (!answer.isError())
                registerIconAgain();
            else if (triesLeft > 1)
                QTimer::singleShot(ReadyRetryMs, this, [this, triesLeft, coming] {
                    if (coming == coming_)
                        askWhetherReady(triesLeft - 1);
                });
        });
}

// Qt registers its icon again by itself with a watcher that comes back, but a watcher that takes
// its name before it serves refuses that, and Qt never tries again. The icon's own connection
// registers it then, as Qt does; only an icon without one is left to be shown again, which costs
// a new connection to the bus.
void TrayWatch::registerIconAgain() {
    const std::optional<QDBusConnection> icon = iconConnection();
    if (!icon)
        return Q_EMIT ready();
    ask(watcher_.connection(), askWatcher(QStringLiteral("RegisteredStatusNotifierItems")),
        AnswerMs, this,
        [this, icon = *icon, coming = coming_](const QDBusPendingCallWatcher &answer) {
            if (coming != coming_)
                return;
            if (answer.isError())
                return Q_EMIT ready();
            const QString name = icon.baseService();
            const QStringList items =
                answer.reply().arguments().value(0).value<QDBusVariant>().variant().toStringList();
            if (std::any_of(items.begin(), items.end(), [&name](const QString &item) {
                    return item.section(u'/', 0, 0) == name;
                }))
                return;
            QDBusMessage again = QDBusMessage::createMethodCall(
                WatcherService, QStringLiteral("/StatusNotifierWatcher"), WatcherService,
                QStringLiteral("RegisterStatusNotifierItem"));
            again << name;
            icon.send(again);
        });
}

void TrayWatch::askPresent(QObject *context, std::function<void(bool)> tell) {
    if (kind_ != Kind::StatusNotifier)
        return tell(kind_ == Kind::XEmbed && xembed_.present());
    ask(watcher_.connection(), askWatcher(QStringLiteral("ProtocolVersion")), AnswerMs, context,
        [tell = std::move(tell)](const QDBusPendingCallWatcher &answer) {
            tell(!answer.isError());
        });
}
