#include "platform/screen_setup.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QWidget>
#include <algorithm>

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

// A picture that takes the focus is pressed like a button, and a screen reader says so.
class PressablePicture : public QAccessibleWidget {
public:
    explicit PressablePicture(QWidget *picture)
        : QAccessibleWidget(picture, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString &action) override {
        if (action == pressAction())
            QMetaObject::invokeMethod(widget(), "clicked");
    }
};

// Qt exposes a plain frame with the role screen readers give a top-level window, and Orca
// drops every focus event inside what it takes for an inactive window: frames and the
// pages of a tab widget are panels. Asked only when a screen reader looks, never at start.
QAccessibleInterface *screenReaderView(const QString &className, QObject *object) {
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (className == u"QFrame" ||
        (className == u"QWidget" && qobject_cast<QStackedWidget *>(widget->parentWidget())))
        return new QAccessibleWidget(widget, QAccessible::Pane);
    if (className == u"Picture" && widget->focusPolicy() != Qt::NoFocus)
        return new PressablePicture(widget);
    return nullptr;
}

} // namespace

void showToScreenReaders() {
    QAccessible::installFactory(screenReaderView);
}

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
    const QScreen *display = QGuiApplication::primaryScreen();
    if (!display)
        return;
    QRect frame(QPoint(), screen->size());
    frame.moveCenter(display->availableGeometry().center());
    screen->move(frame.topLeft());
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
