#pragma once

#include "desktop/x11_tray.h"

#include <QDBusServiceWatcher>
#include <QObject>
#include <cstdint>
#include <functional>

// Follows the trays the game's icon can live in: the StatusNotifier watcher on the session
// bus, the service through which a panel collects the programs' icons, and the XEmbed tray of
// the X11 screen. Qt picks one of them for good when the icon is made, asking the watcher and
// waiting for its answer, so the icon may be made only once the watcher has answered here or
// is gone. Nothing here waits on the bus: a watcher that holds its name but does not answer
// counts as no tray.
class TrayWatch : public QObject {
    Q_OBJECT
public:
    explicit TrayWatch(QObject *parent = nullptr);

    // True when the icon, once made, lives with the watcher. Its trays report a click as a
    // single activation.
    bool statusNotifier() const { return kind_ == Kind::StatusNotifier; }
    // Asks the tray that holds the icon whether it is there and answers, and tells the answer
    // within a fraction of a second, to the context while it lives.
    void askPresent(QObject *context, std::function<void(bool)> tell);

Q_SIGNALS:
    // Qt may make the icon now: its questions to the bus will be answered.
    void iconMayBeMade();
    // The tray that holds the icon went, and the icon with it.
    void gone();
    // A watcher came and answers, and the icon has no connection of its own to register it by:
    // shown again, it registers.
    void ready();

private:
    enum class Kind : std::uint8_t { Unknown, StatusNotifier, XEmbed };

    void askWhichTray();
    void askWhetherReady(int triesLeft);
    void registerIconAgain();

    QDBusServiceWatcher watcher_;
    XEmbedTrayWatch xembed_;
    Kind kind_ = Kind::Unknown;
    // Counts the watcher's comings, so an answer meant for an earlier one is dropped.
    int coming_ = 0;
};
