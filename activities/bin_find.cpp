#include "activities/bin_find.h"

#include "core/game_sounds.h"
#include "core/main_screen.h"
#include "desktop/screen_setup.h"
#include "system/services.h"
#include "ui_bin_find.h"

TForm5::TForm5(QWidget *parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TForm5>()) {
    ui_->setupUi(this);
    makeDialogScreen(this, QStringLiteral("В помойке"), QSize(271, 158));
    // A little tighter, so the heading stays inside the frame.
    QFont heading = ui_->Label3->font();
    heading.setLetterSpacing(QFont::PercentageSpacing, 94);
    ui_->Label3->setFont(heading);
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
}

TForm5::~TForm5() = default;

// Back to the main window, not to the bins.
void TForm5::Button1Click() {
    gameSounds().click.play();
    Q_EMIT leaving();
    showScreen(mainScreen());
    hideScreen(this);
}
