#include "desktop/screen_setup.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlatformSurfaceEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>
#include <xcb/xcb.h>

namespace {

class CloseRefusal : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Close && event->spontaneous()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

class KeyboardPlay : public QObject {
public:
    KeyboardPlay(QWidget *screen, QWidget *(*firstArea)(QWidget *))
        : QObject(screen)
        , screen_(screen)
        , firstArea_(firstArea) {}

    bool eventFilter(QObject *watched, QEvent *event) override {
        if (watched != screen_)
            return false;
        if (event->type() == QEvent::Show) {
            // Queued: the handler that showed the screen sets its enabled flags afterwards.
            QTimer::singleShot(0, screen_, [this] {
                focusFirstControl(firstArea_ ? firstArea_(screen_) : screen_);
            });
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            auto *button = qobject_cast<QAbstractButton *>(screen_->focusWidget());
            if (key == Qt::Key_Escape)
                button = backButton();
            else if (key != Qt::Key_Return && key != Qt::Key_Enter)
                button = nullptr;
            if (button && button->isEnabled() && button->isVisible()) {
                button->click();
                return true;
            }
        }
        return false;
    }

private:
    // Escape leaves an activity screen as its "НАЗАД" does, while that is there to press.
    QAbstractButton *backButton() const {
        const auto buttons = screen_->findChildren<QAbstractButton *>();
        const auto back = std::find_if(buttons.begin(), buttons.end(), [](QAbstractButton *b) {
            return b->text() == QStringLiteral("НАЗАД");
        });
        return back == buttons.end() ? nullptr : *back;
    }

    QWidget *screen_;
    QWidget *(*firstArea_)(QWidget *);
};

// Motif hints: flags, functions, decorations, input mode, status.
constexpr uint32_t MotifFunctions = 1, MotifDecorations = 2;
constexpr uint32_t MotifResize = 2, MotifMove = 4, MotifMinimise = 8;
constexpr uint32_t MotifBorder = 2, MotifResizeHandle = 4, MotifTitle = 8;

const QString MinimiseGrantName = QStringLiteral("minimiseGrant");

// Puts the window class on every top-level window as its X11 window is made, before it is mapped.
class LatinWindowClass : public QObject {
public:
    LatinWindowClass(xcb_connection_t *connection, QByteArray wmClass)
        : QObject(qApp)
        , connection_(connection)
        , wmClass_(std::move(wmClass)) {}

    bool eventFilter(QObject *object, QEvent *event) override {
        auto *window = qobject_cast<QWindow *>(object);
        if (window && window->isTopLevel() && event->type() == QEvent::PlatformSurface &&
            static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceCreated) {
            xcb_change_property(connection_, XCB_PROP_MODE_REPLACE,
                                static_cast<xcb_window_t>(window->winId()), XCB_ATOM_WM_CLASS,
                                XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(wmClass_.size()),
                                wmClass_.constData());
            xcb_flush(connection_);
        }
        return false;
    }

private:
    xcb_connection_t *connection_;
    QByteArray wmClass_;
};

// Grants the minimise function to a screen's window until the screen is back from it; then
// the window's own hints, Qt's, are put back.
class MinimiseGrant : public QObject {
public:
    MinimiseGrant(QWidget *screen, xcb_connection_t *connection)
        : QObject(screen)
        , screen_(screen)
        , connection_(connection)
        , window_(screen->winId()) {
        setObjectName(MinimiseGrantName);
        const QByteArray name = QByteArrayLiteral("_MOTIF_WM_HINTS");
        if (xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
                connection_, xcb_intern_atom(connection_, 0, name.size(), name.constData()),
                nullptr)) {
            motif_ = atom->atom;
            free(atom);
        }
        own_ = read(motif_);
        write(motif_, {MotifFunctions | MotifDecorations, MotifMove | MotifResize | MotifMinimise,
                       MotifBorder | MotifResizeHandle | MotifTitle, 0, 0});
        screen->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() != QEvent::WindowStateChange || screen_->isMinimized())
            return false;
        if (screen_->winId() == window_) {
            own_.empty() ? void(xcb_delete_property(connection_, window_, motif_))
                         : write(motif_, own_);
            xcb_flush(connection_);
        }
        deleteLater();
        return false;
    }

private:
    std::vector<uint32_t> read(xcb_atom_t property) const {
        std::vector<uint32_t> values;
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window_, property, property, 0, 16),
            nullptr);
        if (reply && reply->format == 32) {
            const auto *data = static_cast<const uint32_t *>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        free(reply);
        return values;
    }

    void write(xcb_atom_t property, const std::vector<uint32_t> &values) {
        xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, property, property, 32,
                            values.size(), values.data());
    }

    QWidget *screen_;
    xcb_connection_t *connection_;
    xcb_window_t window_;
    xcb_atom_t motif_ = XCB_ATOM_NONE;
    std::vector<uint32_t> own_;
};

} // namespace

void playByKeyboard(QWidget *screen, QWidget *(*firstArea)(QWidget *screen)) {
    screen->installEventFilter(new KeyboardPlay(screen, firstArea));
}

