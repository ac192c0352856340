#include "activities/canteen.h"

#include "core/character_state.h"
#include "core/game_sounds.h"
#include "core/main_screen.h"
#include "desktop/screen_setup.h"
#include "system/services.h"
#include "ui_canteen.h"

namespace {

constexpr int FullSatiety = 100;

void capSatiety() {
    if (Character.Satiety > FullSatiety)
        Character.Satiety = FullSatiety;
}

} // namespace

TForm8::TForm8(QWidget *parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TForm8>()) {
    ui_->setupUi(this);
    makeDialogScreen(this, QStringLiteral("Столовая"), QSize(330, 220));
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TForm8::SpeedButton1Click);
    connect(ui_->SpeedButton2, &QPushButton::clicked, this, &TForm8::SpeedButton2Click);
    connect(ui_->SpeedButton3, &QPushButton::clicked, this, &TForm8::SpeedButton3Click);
    connect(ui_->SpeedButton4, &QPushButton::clicked, this, &TForm8::SpeedButton4Click);
    FormCreate();
}

TForm8::~TForm8() = default;

void TForm8::FormCreate() {
    Character.AppDir = services().programFolder();
    MediaPlayer1.bind(appFile(Character, QStringLiteral("4.wav")));
}

// The panels show the stock as it is now and stay so for the whole visit.
void TForm8::visit(QWidget *from) {
    gameSounds().click.play();
    showScreen(this);
    hideScreen(from);
    Ui::TForm8 &canteen = *ui_;
    canteen.Panel3->setText(QStringLiteral("Хлеб: ") + QString::number(Character.Bread));
    canteen.Panel4->setText(QStringLiteral("Макароны: ") + QString::number(Character.Pasta));
    canteen.Panel8->setText(QStringLiteral("Мясо(кг): ") + QString::number(Character.Meat));
    canteen.SpeedButton2->setEnabled(Character.Bread > 0);
    canteen.SpeedButton3->setEnabled(Character.Pasta > 0);
    canteen.SpeedButton4->setEnabled(Character.Meat > 0);
    // What there is to eat, said with whichever button takes the focus.
    const QString stock = canteen.Panel3->text() + QStringLiteral(", ") + canteen.Panel4->text() +
                          QStringLiteral(", ") + canteen.Panel8->text();
    for (QPushButton *button :
         {canteen.SpeedButton2, canteen.SpeedButton3, canteen.SpeedButton4, canteen.SpeedButton1})
        button->setAccessibleDescription(stock);
}

void TForm8::SpeedButton2Click() {
    MediaPlayer1.play();
    Character.Bread -= 1;
    Character.Feces += 10;
    Character.Satiety += 15;
    setEnabledFlags({{ui_->SpeedButton2, false}}, ui_->Panel1);
    capSatiety();
}

void TForm8::SpeedButton3Click() {
    MediaPlayer1.play();
    Character.Feces += 15;
    Character.Pasta -= 1;
    Character.Satiety += 20;
    capSatiety();
    setEnabledFlags({{ui_->SpeedButton3, false}}, ui_->Panel1);
}

void TForm8::SpeedButton4Click() {
    MediaPlayer1.play();
    setEnabledFlags({{ui_->SpeedButton4, false}}, ui_->Panel1);
    Character.Feces += 25;
    Character.Meat -= 1;
    Character.Satiety = FullSatiety;
}

void TForm8::SpeedButton1Click() {
    gameSounds().click.play();
    hideScreen(this);
    showScreen(mainScreen());
}
