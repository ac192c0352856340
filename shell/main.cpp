#include "desktop/screen_setup.h"
#include "shell/startup.h"
#include "system/qt_services.h"

#include <QApplication>
#include <QTimer>
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

// Natively on Wayland the game cannot place its screens nor keep the frame's buttons off them,
// and a minimised window has no way back; through Xwayland it can. A player's own choice stands.
void preferX11() {
    const char *chosen = std::getenv("QT_QPA_PLATFORM");
    if (!chosen || !*chosen)
        qputenv("QT_QPA_PLATFORM", "xcb;wayland");
}

} // namespace

int main(int argc, char *argv[]) {
    if (!haveDisplay()) {
        std::fputs("skitalia: no display to show the game on (neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set)\n",
                   stderr);
        return EXIT_FAILURE;
    }
    preferX11();
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    // The application name is what the tray item's title and screen readers call the game.
    // Desktops find the desktop entry by its id: Wayland and KDE by the desktop file name, GNOME
    // on X11 by the window class's instance.
    QApplication::setApplicationName(QStringLiteral("Скиталия"));
    QApplication::setDesktopFileName(QStringLiteral("ru.skitalia.Skitalia"));
    // The game takes no command line: Qt sees the program's name and the instance only, so its
    // own options (-reverse, -style, -platform and the rest) change nothing.
    static char fallbackName[] = "skitalia";
    static char nameOption[] = "-name";
    static char instance[] = "ru.skitalia.Skitalia";
    int qtArgc = 3;
    char *qtArgv[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nameOption, instance, nullptr};
    QApplication app(qtArgc, qtArgv);
    // GNOME names a window without a desktop entry by its class: readable, in Latin-1.
    useWindowClass(QGuiApplication::desktopFileName(), QStringLiteral("Skitalia"));
    // Hiding every window (the tray, an activity screen) must not end the game.
    QApplication::setQuitOnLastWindowClosed(false);
    QtServices services;
    installServices(&services);
    if (!startGame())
        return EXIT_FAILURE;
    // Once the game runs: over the title, not in its place.
    QTimer::singleShot(0, &app, [&services] { services.tellFolderProblem(); });
    return QApplication::exec();
}
