#include "persistence/save_screen.h"

#include "core/character_state.h"
#include "persistence/open_dialog.h"
#include "persistence/saved_games.h"
#include "desktop/screen_setup.h"
#include "system/services.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "ui_save_screen.h"

#include <QKeyEvent>

TForm12::TForm12(QWidget *parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TForm12>()) {
    ui_->setupUi(this);
    makeDialogScreen(this, QStringLiteral("Сохранить"), QSize(260, 110));
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm12::Button1Click);
    connect(ui_->Button2, &QPushButton::clicked, this, &TForm12::Button2Click);
}

TForm12::~TForm12() = default;

// Not modal: the main window stays usable, and "OK" saves the state of that moment.
void TForm2::N2Click() {
    showScreen(Form12);
}

// On failure the screen stays with its name, so the player can correct it and try again.
void TForm12::Button1Click() {
    Character.AppDir = services().programFolder();
    const QString problem =
        saveGameFile(services().saveFolder(), ui_->Edit1->text(), savedValues(Character),
                     [] { return services().randomBelow(15) + 1; });
    if (!problem.isEmpty()) {
        services().errorBox(problem);
        return;
    }
    hideScreen(this);
}

void TForm12::Button2Click() {
    hideScreen(this);
}

// Enter presses "OK" and Escape "Отмена"; a focused button takes Enter for itself first.
void TForm12::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ui_->Button1->click();
        break;
    case Qt::Key_Escape:
        ui_->Button2->click();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

// Loading redraws nothing: the next tick of the main window shows the loaded state.
void TForm2::N3Click() {
    Character.AppDir = services().programFolder();
    OpenSavedGameDialog dialog(this, services().saveFolder());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const LoadResult loaded =
        loadGameFile(services().saveFolder(), dialog.selectedFiles().constFirst());
    if (!loaded.problem.isEmpty()) {
        services().errorBox(loaded.problem);
        return;
    }
    restoreSavedValues(Character, loaded.values);
}
