#include "activities/slot_machine.h"

#include "core/character_state.h"
#include "core/game_sounds.h"
#include "core/main_screen.h"
#include "desktop/screen_setup.h"
#include "pictures/pictures.h"
#include "system/services.h"
#include "ui_slot_machine.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

namespace {

// Winnings by the length of the run (2 to 5) and the symbol (1 to 6).
constexpr int PayoutTable[4][6] = {
    {1, 1, 1, 2, 2, 3},
    {10, 10, 10, 15, 15, 20},
    {50, 50, 50, 70, 80, 100},
    {500, 600, 700, 800, 900, 1000},
};

// A reel with nothing on it, shaded like the symbols' own background, for a symbol whose
// picture cannot be read: the spin goes on and pays whatever the reels look like.
QPixmap emptyReelPicture() {
    QImage image(50, 50, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient shade(0, 0, 0, 50);
    shade.setColorAt(0, QColor(207, 198, 174));
    shade.setColorAt(0.5, QColor(255, 252, 241));
    shade.setColorAt(1, QColor(207, 198, 174));
    painter.fillRect(image.rect(), shade);
    painter.setPen(QColor(203, 193, 169));
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    painter.end();
    return QPixmap::fromImage(image);
}

int drawSymbol() {
    return services().randomBelow(6) + 1;
}

} // namespace

int payout(const std::array<int, 5> &symbols) {
    // Rules are tried from the shortest run up and from symbol 1 up, each match replacing
    // the last; later rules are never worth less, so the best one wins.
    int result = 0;
    for (int length = 2; length <= 5; ++length)
        for (int symbol = 1; symbol <= 6; ++symbol)
            for (int first = 0; first + length <= 5; ++first) {
                const auto run = symbols.begin() + first;
                if (std::all_of(run, run + length, [symbol](int s) { return s == symbol; })) {
                    result = PayoutTable[length - 2][symbol - 1];
                    break;
                }
            }
    return result;
}

TForm11::TForm11(QWidget *parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TForm11>())
    , emptyReel_(emptyReelPicture()) {
    ui_->setupUi(this);
    makeDialogScreen(this, QStringLiteral("Игровой автомат \"Крутифрукт\""), QSize(320, 290));
    showBuiltInPicture(ui_->Image1, QStringLiteral("reel_cherries"));
    showBuiltInPicture(ui_->Image2, QStringLiteral("reel_apple"));
    showBuiltInPicture(ui_->Image3, QStringLiteral("reel_banana"));
    showBuiltInPicture(ui_->Image4, QStringLiteral("reel_seven"));
    showBuiltInPicture(ui_->Image5, QStringLiteral("reel_dollar"));
    Timer1.setInterval(15);
    Timer1.setTimerType(Qt::PreciseTimer);
    connect(&Timer1, &QTimer::timeout, this, &TForm11::Timer1Timer);
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm11::Button1Click);
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TForm11::SpeedButton1Click);
}

TForm11::~TForm11() = default;

void TForm11::visit(QWidget *from) {
    ui_->Label2->setText(QString::number(Character.Money));
    hideScreen(from);
    showScreen(this);
    gameSounds().click.play();
}

void TForm11::Button1Click() {
    if (Character.Money < 2) {
        services().notice(QStringLiteral("Не хватает денег!"));
        return;
    }
    Timer1.start();
    // The machine's frame holds the focus through the spin, so Space does not press "НАЗАД".
    setEnabledFlags({{ui_->Button1, false}}, ui_->Panel1);
    SpinTick = 0;
    Reel1 = drawSymbol();
    Reel2 = drawSymbol();
    Reel3 = drawSymbol();
    Reel4 = drawSymbol();
    Reel5 = drawSymbol();
    Character.Money -= 2;
    ui_->Label2->setText(QString::number(Character.Money));
}

// The picture is read afresh on every tick, so a symbol file changed during play shows at
// once.
void TForm11::showSymbol(QLabel *reel, int symbol) {
    const QImage picture = readPictureFile(
        appFile(Character, QStringLiteral("fr") + QString::number(symbol) + QStringLiteral(".bmp")),
        "bmp");
    reel->setPixmap(picture.isNull() ? emptyReel_ : QPixmap::fromImage(picture));
}

void TForm11::Timer1Timer() {
    const std::array<QLabel *, 5> reels = {ui_->Image1, ui_->Image2, ui_->Image3, ui_->Image4,
                                           ui_->Image5};
    const std::array<int, 5> drawn = {Reel1, Reel2, Reel3, Reel4, Reel5};
    for (int k = 1; k <= 5; ++k)
        showSymbol(reels[k - 1], SpinTick < 30 * k ? drawSymbol() : drawn[k - 1]);
    SpinTick += 1;
    if (SpinTick < SpinTicks)
        return;
    const int won = payout(drawn);
    Timer1.stop();
    ui_->Label4->setText(QStringLiteral("Выигрыш: ") + QString::number(won));
    Character.Money += won;
    ui_->Label2->setText(QString::number(Character.Money));
    ui_->Button1->setEnabled(true);
    // Said with "Запуск" as the focus comes back to it.
    ui_->Button1->setAccessibleDescription(ui_->Label4->text() + QStringLiteral(", деньги: ") +
                                           ui_->Label2->text());
    // Space must spin again.
    ui_->Button1->setFocus();
}

void TForm11::SpeedButton1Click() {
    showScreen(mainScreen());
    hideScreen(this);
    gameSounds().click.play();
}
