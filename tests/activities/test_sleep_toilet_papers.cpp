#include "core/character_state.h"
#include "game_fixture.h"
#include "shell/death_screen.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "ui_main_window.h"

#include <QTest>
#include <array>

namespace {

const QString NotEnough = QStringLiteral("notice Недостаточно денег!");
const QString GameOver =
    QStringLiteral("notice Игра закончена. Но если вы хотите, можете продолжать играть дальше");

bool dead() {
    return Form10->isVisible();
}

// Papers by their place in the order of buying: citizenship, passport, room.
QPushButton *paperButton(int paper) {
    Ui::TForm2 &ui = Form2->ui();
    return std::array{ui.Button8, ui.Button9, ui.Button10}.at(paper);
}

int paperState(int paper) {
    return std::array<int, 3>{Character.CitizenshipState, Character.PassportState,
                              Character.RoomState}
        .at(paper);
}

// Holds the papers that come before this one, so that the tick enables its button.
void holdPapersBefore(int paper) {
    if (paper > 0)
        Character.CitizenshipState = DocumentHeld;
    if (paper > 1)
        Character.PassportState = DocumentHeld;
    Form2->ui().PageControl1->setCurrentIndex(4);
}

} // namespace

class TestSleepToiletPapers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void sleepRestsAtTheCostOfSatiety();
    void sleepAtThirtySatietyLivesAndAtTwentyNineDies();
    void sleepCanBringOnTheAccident();
    void toiletEmptiesTheBowelAndCostsALittle();
    void toiletCanKill_data();
    void toiletCanKill();
    void purchaseNeedsTheWholePrice_data();
    void purchaseNeedsTheWholePrice();
    void aPaperIsPaidOnce_data();
    void aPaperIsPaidOnce();
    void documentsAreBoughtInOrderAndTheRoomEndsTheGame();

private:
    void tick() { Form2->Timer1Timer(); }
    GameFixture game;
};

void TestSleepToiletPapers::init() {
    game.startAtMainWindow();
}

void TestSleepToiletPapers::cleanup() {
    game.finishChecked();
}

void TestSleepToiletPapers::sleepRestsAtTheCostOfSatiety() {
    Character.Fatigue = 95;
    Form2->ui().Button3->click();
    QCOMPARE(Character.Fatigue, 0);
    QCOMPARE(Character.Satiety, 70);
    QCOMPARE(Character.Feces, 11);
    QCOMPARE(Character.Health, 103); // no cap on health here
    QCOMPARE(game.services.sounds(), QStringList{"6.wav"});
    QVERIFY(Form2->isVisible());
}

void TestSleepToiletPapers::sleepAtThirtySatietyLivesAndAtTwentyNineDies() {
    Character.Satiety = 30;
    Form2->ui().Button3->click();
    tick();
    QCOMPARE(Character.Satiety, 0);
    QVERIFY(!dead());

    Character.Satiety = 29;
    Form2->ui().Button3->click();
    tick();
    QCOMPARE(Character.Satiety, -1);
    QVERIFY(dead());
}

void TestSleepToiletPapers::sleepCanBringOnTheAccident() {
    Character.Feces = 89;
    Form2->ui().Button3->click();
    QCOMPARE(Character.Feces, 100);
    tick();
    QCOMPARE(Character.Feces, 0);
    QCOMPARE(Character.Health, 68);
    QCOMPARE(game.services.boxes().size(), 1);
}

void TestSleepToiletPapers::toiletEmptiesTheBowelAndCostsALittle() {
    Character.Feces = 99;
    Character.Fatigue = 10;
    Form2->ui().SpeedButton3->click();
    QCOMPARE(game.services.sounds(), QStringList{"7.wav"});
    QCOMPARE(Character.Feces, 0);
    QCOMPARE(Character.Health, 99);
    QCOMPARE(Character.Fatigue, 11);
    QCOMPARE(Character.Satiety, 97);
}

void TestSleepToiletPapers::toiletCanKill_data() {
    QTest::addColumn<int>("health");
    QTest::addColumn<int>("satiety");
    QTest::addColumn<int>("fatigue");
    QTest::newRow("health 0") << 0 << 50 << 0;
    QTest::newRow("satiety 2") << 50 << 2 << 0;
    QTest::newRow("fatigue 99") << 50 << 50 << 99;
}

