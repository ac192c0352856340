// What start-up spends on the thirteen screens when nothing is warm yet: one creation in a
// fresh process, after the same preparations as the game's own, on the real display; then
// what the title's click spends on the main window's first show, until its first paint.
// prints: "<ms to create the screens> <ms to show the main window>"
#include "bench/built_game_services.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"

#include <QApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// Notes the main window's first paint.
class PaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication::setApplicationName(QStringLiteral("Скиталия"));
    QApplication::setDesktopFileName(QStringLiteral("ru.skitalia.Skitalia"));
    QApplication app(argc, argv);
    BuiltGameServices services;
    installServices(&services);
    // The game loads the Russian standard dialogs before its screens; so does this.
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    QTranslator translator;
    if (translator.load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);

    const auto start = std::chrono::steady_clock::now();
    try {
        createGameScreens();
    } catch (const StartupError &error) {
        std::fprintf(stderr, "cold_start: %s\n", qUtf8Printable(error.message()));
        return EXIT_FAILURE;
    }
    const double created = msSince(start);

    PaintWatch watch;
    Form2->installEventFilter(&watch);
    const auto click = std::chrono::steady_clock::now();
    Form2->show();
    while (!watch.painted && msSince(click) < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double shown = msSince(click);
    Form2->removeEventFilter(&watch);
    if (!watch.painted) {
        std::fputs("cold_start: the main window was never painted\n", stderr);
        return EXIT_FAILURE;
    }
    std::printf("%.2f %.2f\n", created, shown);
    destroyGameScreens();
    return EXIT_SUCCESS;
}
