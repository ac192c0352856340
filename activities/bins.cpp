#include "activities/bins.h"

#include "activities/bin_find.h"
#include "core/character_state.h"
#include "core/game_sounds.h"
#include "core/main_screen.h"
#include "desktop/screen_setup.h"
#include "pictures/pictures.h"
#include "system/services.h"
#include "ui_bin_find.h"
#include "ui_bins.h"

TForm4::TForm4(QWidget *parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TForm4>()) {
    ui_->setupUi(this);
    makeDialogScreen(this, QStringLiteral("Урны"), QSize(447, 254));
    showBuiltInPicture(ui_->Image1, QStringLiteral("bins"));
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(ui_->Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
    connect(ui_->Button3, &QPushButton::clicked, this, &TForm4::Button3Click);
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TForm4::SpeedButton1Click);
}

TForm4::~TForm4() = default;

void TForm4::setBinsEnabled(bool enabled) {
    // The bins are emptied for the visit; the screen holds the focus until "НАЗАД" is chosen.
    setEnabledFlags({{ui_->Button1, enabled}, {ui_->Button2, enabled}, {ui_->Button3, enabled}},
                    this);
}

// The visit costs its vitals whatever the pick, and hides a fresh find in one bin.
void TForm4::setFindScreen(TForm5 *find) {
    find_ = find;
    connect(find, &TForm5::leaving, this, [this] { setBinsEnabled(true); });
}

void TForm4::visit(QWidget *from) {
    Character.Fatigue += 1 + services().randomBelow(5);
    Character.Health -= 3;
    Character.Satiety -= 3;
    Character.Feces += 2;
    gameSounds().click.play();
    showScreen(this);
    hideScreen(from);
    Character.LuckyBin = 1 + services().randomBelow(3);
    Character.BinBottles = 1 + services().randomBelow(7);
    Character.BinPaper = 1 + services().randomBelow(12);
    Character.BinBottlesText = QString::number(Character.BinBottles);
    Character.BinPaperText = QString::number(Character.BinPaper);
}

void TForm4::pick(int bin) {
    gameSounds().click.play();
    if (Character.LuckyBin != bin) {
        services().messageBox(QStringLiteral("Какой-то нехороший бомж уже обшарил вашу помойку"),
                              QStringLiteral("О помойке"));
        setBinsEnabled(false);
        return;
    }
    Character.BinBottlesText =
        QStringLiteral("Чебурашки-") + Character.BinBottlesText + QStringLiteral(" шт.");
    Character.BinPaperText =
        QStringLiteral("Макулатура-") + Character.BinPaperText + QStringLiteral(" кг.");
    showScreen(find_);
    hideScreen(this);
    find_->ui().Label1->setText(Character.BinBottlesText);
    find_->ui().Label2->setText(Character.BinPaperText);
    // Said with "НАЗАД", the screen's one control, as it takes the focus.
    find_->ui().Button1->setAccessibleDescription(find_->ui().Label3->text() + u' ' +
                                                  Character.BinBottlesText + QStringLiteral(", ") +
                                                  Character.BinPaperText);
    setBinsEnabled(false);
    Character.Bottles += Character.BinBottles;
    Character.WastePaper += Character.BinPaper;
}

void TForm4::SpeedButton1Click() {
    gameSounds().click.play();
    setBinsEnabled(true);
    showScreen(mainScreen());
    hideScreen(this);
}
