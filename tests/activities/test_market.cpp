#include "activities/market.h"
#include "core/character_state.h"
#include "game_fixture.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "ui_main_window.h"
#include "ui_market.h"

#include <QTest>

namespace {

Ui::TForm6 &market() {
    return Form6->ui();
}

QRadioButton *rowButton(int row) {
    return QList<QRadioButton *>{market().RadioButton1, market().RadioButton2,
                                 market().RadioButton3, market().RadioButton4,
                                 market().RadioButton5, market().RadioButton6}
        .at(row - 1);
}

void choose(int row) {
    QTest::mouseClick(rowButton(row), Qt::LeftButton);
}

void setQuantity(int quantity) {
    QuantitySpinBox *box = market().SpinEdit1;
    box->stepBy(quantity - box->value());
    QCOMPARE(box->value(), quantity);
}

bool canBuy() {
    return market().Button1->isEnabled();
}
bool canSell() {
    return market().Button2->isEnabled();
}

} // namespace

class TestMarket : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void openingChargesVitalsAndResetsTheChoice();
    void rowCaptionsCarryTheirPrices();
    void buyingNeedsTheWholePrice();
    void sellingNeedsTheStock();
    void everyTradeEndsTheVisit();
    void bagUpgradeCostsTwoHundred();
    void upgradeLeavesStaleBuyButtonThatBuysNothing();
    void quantityKeepsItsValueAndFollowsTheBag();
    void negativeMoneyBuysNothingButSellsStill();

private:
    void open() { Form2->ui().Button6->click(); }
    GameFixture game;
};

void TestMarket::init() {
    game.startAtMainWindow();
}

void TestMarket::cleanup() {
    game.finishChecked();
}

void TestMarket::openingChargesVitalsAndResetsTheChoice() {
    choose(2); // left selected on an earlier visit...
    open();
    QVERIFY(Form6->isVisible() && Form2->isHidden());
    QCOMPARE(game.services.sounds(), QStringList{"3.wav"});
    QCOMPARE(Character.Fatigue, 3);
    QCOMPARE(Character.Satiety, 99);
    QCOMPARE(Character.Health, 98);
    QCOMPARE(Character.Feces, 3);
    for (int row = 1; row <= 6; ++row) // ...but every opening clears it
        QVERIFY(!rowButton(row)->isChecked());
    QVERIFY(!canBuy() && !canSell() && !market().SpinEdit1->isEnabled());
    QVERIFY(market().Button3->isEnabled() && market().SpeedButton1->isEnabled());
    QCOMPARE(market().SpinEdit1->maximum(), 2);

    QTest::mouseClick(market().SpeedButton1, Qt::LeftButton);
    QVERIFY(Form2->isVisible() && Form6->isHidden());
}

void TestMarket::rowCaptionsCarryTheirPrices() {
    const QStringList captions = {market().Label1->text(), market().Label2->text(),
                                  market().Label3->text(), market().Label4->text(),
                                  market().Label5->text(), market().Label6->text()};
    QCOMPARE(captions, QStringList({"Хлеб              5        7 ", "Макароны     9       11",
                                    "Спички          2        3     ", "Сигареты      6       9",
                                    "Жевачка        3       4", "Мясо             50      60"}));
    const QList<std::pair<int, int>> prices = {{5, 7}, {9, 11}, {2, 3}, {6, 9}, {3, 4}, {50, 60}};
    open();
    for (int row = 1; row <= 6; ++row) {
        choose(row);
        QCOMPARE(Character.BuyPrice, prices[row - 1].first);
        QCOMPARE(Character.SellPrice, prices[row - 1].second);
        const QStringList numbers =
            captions[row - 1].split(QLatin1Char(' '), Qt::SkipEmptyParts).mid(1);
        QCOMPARE(numbers, QStringList({QString::number(prices[row - 1].first),
                                       QString::number(prices[row - 1].second)}));
    }
}

void TestMarket::buyingNeedsTheWholePrice() {
    Character.BagCapacity = 5;
    Character.Money = 150;
    open();
    choose(6); // meat at 50
    setQuantity(3);
    QVERIFY(canBuy());
    setQuantity(4);
    QVERIFY(!canBuy());
    setQuantity(3);
    QTest::mouseClick(market().Button1, Qt::LeftButton);
    QCOMPARE(Character.Money, 0);
    QCOMPARE(Character.Meat, 3);

    Character.Money = 149;
    open();
    choose(6);
    QCOMPARE(market().SpinEdit1->value(), 3); // kept from the last visit
    QVERIFY(!canBuy());
}

