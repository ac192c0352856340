#include "activities/recycling.h"

#include "core/character_state.h"
#include "core/game_sounds.h"
#include "core/main_screen.h"
#include "core/prices.h"
#include "desktop/first_frame.h"
#include "desktop/screen_setup.h"
#include "system/services.h"
#include "ui_recycling.h"

TForm7::TForm7(QWidget *parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TForm7>()) {
    ui_->setupUi(this);
    makeDialogScreen(this, QStringLiteral("Мусор сдан"), QSize(329, 180));
    // Narrow faces keep the long lines inside the small window.
    QFont heading(QStringLiteral("DejaVu Sans"));
    heading.setStretch(QFont::Condensed);
    heading.setPixelSize(19);
    ui_->Label1->setFont(heading);
    QFont result(QStringLiteral("DejaVu Serif"));
    result.setStretch(QFont::Condensed);
    result.setPixelSize(21);
    ui_->Label2->setFont(result);
    ui_->Label3->setFont(result);
    // Measuring the caption loads its face: that waits until the screen first shows.
    whenPolished(this, [this] {
        ui_->Label2->adjustSize();
        const int right = ui_->Label3->geometry().right();
        ui_->Label3->move(ui_->Label2->geometry().right() + 10, ui_->Label3->y());
        ui_->Label3->resize(right - ui_->Label3->x(), ui_->Label3->height());
    });
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TForm7::SpeedButton1Click);
}

TForm7::~TForm7() = default;

// Everything gathered is handed in at once; counts from a saved game enter as they are.
void TForm7::visit(QWidget *from) {
    Character.Fatigue += 2;
    Character.Satiety -= 1;
    Character.Health -= 2;
    Character.Feces += 2;
    gameSounds().click.play();
    showScreen(this);
    hideScreen(from);
    SaturatingInt earned;
    earned +=
        BottlePrice * Character.Bottles.wide() + WastePaperPrice * Character.WastePaper.wide();
    Character.WastePaper = 0;
    Character.Bottles = 0;
    ui_->Label3->setText(QString::number(earned));
    // Said with "НАЗАД", the screen's one control, as it takes the focus.
    ui_->SpeedButton1->setAccessibleDescription(ui_->Label2->text() + u' ' + ui_->Label3->text());
    Character.Money += earned;
}

void TForm7::SpeedButton1Click() {
    gameSounds().click.play();
    showScreen(mainScreen());
    hideScreen(this);
}