void TestSleepToiletPapers::toiletCanKill() {
    QFETCH(int, health);
    QFETCH(int, satiety);
    QFETCH(int, fatigue);
    Character.Health = health;
    Character.Satiety = satiety;
    Character.Fatigue = fatigue;
    Form2->ui().SpeedButton3->click();
    QVERIFY(!dead());
    tick();
    QVERIFY(dead());
}

void TestSleepToiletPapers::purchaseNeedsTheWholePrice_data() {
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("money");
    QTest::addColumn<bool>("bought");
    QTest::addColumn<QStringList>("events");
    const QStringList refused = {"sound 3.wav", NotEnough};
    QTest::newRow("citizenship 1999") << 0 << 1999 << false << refused;
    QTest::newRow("citizenship 2000") << 0 << 2000 << true << QStringList{"sound 3.wav"};
    QTest::newRow("passport -5") << 1 << -5 << false << refused;
    QTest::newRow("passport 3000") << 1 << 3000 << true << QStringList{"sound 3.wav"};
    QTest::newRow("room 49999") << 2 << 49999 << false << refused;
    QTest::newRow("room 50000") << 2 << 50000 << true << QStringList({"sound 3.wav", GameOver});
}

void TestSleepToiletPapers::purchaseNeedsTheWholePrice() {
    QFETCH(int, paper);
    QFETCH(int, money);
    QFETCH(bool, bought);
    QFETCH(QStringList, events);
    holdPapersBefore(paper);
    Character.Money = money;
    tick();
    game.services.events.clear();
    QTest::mouseClick(paperButton(paper), Qt::LeftButton);
    QCOMPARE(game.services.events, events);
    QCOMPARE(Character.Money, bought ? 0 : money);
    QCOMPARE(paperState(paper), bought ? DocumentHeld : 0);
}

void TestSleepToiletPapers::aPaperIsPaidOnce_data() {
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("moneyLeft");
    QTest::addColumn<QStringList>("events");
    const QStringList twoClicks = {"sound 3.wav", "sound 3.wav"};
    QTest::newRow("citizenship") << 0 << 98000 << twoClicks;
    QTest::newRow("passport") << 1 << 97000 << twoClicks;
    QTest::newRow("room") << 2 << 50000 << QStringList({"sound 3.wav", GameOver, "sound 3.wav"});
}

// A quick second click lands before the tick has disabled the button.
void TestSleepToiletPapers::aPaperIsPaidOnce() {
    QFETCH(int, paper);
    QFETCH(int, moneyLeft);
    QFETCH(QStringList, events);
    holdPapersBefore(paper);
    Character.Money = 100000;
    tick();
    game.services.events.clear();
    QTest::mouseClick(paperButton(paper), Qt::LeftButton);
    QTest::mouseClick(paperButton(paper), Qt::LeftButton);
    QCOMPARE(Character.Money, moneyLeft);
    QCOMPARE(paperState(paper), DocumentHeld);
    QCOMPARE(game.services.events, events);
}

void TestSleepToiletPapers::documentsAreBoughtInOrderAndTheRoomEndsTheGame() {
    Ui::TForm2 &ui = Form2->ui();
    Character.Money = 55000;
    tick();
    QVERIFY(ui.Button8->isEnabled() && !ui.Button9->isEnabled() && !ui.Button10->isEnabled());
    ui.PageControl1->setCurrentIndex(4);
    QTest::mouseClick(ui.Button9, Qt::LeftButton); // disabled: nothing happens
    QCOMPARE(Character.PassportState, 0);

    QTest::mouseClick(ui.Button8, Qt::LeftButton);
    tick();
    QVERIFY(!ui.Button8->isEnabled() && ui.Button9->isEnabled());
    QTest::mouseClick(ui.Button9, Qt::LeftButton);
    tick();
    QVERIFY(!ui.Button9->isEnabled() && ui.Button10->isEnabled());
    QCOMPARE(Character.Money, 50000);
    game.services.events.clear();
    QTest::mouseClick(ui.Button10, Qt::LeftButton);
    QCOMPARE(game.services.events, QStringList({"sound 3.wav", GameOver}));
    QCOMPARE(Character.RoomState, DocumentHeld);
    QCOMPARE(Character.Money, 0);
    tick();
    QVERIFY(!ui.Button10->isEnabled());
    QCOMPARE(ui.Label11->text(), QStringLiteral("Комната в коммуналке"));

    // Play goes on: sleeping still works.
    ui.Button3->click();
    QCOMPARE(Character.Satiety, 70);
}

QTEST_MAIN(TestSleepToiletPapers)
#include "test_sleep_toilet_papers.moc"
