#include "persistence/save_screen.h"

#include "core/character_state.h"
#include "persistence/saved_games.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "shell/screen_setup.h"
#include "shell/services.h"
#include "ui_save_screen.h"

#include <QFileDialog>

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
        saveGameFile(Character.AppDir, ui_->Edit1->text(), savedValues(Character),
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

// Loading redraws nothing: the next tick of the main window shows the loaded state.
void TForm2::N3Click() {
    Character.AppDir = services().programFolder();
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A typed name that does not exist is returned too, and reported as not found.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("*.sav"));
    // A save under an empty name is ".sav", a hidden name here; the list must show it.
    dialog.setFilter(dialog.filter() | QDir::Hidden);
    dialog.setDirectory(Character.AppDir);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const LoadResult loaded = loadGameFile(Character.AppDir, dialog.selectedFiles().constFirst());
    if (!loaded.problem.isEmpty()) {
        services().errorBox(loaded.problem);
        return;
    }
    restoreSavedValues(Character, loaded.values);
}
