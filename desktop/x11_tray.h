#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <cstdint>
#include <memory>

class QWidget;
struct xcb_connection_t;

// Follows the XEmbed tray of the X11 screen: the owner of its _NET_SYSTEM_TRAY_S<screen>
// selection. Qt docks its icon into a tray that comes by itself, but nothing tells the game
// that one went. Off X11 there is never one.
class XEmbedTrayWatch : public QObject {
    Q_OBJECT
public:
    explicit XEmbedTrayWatch(QObject *parent = nullptr);
    ~XEmbedTrayWatch() override;

    bool present() const { return present_; }

Q_SIGNALS:
    void gone();

private:
    void readEvents();

    // A connection of its own, so that the selection's events never mix with Qt's.
    xcb_connection_t *connection_ = nullptr;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::uint8_t selectionNotify_ = 0;
    bool present_ = false;
};
