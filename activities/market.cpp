#include "activities/market.h"

#include "core/character_state.h"
#include "core/game_sounds.h"
#include "core/main_screen.h"
#include "core/prices.h"
#include "desktop/screen_reader.h"
#include "desktop/screen_setup.h"
#include "system/services.h"
#include "ui_market.h"

#include <QKeyEvent>
#include <array>

namespace {

// The rows of the price table: what the man pays for a good and what he gets for it.
struct Row {
    SaturatingInt CharacterState::*good;
    GoodPrices prices;
};

constexpr std::array<Row, 6> Rows = {{
    {&CharacterState::Bread, BreadPrices},
    {&CharacterState::Pasta, PastaPrices},
    {&CharacterState::Matches, MatchesPrices},
    {&CharacterState::Cigarettes, CigarettesPrices},
    {&CharacterState::Gum, GumPrices},
    {&CharacterState::Meat, MeatPrices},
}};

} // namespace

TForm6::TForm6(QWidget *parent)
    : QWidget(parent)
    , ui_(std::make_unique<Ui::TForm6>()) {
    ui_->setupUi(this);
    makeDialogScreen(this, QStringLiteral("Рынок"), QSize(470, 340));
    for (PriceRow *row :
         {ui_->Label1, ui_->Label2, ui_->Label3, ui_->Label4, ui_->Label5, ui_->Label6})
        row->setColumns(138, 210); // the framed columns of the table
    for (int row = 0; row < static_cast<int>(Rows.size()); ++row)
        // Only a newly selected good counts: pressing the selected one again does nothing.
        connect(radioButton(row), &QRadioButton::toggled, this, [this, row](bool checked) {
            if (checked)
                RadioButtonClick(row);
        });
    connect(ui_->SpinEdit1, &QuantitySpinBox::valueChanged, this, &TForm6::SpinEdit1Change);
    setAccessibleDescription(QStringLiteral("Клавиши плюс и минус меняют количество"));
    describeForScreenReaders();
    connect(ui_->SpinEdit1, &QuantitySpinBox::valueChanged, this,
            &TForm6::describeForScreenReaders);
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(ui_->Button2, &QPushButton::clicked, this, &TForm6::Button2Click);
    connect(ui_->Button3, &QPushButton::clicked, this, &TForm6::Button3Click);
    connect(ui_->SpeedButton1, &QPushButton::clicked, this, &TForm6::SpeedButton1Click);
    // The price stands in a label beside the button, which screen readers do not join to it.
    ui_->Label12->setText(QString::number(BagUpgradePrice));
    ui_->Button3->setAccessibleDescription(QStringLiteral("цена ") + ui_->Label12->text());
}

TForm6::~TForm6() = default;

QRadioButton *TForm6::radioButton(int row) const {
    const std::array<QRadioButton *, 6> buttons = {ui_->RadioButton1, ui_->RadioButton2,
                                                   ui_->RadioButton3, ui_->RadioButton4,
                                                   ui_->RadioButton5, ui_->RadioButton6};
    return buttons.at(static_cast<std::size_t>(row));
}

// The quantity takes no focus: a screen reader hears it with the focused good or button, as
// the focus comes and at once when + or - change it, and the prices with each good.
void TForm6::describeForScreenReaders() {
    const QString quantity =
        QStringLiteral("количество ") + QString::number(ui_->SpinEdit1->value());
    for (int row = 0; row < static_cast<int>(Rows.size()); ++row) {
        const Row &good = Rows.at(static_cast<std::size_t>(row));
        radioButton(row)->setAccessibleDescription(QStringLiteral("Купить за %1, продать за %2, ")
                                                       .arg(good.prices.buy)
                                                       .arg(good.prices.sell) +
                                                   quantity);
    }
    ui_->Button1->setAccessibleDescription(quantity);
    ui_->Button2->setAccessibleDescription(quantity);
    tellScreenReaders(this, quantity);
}

// A + that puts "Купить" or "Продать" out of reach hands the focus back to the good: on the
// other trade, the next Space would undo what the player meant.
QWidget *TForm6::chosenGood() const {
    const int row = selectedRow();
    return radioButton(row < 0 ? 0 : row);
}