void focusFirstControl(QWidget *area) {
    QWidget *window = area->window();
    for (QWidget *w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window) && w->isEnabled() &&
            (w == area || area->isAncestorOf(w)) && !w->focusProxy()) {
            // Shown as if reached by Tab: a focus the player cannot see would make Space
            // press a button he does not know of.
            window->setAttribute(Qt::WA_KeyboardFocusChange);
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    // An area of its own (a page) holds the focus itself, so a screen reader says its name
    // and what it shows, and no stray Enter or Space presses anything.
    if (area != window)
        area->setFocus(Qt::TabFocusReason);
    else if (QWidget *focused = window->focusWidget())
        focused->clearFocus();
}

void setEnabledFlags(std::initializer_list<std::pair<QWidget *, bool>> flags, QWidget *holder) {
    QWidget *window = holder->window();
    const bool focusLost = std::any_of(flags.begin(), flags.end(), [window](const auto &flag) {
        return !flag.second && flag.first == window->focusWidget();
    });
    for (const auto &[control, enabled] : flags)
        if (enabled)
            control->setEnabled(true);
    if (focusLost) {
        const auto kept = std::find_if(flags.begin(), flags.end(), [window](const auto &flag) {
            return flag.second && flag.first->isEnabled() && flag.first->isVisibleTo(window);
        });
        (kept != flags.end() ? kept->first : holder)->setFocus(Qt::TabFocusReason);
    }
    for (const auto &[control, enabled] : flags)
        if (!enabled)
            control->setEnabled(false);
}

void refuseWindowClose(QWidget *screen) {
    static CloseRefusal refusal;
    screen->installEventFilter(&refusal);
}

void setBackground(QWidget *widget, const QColor &colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void centreOnScreen(QWidget *screen) {
    const QScreen *display = screen->screen();
    if (!display)
        return;
    const QRect free = display->availableGeometry();
    QRect frame(QPoint(), screen->size());
    frame.moveCenter(free.center());
    screen->move(std::max(frame.left(), free.left()), std::max(frame.top(), free.top()));
}

void bringOntoScreen(QWidget *window) {
    const QScreen *display = window->screen();
    if (!display)
        return;
    const QRect free = display->availableGeometry();
    const QRect frame = window->frameGeometry();
    const int x = std::max(free.left(), std::min(frame.left(), free.right() + 1 - frame.width()));
    const int y = std::max(free.top(), std::min(frame.top(), free.bottom() + 1 - frame.height()));
    if (QPoint(x, y) != frame.topLeft())
        window->move(x, y);
}

void followScreenChanges() {
    static bool following = false;
    if (std::exchange(following, true))
        return;
    // Queued: a window whose screen went is on its new screen by then.
    const auto bringAllOntoScreens = [] {
        QTimer::singleShot(0, qApp, [] {
            for (QWidget *window : QApplication::topLevelWidgets())
                if (window->windowType() == Qt::Window || window->windowType() == Qt::Dialog)
                    bringOntoScreen(window);
        });
    };
    const auto follow = [bringAllOntoScreens](QScreen *display) {
        QObject::connect(display, &QScreen::availableGeometryChanged, qApp, bringAllOntoScreens);
    };
    for (QScreen *display : QGuiApplication::screens())
        follow(display);
    QObject::connect(qApp, &QGuiApplication::screenAdded, qApp, follow);
    QObject::connect(qApp, &QGuiApplication::screenRemoved, qApp, bringAllOntoScreens);
}

void useWindowClass(const QString &instance, const QString &className) {
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != u"xcb" || !x11 || !x11->connection())
        return;
    // Each part ends in a null byte; X's STRING type is Latin-1.
    qApp->installEventFilter(new LatinWindowClass(
        x11->connection(), instance.toLatin1() + '\0' + className.toLatin1() + '\0'));
}

void minimiseScreen(QWidget *screen) {
    // The offscreen platform answers as X11 too, without a connection.
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && x11->connection() &&
        !screen->findChild<QObject *>(MinimiseGrantName, Qt::FindDirectChildrenOnly))
        new MinimiseGrant(screen, x11->connection());
    screen->showMinimized();
}

void makeDialogScreen(QWidget *screen, const QString &caption, QSize clientSize,
                      const QColor &background) {
    screen->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    screen->setWindowTitle(caption);
    screen->setFixedSize(clientSize);
    setBackground(screen, background);
    refuseWindowClose(screen);
    centreOnScreen(screen);
    playByKeyboard(screen);
}

void startNormalWhenMapped(QWidget *window) {
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (QGuiApplication::platformName() != u"xcb" || !x11 || !x11->connection() ||
        !window->testAttribute(Qt::WA_WState_Created))
        return;
    xcb_connection_t *connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    // WM_HINTS: flags, input, initial state and six more; the state counts with its flag.
    constexpr std::uint32_t StateHint = 1 << 1;
    constexpr std::uint32_t NormalState = 1;
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(
            connection,
            xcb_get_property(connection, 0, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9),
            nullptr),
        &std::free);
    std::array<std::uint32_t, 9> hints{};
    if (!reply || reply->format != 32 || reply->value_len < 3)
        return;
    const std::uint32_t length = std::min<std::uint32_t>(reply->value_len, hints.size());
    std::memcpy(hints.data(), xcb_get_property_value(reply.get()), sizeof hints[0] * length);
    if (!(hints[0] & StateHint) || hints[2] == NormalState)
        return;
    hints[2] = NormalState;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS,
                        32, length, hints.data());
    xcb_flush(connection);
}
