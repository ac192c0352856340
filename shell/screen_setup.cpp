#include "shell/screen_setup.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

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

} // namespace

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
}
