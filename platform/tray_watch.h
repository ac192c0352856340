#pragma once

#include <QDBusServiceWatcher>
#include <QObject>

// Follows the StatusNotifier watcher on the session bus: the service through which a panel
// collects the programs' tray icons. It comes and goes with the panel, and Qt registers the
// icon with it only when the icon is shown.
class TrayWatch : public QObject {
    Q_OBJECT
public:
    explicit TrayWatch(QObject *parent = nullptr);

    // True while a watcher is on the bus. Its trays report a click as a single activation.
    static bool watcherPresent();

Q_SIGNALS:
    // The watcher left the bus, and the icon with it.
    void gone();
    // A watcher came and answers: an icon shown now is registered with it.
    void ready();

private:
    void askWhetherReady(int triesLeft);

    QDBusServiceWatcher watcher_;
    // Counts the watcher's comings, so an answer meant for an earlier one is dropped.
    int coming_ = 0;
};
