#include "persistence/save_screen.h"

#include "core/character_state.h"
#include "desktop/screen_setup.h"
#include "persistence/saved_games.h"
#include "system/services.h"
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
