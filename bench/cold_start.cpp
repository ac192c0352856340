// What start-up spends on the thirteen screens when nothing is warm yet: one creation in a
// fresh process, after the same preparations as the game's own, on the real display.
// prints: "<ms to create the screens>"
#include "platform/qt_services.h"
#include "shell/game_screens.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

// The real services, with the program folder where the build put the game's files.
class ColdStartServices : public QtServices {
public:
    QString programFolder() override { return QStringLiteral(SKITALIA_GAME_DIR); }
};

} // namespace

int main(int argc, char *argv[]) {
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    QApplication::setApplicationName(QStringLiteral("ru.skitalia.Skitalia"));
    QApplication app(argc, argv);
    ColdStartServices services;
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
    const auto end = std::chrono::steady_clock::now();
    std::printf("%.2f\n", std::chrono::duration<double, std::milli>(end - start).count());
    destroyGameScreens();
    return EXIT_SUCCESS;
}
