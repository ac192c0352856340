#include "activities/injections.h"

#include "core/character_state.h"
#include "core/game_sounds.h"
#include "core/main_screen.h"
#include "desktop/screen_setup.h"
#include "system/services.h"
#include "ui_injections.h"
#include "widgets/even_ticks.h"

#include <QDir>

TForm9::TForm9(QWidget *parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TForm9>()) {
    ui_->setupUi(this);
    makeDialogScreen(this, QStringLiteral("Уколы"), QSize(340, 170));
    giveEvenTicks(ui_->TrackBar1);
    // "НАЗАД" sits first on the form, in the corner; the strength and "Сделать" come first.
    // Qt 6.4 leaves the chain alone when asked to put its first control after its last.
    setTabOrder(ui_->TrackBar1, ui_->SpeedButton1);
    setTabOrder(ui_->TrackBar1, ui_->SpeedButton2);
    connect(ui_->TrackBar1, &QSlider::valueChanged, this, &TForm9::TrackBar1Change);
    connect(ui_->SpeedButton2, &QPushButton::clicked, this, &TForm9::SpeedButton2Click);
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TForm9::SpeedButton1Click);
    FormCreate();
}

TForm9::~TForm9() = default;

// Builds the path from the program folder without storing it in the record.
void TForm9::FormCreate() {
    MediaPlayer1.bind(services().programFolder() + QDir::separator() + QStringLiteral("5.wav"));
}

void TForm9::applyInjectionRule() {
    // Too dear after an injection, the strength takes the focus: it may be lowered.
    setEnabledFlags({{ui_->SpeedButton2, Character.Money >= ui_->TrackBar1->value()}},
                    ui_->TrackBar1);
}

void TForm9::visit(QWidget *from) {
    gameSounds().click.play();
    applyInjectionRule();
    showScreen(this);
    hideScreen(from);
}

void TForm9::TrackBar1Change() {
    applyInjectionRule();
    ui_->Label3->setText(QString::number(ui_->TrackBar1->value()));
}

void TForm9::SpeedButton2Click() {
    MediaPlayer1.play();
    const int strength = ui_->TrackBar1->value();
    Character.Money -= strength;
    Character.Health += 2 * std::int64_t{strength};
    if (Character.Health > 100)
        Character.Health = 100;
    applyInjectionRule();
}

void TForm9::SpeedButton1Click() {
    showScreen(mainScreen());
    hideScreen(this);
    gameSounds().click.play();
}
