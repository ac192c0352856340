#include "shell/death_screen.h"

#include "desktop/screen_setup.h"
#include "system/services.h"
#include "ui_death_screen.h"

TForm10::TForm10(QWidget *parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TForm10>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    // Frameless, it still has a name in taskbars and window switchers.
    setWindowTitle(QStringLiteral("Скиталия"));
    setFixedSize(443, 310);
    setBackground(this, ScreenOlive);
    refuseWindowClose(this);
    centreOnScreen(this);
    playByKeyboard(this);
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TForm10::SpeedButton1Click);
}

TForm10::~TForm10() = default;

void TForm10::SpeedButton1Click() {
    services().endProgram();
}