int TForm6::selectedRow() const {
    for (int row = 0; row < static_cast<int>(Rows.size()); ++row)
        if (radioButton(row)->isChecked())
            return row;
    return -1;
}

void TForm6::clearSelection() {
    for (int row = 0; row < static_cast<int>(Rows.size()); ++row) {
        QRadioButton *button = radioButton(row);
        const QSignalBlocker quiet(button);
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

void TForm6::visit(QWidget *from) {
    ui_->SpinEdit1->setMaximum(Character.BagCapacity);
    Character.Fatigue += 3;
    Character.Satiety -= 1;
    Character.Health -= 2;
    Character.Feces += 3;
    gameSounds().click.play();
    showScreen(this);
    hideScreen(from);
    clearSelection();
    ui_->Button1->setEnabled(false);
    ui_->Button2->setEnabled(false);
    ui_->SpinEdit1->setEnabled(false);
}

void TForm6::applyBuyRule() {
    const std::int64_t quantity = ui_->SpinEdit1->value();
    setEnabledFlags({{ui_->Button1, quantity * Character.BuyPrice.wide() <= Character.Money}},
                    chosenGood());
}

void TForm6::applySellRule() {
    setEnabledFlags({{ui_->Button2, ui_->SpinEdit1->value() <= Character.SelectedStock}},
                    chosenGood());
}

void TForm6::RadioButtonClick(int row) {
    const Row &chosen = Rows.at(static_cast<std::size_t>(row));
    ui_->SpinEdit1->setEnabled(true);
    Character.BuyPrice = chosen.prices.buy;
    Character.SellPrice = chosen.prices.sell;
    Character.SelectedStock = Character.*chosen.good;
    applyBuyRule();
    applySellRule();
}

void TForm6::SpinEdit1Change() {
    applyBuyRule();
    applySellRule();
}

// Buying and selling both end the visit, whether or not anything changed hands.
void TForm6::Button1Click() {
    gameSounds().click.play();
    const std::int64_t quantity = ui_->SpinEdit1->value();
    const std::int64_t cost = quantity * Character.BuyPrice.wide();
    const int row = selectedRow();
    if (cost <= Character.Money && row >= 0) {
        Character.Money -= cost;
        Character.*Rows.at(static_cast<std::size_t>(row)).good += quantity;
    }
    showScreen(mainScreen());
    hideScreen(this);
}

void TForm6::Button2Click() {
    gameSounds().click.play();
    const std::int64_t quantity = ui_->SpinEdit1->value();
    const int row = selectedRow();
    if (quantity <= Character.SelectedStock && row >= 0) {
        Character.SelectedStock -= quantity;
        Character.Money += quantity * Character.SellPrice.wide();
        Character.*Rows.at(static_cast<std::size_t>(row)).good -= quantity;
    }
    showScreen(mainScreen());
    hideScreen(this);
}

// The market stays open; the buy rule is not looked at again until the next choice.
void TForm6::Button3Click() {
    gameSounds().click.play();
    if (Character.Money < BagUpgradePrice) {
        services().messageBox(QStringLiteral("Не хватает денег"), QStringLiteral("О сумке"));
        return;
    }
    Character.BagCapacity += 1;
    Character.Money -= BagUpgradePrice;
    const QString capacity = QString::number(Character.BagCapacity);
    Q_EMIT bagShown(QStringLiteral("Вместимость сумки: ") + capacity);
    ui_->SpinEdit1->setMaximum(Character.BagCapacity);
    services().notice(QStringLiteral("Размер сумки бомжа стал равен ") + capacity +
                      QStringLiteral(" !"));
}

// The quantity takes no focus, so + and - step it from anywhere on the screen, as its
// arrows do and within their bounds.
void TForm6::keyPressEvent(QKeyEvent *event) {
    const int key = event->key();
    if (key != Qt::Key_Plus && key != Qt::Key_Minus) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (ui_->SpinEdit1->isEnabled())
        ui_->SpinEdit1->stepBy(key == Qt::Key_Plus ? 1 : -1);
    event->accept();
}

void TForm6::SpeedButton1Click() {
    gameSounds().click.play();
    showScreen(mainScreen());
    hideScreen(this);
}
