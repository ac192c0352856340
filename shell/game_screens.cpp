#include "shell/game_screens.h"

#include "activities/begging.h"
#include "activities/bin_find.h"
#include "activities/bins.h"
#include "activities/canteen.h"
#include "activities/injections.h"
#include "activities/market.h"
#include "activities/recycling.h"
#include "activities/slot_machine.h"
#include "core/game_sounds.h"
#include "core/main_screen.h"
#include "desktop/screen_reader.h"
#include "desktop/screen_setup.h"
#include "persistence/save_screen.h"
#include "pictures/pictures.h"
#include "shell/death_screen.h"
#include "shell/game_end.h"
#include "shell/main_window.h"
#include "shell/title_screen.h"
#include "widgets/game_style.h"

#include <QGuiApplication>

namespace {

template <typename Screen> void create(Screen *&global) {
    global = new Screen;
    noteGameScreen(global);
}

template <typename Screen> void destroy(Screen *&global) {
    delete global;
    global = nullptr;
}

} // namespace

void createGameScreens() {
    useGameStyle();
    showToScreenReaders();
    // Every screen, box and dialog carries the game's icon, in the taskbar too.
    QGuiApplication::setWindowIcon(builtInPicture(QStringLiteral("icon")));
    makeGameSounds();
    try {
        create(Form1);
        create(Form2);
        create(Form3);
        create(Form4);
        create(Form5);
        create(Form6);
        create(Form7);
        create(Form8);
        create(Form9);
        create(Form10);
        create(Form11);
        create(Form12);
        create(gameend);
    } catch (...) {
        destroyGameScreens();
        throw;
    }
    // The screens below the shell reach each other and the main window only through these.
    followScreenChanges();
    setMainScreen(Form2);
    Form4->setFindScreen(Form5);
    QObject::connect(Form6, &TForm6::bagShown, Form2, &TForm2::showBag);
}

void destroyGameScreens() {
    destroy(gameend);
    destroy(Form12);
    destroy(Form11);
    destroy(Form10);
    destroy(Form9);
    destroy(Form8);
    destroy(Form7);
    destroy(Form6);
    destroy(Form5);
    destroy(Form4);
    destroy(Form3);
    destroy(Form2);
    destroy(Form1);
    forgetGameScreens();
    setMainScreen(nullptr);
    dropGameSounds();
}
