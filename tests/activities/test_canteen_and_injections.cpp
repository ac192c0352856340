#include "activities/canteen.h"
#include "activities/injections.h"
#include "core/character_state.h"
#include "game_fixture.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "ui_canteen.h"
#include "ui_injections.h"
#include "ui_main_window.h"

#include <QTest>

namespace {

Ui::TForm8 &canteen() {
    return Form8->ui();
}
Ui::TForm9 &injections() {
    return Form9->ui();
}

QList<bool> eatButtons() {
    return {canteen().SpeedButton2->isEnabled(), canteen().SpeedButton3->isEnabled(),
            canteen().SpeedButton4->isEnabled()};
}

} // namespace

class TestCanteenAndInjections : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void openingShowsTheStockAndEnablesWhatCanBeEaten_data();
    void openingShowsTheStockAndEnablesWhatCanBeEaten();
    void eachFoodOncePerVisitAndPanelsStayStale();
    void satietyIsCappedAndMeatFillsUp();
    void injectionsCostTheirStrengthAndHealUpToAHundred();
    void injectionButtonFollowsTheMoney();
    void openingAppliesTheMoneyRuleAgain_data();
    void openingAppliesTheMoneyRuleAgain();
    void priceLabelIsEmptyUntilTheBarFirstMoves();

private:
    GameFixture game;
};

void TestCanteenAndInjections::init() {
    game.startAtMainWindow();
}

void TestCanteenAndInjections::cleanup() {
    game.finishChecked();
}

void TestCanteenAndInjections::openingShowsTheStockAndEnablesWhatCanBeEaten_data() {
    QTest::addColumn<int>("bread");
    QTest::addColumn<int>("pasta");
    QTest::addColumn<int>("meat");
    QTest::addColumn<QList<bool>>("enabled");
    // Each food meets 1, 0 and -2 once: only a stock above 0 can be eaten.
    QTest::newRow("only bread") << 1 << 0 << -2 << QList<bool>({true, false, false});
    QTest::newRow("only meat") << 0 << -2 << 1 << QList<bool>({false, false, true});
    QTest::newRow("only pasta") << -2 << 1 << 0 << QList<bool>({false, true, false});
}

void TestCanteenAndInjections::openingShowsTheStockAndEnablesWhatCanBeEaten() {
    QFETCH(int, bread);
    QFETCH(int, pasta);
    QFETCH(int, meat);
    QFETCH(QList<bool>, enabled);
    Character.Bread = bread;
    Character.Pasta = pasta;
    Character.Meat = meat;
    Form2->ui().Button1->click();
    QVERIFY(Form8->isVisible() && Form2->isHidden());
    QCOMPARE(game.services.sounds(), QStringList{"3.wav"});
    QCOMPARE(canteen().Panel3->text(), QStringLiteral("Хлеб: %1").arg(bread));
    QCOMPARE(canteen().Panel4->text(), QStringLiteral("Макароны: %1").arg(pasta));
    QCOMPARE(canteen().Panel8->text(), QStringLiteral("Мясо(кг): %1").arg(meat));
    QCOMPARE(eatButtons(), enabled);
    QCOMPARE(Character.Fatigue, 0); // opening is free

    QTest::mouseClick(canteen().SpeedButton1, Qt::LeftButton);
    QVERIFY(Form2->isVisible() && Form8->isHidden());
}

void TestCanteenAndInjections::eachFoodOncePerVisitAndPanelsStayStale() {
    Character.Bread = 2;
    Character.Pasta = 1;
    Character.Meat = 1;
    Character.Satiety = 10;
    Form2->ui().Button1->click();
    game.services.events.clear();
    QTest::mouseClick(canteen().SpeedButton2, Qt::LeftButton);
    QTest::mouseClick(canteen().SpeedButton3, Qt::LeftButton);
    QTest::mouseClick(canteen().SpeedButton4, Qt::LeftButton);
    QCOMPARE(game.services.sounds(), QStringList({"4.wav", "4.wav", "4.wav"}));
    QCOMPARE(eatButtons(), QList<bool>({false, false, false}));
    QTest::mouseClick(canteen().SpeedButton2, Qt::LeftButton); // disabled: nothing
    QCOMPARE(Character.Bread, 1);
    QCOMPARE(Character.Pasta, 0);
    QCOMPARE(Character.Meat, 0);
    QCOMPARE(Character.Feces, 50);
    QCOMPARE(Character.Satiety, 100);
    QCOMPARE(canteen().Panel3->text(), QStringLiteral("Хлеб: 2"));

    QTest::mouseClick(canteen().SpeedButton1, Qt::LeftButton);
    Form2->ui().Button1->click();
    QCOMPARE(canteen().Panel3->text(), QStringLiteral("Хлеб: 1"));
    QCOMPARE(eatButtons(), QList<bool>({true, false, false}));
}

