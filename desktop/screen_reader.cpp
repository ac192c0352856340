#include "desktop/screen_reader.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QEvent>
#include <QLabel>
#include <QStackedWidget>
#include <QString>
#include <QWidget>

namespace {

// Qt 6.4 sends a changed name or description with the object in place of the text, and Orca
// then says nothing; a notification that shows is said at once, by its name. One pixel and
// never painted, it is not seen.
class Notice : public QWidget {
    Q_OBJECT
public:
    explicit Notice(QWidget *screen)
        : QWidget(screen) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(0, 0, 1, 1);
        screen->installEventFilter(this);
    }

    // Shown again with its screen, it would be said again, long after it was news.
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Hide)
            hide();
        return false;
    }
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

// A page of a tab widget; one without a control to take the focus holds it itself. Orca 48
// leaves out a focused panel's name whenever the way to it is said first, skips its labels of
// fewer than three words, and says a panel's description twice but its text once: a page's
// read-only text is its name and every text shown on it.
class Page : public QAccessibleWidget, public ReadOnlyText {
public:
    explicit Page(QWidget *page)
        : QAccessibleWidget(page, QAccessible::Pane) {}

    void *interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString shown() const override {
        QStringList texts = {QAccessibleWidget::text(QAccessible::Name)};
        for (QWidget *child : widget()->findChildren<QWidget *>()) {
            QString caption;
            if (auto *label = qobject_cast<QLabel *>(child))
                caption = label->text().trimmed();
            else if (auto *button = qobject_cast<QAbstractButton *>(child))
                caption = button->text().trimmed();
            if (!caption.isEmpty() && child->isVisibleTo(widget()))
                texts << caption;
        }
        return texts.join(QStringLiteral(". "));
    }
};

// Qt exposes a plain frame with the role screen readers give a top-level window, and Orca
// drops every focus event inside what it takes for an inactive window: frames and the
// pages of a tab widget are panels. The main window is a plain top level like every other
// screen: Orca 48 reads the keys beside the game, so a key that brings the main window up has
// mostly done so before Orca looks, and in a frame Orca then takes the focus without a word
// and drops the focus event that would have said it. Asked only when a screen reader looks,
// never at start.
QAccessibleInterface *screenReaderView(const QString &className, QObject *object) {
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    if (className == u"QFrame")
        return new QAccessibleWidget(widget, QAccessible::Pane);
    if (className == u"QWidget" && qobject_cast<QStackedWidget *>(widget->parentWidget()))
        return new Page(widget);
    if (className == u"QMainWindow")
        return new QAccessibleWidget(widget, QAccessible::Client);
    if (className == u"Picture" && widget->focusPolicy() != Qt::NoFocus)
        return new PressablePicture(widget);
    if (qobject_cast<Notice *>(widget))
        return new QAccessibleWidget(widget, QAccessible::Notification);
    return nullptr;
}

} // namespace

void showToScreenReaders() {
    QAccessible::installFactory(screenReaderView);
}

void tellScreenReaders(QWidget *screen, const QString &text) {
    // Told whether a reader listens or not: Qt asks whether one does only as it sends.
    if (!screen->isActiveWindow())
        return;
    auto *notice = screen->findChild<Notice *>(QString(), Qt::FindDirectChildrenOnly);
    if (!notice)
        notice = new Notice(screen);
    notice->setAccessibleName(text);
    notice->hide();
    notice->show();
}

#include "screen_reader.moc"
