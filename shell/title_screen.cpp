#include "shell/title_screen.h"

#include "core/character_state.h"
#include "core/main_screen.h"
#include "core/prices.h"
#include "desktop/screen_setup.h"
#include "pictures/pictures.h"
#include "system/services.h"
#include "ui_title_screen.h"

#include <QCloseEvent>

TForm1::TForm1(QWidget *parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TForm1>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(176, 230);
    setBackground(this, palette().color(QPalette::WindowText));
    ui_->Image2->setPixmap(builtInPicture(QStringLiteral("title")));
    // The narrow face keeps both lines inside the 176-pixel window.
    QFont narrow(QStringLiteral("DejaVu Sans"));
    narrow.setStretch(QFont::Condensed);
    narrow.setPixelSize(16);
    ui_->Label3->setFont(narrow);
    narrow.setBold(true);
    ui_->Label1->setFont(narrow);
    centreOnScreen(this);
    playByKeyboard(this);
    connect(ui_->Image2, &Picture::clicked, this, &TForm1::Image2Click);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    Character.AppDir = services().programFolder();
    MediaPlayer1.bind(appFile(Character, QStringLiteral("2.wav")));
    MediaPlayer1.play();
    Character.Health = 100;
    Character.Feces = 0;
    Character.Satiety = 100;
    Character.Fatigue = 0;
}

void TForm1::Image2Click() {
    hideScreen(this);
    showScreen(mainScreen());
    setEnabled(false);
    Character.BuyPrice = BreadPrices.buy;
    Character.SellPrice = BreadPrices.sell;
    services().reseedRandom();
}

// The title is the main form: closing it from the window manager ends the game.
void TForm1::closeEvent(QCloseEvent *event) {
    event->accept();
    services().endProgram();
}
