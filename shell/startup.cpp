#include "shell/startup.h"

#include "desktop/first_frame.h"
#include "shell/game_screens.h"
#include "shell/title_screen.h"
#include "sound/sound_output.h"
#include "system/services.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

namespace {

// Standard dialogs and box buttons speak the game's language whatever the system's is.
void loadRussianTranslations() {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    QLocale::setDefault(russian);
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(russian, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

} // namespace

bool startGame() {
    loadRussianTranslations();
    try {
        createGameScreens();
    } catch (const StartupError &error) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(error.message()));
        services().errorBox(error.message());
        return false;
    }
    // The title is the application's main form: the first screen the player sees.
    Form1->show();
    QList<QWidget *> hidden = gameScreens();
    hidden.removeOne(Form1);
    holdUntilFirstFrame(Form1, hidden, [] { startSoundOutput(); });
    return true;
}
