#include "system/services.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QLayout>
#include <QTimer>
#include <QWidget>
#include <chrono>

namespace {
Services *installed = nullptr;
}

Services &services() {
    Q_ASSERT(installed);
    return *installed;
}

Services *installServices(Services *services) {
    Services *previous = installed;
    installed = services;
    return previous;
}

void Services::runEventsFor(std::uint32_t waitMs) {
    QEventLoop loop;
    QTimer::singleShot(std::chrono::milliseconds(waitMs), Qt::PreciseTimer, &loop,
                       &QEventLoop::quit);
    loop.exec();
}

void showScreen(QWidget *screen) {
    // Qt makes a window before polishing it, and a window resized after being made and before
    // being mapped is put in a corner by weston's Xwayland window manager, not where the game
    // placed it: a screen shown the first time is given its final size first.
    if (!screen->testAttribute(Qt::WA_WState_Created)) {
        screen->ensurePolished();
        if (screen->layout())
            screen->layout()->activate();
    }
    // A minimised screen is not shown to the player, so showing it restores it.
    if (screen->isMinimized())
        screen->setWindowState(screen->windowState() & ~Qt::WindowMinimized);
    screen->show();
    screen->raise();
    screen->activateWindow();
}

void hideScreen(QWidget *screen) {
    screen->hide();
}

QString programTitle(const QString &executablePath) {
    QString base = QFileInfo(executablePath).completeBaseName();
    if (base.isEmpty())
        return base;
    return base.left(1) + base.mid(1).toLower();
}
