#include "activities/begging.h"

#include "core/character_state.h"
#include "core/game_sounds.h"
#include "core/main_screen.h"
#include "desktop/screen_setup.h"
#include "pictures/pictures.h"
#include "system/services.h"
#include "ui_begging.h"

#include <QAbstractItemView>

TForm3::TForm3(QWidget *parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TForm3>()) {
    ui_->setupUi(this);
    makeDialogScreen(this, QStringLiteral("Милостыня"), QSize(476, 317));
    showBuiltInPicture(ui_->Image1, QStringLiteral("portrait"));
    // The drop-down list is Qt's own and comes unnamed to screen readers.
    ui_->ComboBox1->view()->setAccessibleName(ui_->ComboBox1->accessibleName());
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(ui_->Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TForm3::SpeedButton1Click);
}

TForm3::~TForm3() = default;

void TForm3::visit(QWidget *from) {
    gameSounds().click.play();
    showScreen(this);
    hideScreen(from);
}

void TForm3::Button1Click() {
    gameSounds().click.play();
    ui_->SpinEdit1->setVisible(true);
    ui_->Button2->setVisible(true);
    ui_->Label2->setVisible(true);
    setEnabledFlags({{ui_->Button1, false}, {ui_->ComboBox1, false}}, ui_->SpinEdit1);
}

void PumpingWait(std::uint32_t n) {
    const std::uint32_t start = services().tickCount();
    std::uint32_t waited = 0;
    do {
        services().runEventsFor(n - waited);
        waited = services().tickCount() - start; // unsigned: right across the wrap-around
    } while (waited < n);
}

int tenthRoundedHalfEven(int s) {
    const int whole = s / 10;
    const int rest = s % 10;
    if (rest > 5 || (rest == 5 && whole % 2 != 0))
        return whole + 1;
    return whole;
}

// The run processes window events between its steps, so ticks and clicks come in its
// middle; money and vitals change only at its end.
void TForm3::Button2Click() {
    gameSounds().click.play();
    ui_->Button1->setEnabled(false);
    ui_->SpinEdit1->setVisible(false);
    ui_->Button2->setVisible(false);
    ui_->ComboBox1->setEnabled(true);
    ui_->Label2->setVisible(false);
    ui_->ProgressBar1->setVisible(true);

    int coins = 0;
    services().reseedRandom();
    const int hours = ui_->SpinEdit1->value();
    for (int step = 1; step <= 100; ++step) {
        coins += services().randomBelow(hours + 1);
        const int wait = services().randomBelow(10 * hours) + 1;
        PumpingWait(static_cast<std::uint32_t>(wait * hours));
        ui_->ProgressBar1->setValue(step);
    }
    const int amount = services().randomBelow(3 * hours) + tenthRoundedHalfEven(coins);
    Character.Money += amount;

    ui_->SpeedButton1->setVisible(true);
    ui_->Label3->setVisible(true);
    ui_->Label4->setVisible(true);
    ui_->Label4->setText(QString::number(amount));
    // Said with "НАЗАД" as it takes the focus, so a player who cannot see hears the result.
    ui_->SpeedButton1->setAccessibleDescription(ui_->Label3->text() + u' ' + ui_->Label4->text());
    ui_->Label1->setVisible(false);
    ui_->Label2->setVisible(false);
    ui_->ComboBox1->setVisible(false);
    ui_->Button1->setVisible(false);
    ui_->Image1->setVisible(false);
    ui_->ProgressBar1->setVisible(false);
    // Of the controls the run showed or hid, only "НАЗАД" is left; Qt loses the focus here.
    focusFirstControl(this);

    Character.Fatigue += std::int64_t{hours} * (2 + services().randomBelow(4));
    Character.Feces += std::int64_t{hours} * (1 + services().randomBelow(5));
    Character.Health -= std::int64_t{hours} * (2 + services().randomBelow(3));
    Character.Satiety -= std::int64_t{hours} * (2 + services().randomBelow(3));
}

void TForm3::SpeedButton1Click() {
    gameSounds().click.play();
    ui_->Label1->setVisible(true);
    ui_->Label2->setVisible(false);
    ui_->ComboBox1->setVisible(true);
    ui_->Button1->setVisible(true);
    ui_->SpeedButton1->setVisible(false);
    ui_->Label3->setVisible(false);
    ui_->Label4->setVisible(false);
    ui_->Image1->setVisible(true);
    showScreen(mainScreen());
    hideScreen(this);
    ui_->SpinEdit1->setVisible(false);
    ui_->Button2->setVisible(false);
    ui_->Button1->setEnabled(true);
    ui_->ComboBox1->setEnabled(true);
}
