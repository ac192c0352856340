#include "shell/qt_services.h"
#include "shell/startup.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

bool haveDisplay() {
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char *value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char *argv[]) {
    if (!haveDisplay()) {
        std::fputs("skitalia: no display to show the game on (neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set)\n",
                   stderr);
        return EXIT_FAILURE;
    }
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication app(argc, argv);
    // Hiding every window (the tray, an activity screen) must not end the game.
    QApplication::setQuitOnLastWindowClosed(false);
    QtServices services;
    installServices(&services);
    if (!startGame())
        return EXIT_FAILURE;
    return QApplication::exec();
}