void TestCanteenAndInjections::satietyIsCappedAndMeatFillsUp() {
    Character.Bread = 5;
    Character.Pasta = 5;
    Character.Meat = 5;
    Character.Satiety = 90;
    Form2->ui().Button1->click();
    canteen().SpeedButton2->click();
    QCOMPARE(Character.Satiety, 100);
    canteen().SpeedButton3->click();
    QCOMPARE(Character.Satiety, 100);
    QCOMPARE(Character.Feces, 25);

    Character.Satiety = -40;
    canteen().SpeedButton4->click();
    QCOMPARE(Character.Satiety, 100);
    Form2->ui().Button1->click();
    Character.Satiety = 250; // meat sets it, whatever it was
    canteen().SpeedButton4->click();
    QCOMPARE(Character.Satiety, 100);
}

void TestCanteenAndInjections::injectionsCostTheirStrengthAndHealUpToAHundred() {
    Character.Money = 100;
    Character.Health = 95;
    Form2->ui().Button2->click();
    QVERIFY(Form9->isVisible() && Form2->isHidden());
    injections().TrackBar1->setValue(5);
    game.services.events.clear();
    QTest::mouseClick(injections().SpeedButton2, Qt::LeftButton);
    QCOMPARE(game.services.sounds(), QStringList{"5.wav"});
    QCOMPARE(Character.Health, 100);
    QCOMPARE(Character.Money, 95);

    QTest::mouseClick(injections().SpeedButton2, Qt::LeftButton); // full health still pays
    QCOMPARE(Character.Health, 100);
    QCOMPARE(Character.Money, 90);

    Character.Health = 10;
    injections().TrackBar1->setValue(20);
    QTest::mouseClick(injections().SpeedButton2, Qt::LeftButton);
    QCOMPARE(Character.Health, 50);
    QCOMPARE(Character.Money, 70);
    QVERIFY(Form9->isVisible()); // the screen stays open

    game.services.events.clear();
    QTest::mouseClick(injections().SpeedButton1, Qt::LeftButton);
    QVERIFY(Form2->isVisible() && Form9->isHidden());
    QCOMPARE(game.services.sounds(), QStringList{"3.wav"});
}

void TestCanteenAndInjections::injectionButtonFollowsTheMoney() {
    Character.Money = 7;
    injections().TrackBar1->setValue(7);
    Form2->ui().Button2->click();
    QVERIFY(injections().SpeedButton2->isEnabled());
    QTest::mouseClick(injections().SpeedButton2, Qt::LeftButton);
    QCOMPARE(Character.Money, 0);
    QVERIFY(!injections().SpeedButton2->isEnabled());

    Character.Money = 6;
    injections().TrackBar1->setValue(8);
    QVERIFY(!injections().SpeedButton2->isEnabled());
    injections().TrackBar1->setValue(6);
    QVERIFY(injections().SpeedButton2->isEnabled());
    // Several in a row until the money runs short.
    injections().TrackBar1->setValue(3);
    QTest::mouseClick(injections().SpeedButton2, Qt::LeftButton);
    QTest::mouseClick(injections().SpeedButton2, Qt::LeftButton);
    QCOMPARE(Character.Money, 0);
    QVERIFY(!injections().SpeedButton2->isEnabled());

    for (int money : {0, -3}) {
        Character.Money = money;
        for (int strength = 1; strength <= 20; ++strength) {
            injections().TrackBar1->setValue(strength);
            QVERIFY(!injections().SpeedButton2->isEnabled());
        }
    }
    QCOMPARE(injections().TrackBar1->minimum(), 1);
    QCOMPARE(injections().TrackBar1->maximum(), 20);
}

void TestCanteenAndInjections::openingAppliesTheMoneyRuleAgain_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<bool>("enabledAfter");
    // The strength is 5 on both visits; only the money changes between them.
    QTest::newRow("spent elsewhere") << 10 << 4 << false;
    QTest::newRow("earned elsewhere") << 4 << 10 << true;
}

void TestCanteenAndInjections::openingAppliesTheMoneyRuleAgain() {
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(bool, enabledAfter);
    injections().TrackBar1->setValue(5);
    Character.Money = before;
    Form2->ui().Button2->click();
    QCOMPARE(injections().SpeedButton2->isEnabled(), !enabledAfter);
    QTest::mouseClick(injections().SpeedButton1, Qt::LeftButton);

    Character.Money = after;
    Form2->ui().Button2->click();
    QCOMPARE(injections().SpeedButton2->isEnabled(), enabledAfter);
}

void TestCanteenAndInjections::priceLabelIsEmptyUntilTheBarFirstMoves() {
    Character.Money = 3;
    Form2->ui().Button2->click();
    QCOMPARE(injections().Label2->text(), QStringLiteral("Цена:"));
    QCOMPARE(injections().Label3->text(), QString());
    QCOMPARE(injections().TrackBar1->value(), 1);
    QVERIFY(injections().SpeedButton2->isEnabled());
    injections().TrackBar1->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(injections().Label3->text(), QStringLiteral("2"));
    QTest::mouseClick(injections().SpeedButton1, Qt::LeftButton);
    Form2->ui().Button2->click();
    QCOMPARE(injections().Label3->text(), QStringLiteral("2"));
}

QTEST_MAIN(TestCanteenAndInjections)
#include "test_canteen_and_injections.moc"