void TestMarket::sellingNeedsTheStock() {
    Character.BagCapacity = 4;
    Character.Gum = 3;
    open();
    choose(5);
    QCOMPARE(Character.SelectedStock, 3);
    setQuantity(4);
    QVERIFY(!canSell());
    setQuantity(3);
    QVERIFY(canSell());
    QTest::mouseClick(market().Button2, Qt::LeftButton);
    QCOMPARE(Character.Gum, 0);
    QCOMPARE(Character.Money, 12);
    QCOMPARE(Character.SelectedStock, 0);

    open();
    choose(1); // no bread at all
    for (int quantity = 1; quantity <= 4; ++quantity) {
        setQuantity(quantity);
        QVERIFY(!canSell());
    }
}

void TestMarket::everyTradeEndsTheVisit() {
    Character.Money = 100;
    open();
    choose(1);
    setQuantity(2);
    QTest::mouseClick(market().Button1, Qt::LeftButton);
    QVERIFY(Form2->isVisible() && Form6->isHidden());
    QCOMPARE(Character.Bread, 2);
    QCOMPARE(Character.Money, 90);

    open();
    choose(1);
    QTest::mouseClick(market().Button2, Qt::LeftButton);
    QVERIFY(Form2->isVisible() && Form6->isHidden());
    QCOMPARE(Character.Bread, 0);
    QCOMPARE(Character.Money, 104);
    QCOMPARE(Character.Fatigue, 6); // two openings
}

void TestMarket::bagUpgradeCostsTwoHundred() {
    Character.Money = 199;
    open();
    game.services.events.clear();
    QTest::mouseClick(market().Button3, Qt::LeftButton);
    QCOMPARE(game.services.events, QStringList({"sound 3.wav", "box О сумке: Не хватает денег"}));
    QCOMPARE(Character.BagCapacity, 2);
    QCOMPARE(Character.Money, 199);
    QVERIFY(Form6->isVisible());

    Character.Money = 200;
    QTest::mouseClick(market().Button3, Qt::LeftButton);
    QCOMPARE(Character.BagCapacity, 3);
    QCOMPARE(Character.Money, 0);
    QCOMPARE(game.services.boxes().last(),
             QStringLiteral("notice Размер сумки бомжа стал равен 3 !"));
    QCOMPARE(Form2->ui().Panel9->text(), QStringLiteral("Вместимость сумки: 3"));
    QCOMPARE(market().SpinEdit1->maximum(), 3);
    QVERIFY(Form6->isVisible());
    choose(3);
    setQuantity(3); // at once up to the new maximum
}

void TestMarket::upgradeLeavesStaleBuyButtonThatBuysNothing() {
    Character.Money = 205;
    open();
    choose(1);
    QVERIFY(canBuy());
    QTest::mouseClick(market().Button3, Qt::LeftButton);
    QCOMPARE(Character.Money, 5);
    QVERIFY(canBuy()); // the rule is not applied again
    setQuantity(1);
    market().SpinEdit1->stepBy(1);
    QVERIFY(!canBuy()); // a change of quantity applies it
    market().SpinEdit1->stepBy(-1);
    QVERIFY(canBuy());

    Character.Money = 4;
    QTest::mouseClick(market().Button1, Qt::LeftButton);
    QCOMPARE(Character.Bread, 0);
    QCOMPARE(Character.Money, 4);
    QVERIFY(Form2->isVisible());
}

void TestMarket::quantityKeepsItsValueAndFollowsTheBag() {
    Character.BagCapacity = 6;
    Character.Money = 1000;
    open();
    choose(3);
    setQuantity(6);
    QTest::mouseClick(market().SpeedButton1, Qt::LeftButton);

    Form2->ui().N9->trigger(); // a new game: the bag is 2 again
    open();
    QCOMPARE(market().SpinEdit1->maximum(), 2);
    QCOMPARE(market().SpinEdit1->value(), 6); // still shown, still tradable
    Character.Money = 1000;
    choose(3);
    QVERIFY(canBuy());
    market().SpinEdit1->stepBy(1); // the first step, even up, brings it to the maximum
    QCOMPARE(market().SpinEdit1->value(), 2);
    market().SpinEdit1->stepBy(-5);
    QCOMPARE(market().SpinEdit1->value(), 1); // never below one
    QTest::mouseClick(market().Button1, Qt::LeftButton);
    QCOMPARE(Character.Matches, 1);
}

void TestMarket::negativeMoneyBuysNothingButSellsStill() {
    Character.Money = -10;
    Character.Cigarettes = 2;
    open();
    for (int row = 1; row <= 6; ++row) {
        choose(row);
        QVERIFY(!canBuy());
    }
    choose(4);
    QVERIFY(canSell());
    QTest::mouseClick(market().Button2, Qt::LeftButton);
    QCOMPARE(Character.Money, -1);
    QCOMPARE(Character.Cigarettes, 1);
}

QTEST_MAIN(TestMarket)
#include "test_market.moc"
