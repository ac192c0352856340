#include "desktop/x11_tray.h"

#include <QGuiApplication>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace {

template <typename Reply> struct Freed {
    Reply *reply;
    ~Freed() { std::free(reply); }
    Reply *operator->() const { return reply; }
    explicit operator bool() const { return reply != nullptr; }
};

template <typename Reply> Freed<Reply> freed(Reply *reply) {
    return {reply};
}

bool onX11() {
    return QGuiApplication::platformName() == u"xcb";
}

} // namespace

XEmbedTrayWatch::XEmbedTrayWatch(QObject *parent)
    : QObject(parent) {
    if (!onX11())
        return;
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    const xcb_query_extension_reply_t *xfixes =
        xcb_connection_has_error(connection_) ? nullptr
                                              : xcb_get_extension_data(connection_, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present)
        return;
    selectionNotify_ = xfixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    // The extension answers a client only once it has told it its version.
    std::free(xcb_xfixes_query_version_reply(connection_,
                                             xcb_xfixes_query_version(connection_, 1, 0), nullptr));

    xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screen.rem; ++i)
        xcb_screen_next(&screen);
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber);
    const auto atom = freed(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, name.size(), name.constData()), nullptr));
    if (!atom || !screen.rem)
        return;
    xcb_xfixes_select_selection_input(connection_, screen.data->root, atom->atom,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    const auto owner = freed(xcb_get_selection_owner_reply(
        connection_, xcb_get_selection_owner(connection_, atom->atom), nullptr));
    present_ = owner && owner->owner != XCB_NONE;

    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_),
                                                  QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &XEmbedTrayWatch::readEvents);
    // Events that came with the replies are already read from the socket.
    readEvents();
}

XEmbedTrayWatch::~XEmbedTrayWatch() {
    notifier_.reset();
    if (connection_)
        xcb_disconnect(connection_);
}

void XEmbedTrayWatch::readEvents() {
    while (xcb_generic_event_t *event = xcb_poll_for_event(connection_)) {
        const auto freeEvent = freed(event);
        if ((event->response_type & 0x7f) != selectionNotify_)
            continue;
        const bool owned =
            reinterpret_cast<xcb_xfixes_selection_notify_event_t *>(event)->owner != XCB_NONE;
        const bool went = present_ && !owned;
        present_ = owned;
        if (went)
            Q_EMIT gone();
    }
    if (xcb_connection_has_error(connection_))
        notifier_->setEnabled(false);
}
