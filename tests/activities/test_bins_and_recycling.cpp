#include "activities/bin_find.h"
#include "activities/bins.h"
#include "activities/recycling.h"
#include "core/character_state.h"
#include "game_fixture.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "ui_bin_find.h"
#include "ui_bins.h"
#include "ui_main_window.h"
#include "ui_recycling.h"

#include <QTest>

namespace {

const QString WrongBin =
    QStringLiteral("box О помойке: Какой-то нехороший бомж уже обшарил вашу помойку");

QList<bool> binButtons() {
    Ui::TForm4 &ui = Form4->ui();
    return {ui.Button1->isEnabled(), ui.Button2->isEnabled(), ui.Button3->isEnabled()};
}

const QList<bool> AllEnabled = {true, true, true};
const QList<bool> AllDisabled = {false, false, false};

} // namespace

class TestBinsAndRecycling : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void visitCostsVitalsEvenWithoutAPick();
    void wrongBinLeavesOnlyTheWayBack();
    void rightBinFillsTheBagAndShowsTheFind();
    void findsAreNeverEmptyAndNeverCapped();
    void binsOpenedAgainBeforeGoingBackKeepTheirButtons();
    void recyclingPaysThreePerBottleAndOnePerKilo_data();
    void recyclingPaysThreePerBottleAndOnePerKilo();
    void recyclingChargesVitalsAndShowsTheReceipt();

private:
    // A visit whose draws are given: fatigue 0..4, the bin 1..3, bottles 1..7, paper 1..12.
    void visit(int fatigue, int bin, int bottles, int paper);
    GameFixture game;
};

void TestBinsAndRecycling::init() {
    game.startAtMainWindow();
}

void TestBinsAndRecycling::cleanup() {
    game.finishChecked(true);
}

void TestBinsAndRecycling::visit(int fatigue, int bin, int bottles, int paper) {
    game.services.script({{5, fatigue}, {3, bin - 1}, {7, bottles - 1}, {12, paper - 1}});
    Form2->ui().Button5->click();
}

void TestBinsAndRecycling::visitCostsVitalsEvenWithoutAPick() {
    visit(4, 2, 3, 12);
    QVERIFY(Form4->isVisible() && Form2->isHidden());
    QCOMPARE(binButtons(), AllEnabled);
    QCOMPARE(Character.Fatigue, 5);
    QCOMPARE(Character.Health, 97);
    QCOMPARE(Character.Satiety, 97);
    QCOMPARE(Character.Feces, 2);
    QCOMPARE(Character.LuckyBin, 2);
    QCOMPARE(Character.BinBottlesText, QStringLiteral("3"));
    QCOMPARE(Character.BinPaperText, QStringLiteral("12"));

    QTest::mouseClick(Form4->ui().SpeedButton1, Qt::LeftButton);
    QVERIFY(Form2->isVisible() && Form4->isHidden());
    QCOMPARE(Character.Bottles, 0);
    QCOMPARE(Character.WastePaper, 0);
    QCOMPARE(game.services.sounds(), QStringList({"3.wav", "3.wav"}));
}

void TestBinsAndRecycling::wrongBinLeavesOnlyTheWayBack() {
    visit(0, 3, 5, 5);
    QTest::mouseClick(Form4->ui().Button1, Qt::LeftButton);
    QCOMPARE(game.services.boxes(), QStringList{WrongBin});
    QCOMPARE(binButtons(), AllDisabled);
    QVERIFY(Form4->isVisible());
    QVERIFY(Form4->ui().SpeedButton1->isEnabled());
    QCOMPARE(Character.Bottles, 0);
    QCOMPARE(Character.BinBottlesText, QStringLiteral("5"));

    QTest::mouseClick(Form4->ui().SpeedButton1, Qt::LeftButton);
    QVERIFY(Form2->isVisible());
    visit(0, 1, 1, 1);
    QCOMPARE(binButtons(), AllEnabled);
    QTest::mouseClick(Form4->ui().SpeedButton1, Qt::LeftButton);
}

void TestBinsAndRecycling::rightBinFillsTheBagAndShowsTheFind() {
    Character.Bottles = 2;
    visit(0, 2, 3, 12);
    QTest::mouseClick(Form4->ui().Button2, Qt::LeftButton);
    QVERIFY(Form5->isVisible() && Form4->isHidden());
    QCOMPARE(Form5->ui().Label3->text(), QStringLiteral("Бомж нашел в помойке:"));
    QCOMPARE(Form5->ui().Label1->text(), QStringLiteral("Чебурашки-3 шт."));
    QCOMPARE(Form5->ui().Label2->text(), QStringLiteral("Макулатура-12 кг."));
    QCOMPARE(Character.Bottles, 5);
    QCOMPARE(Character.WastePaper, 12);
    QCOMPARE(binButtons(), AllDisabled);
    QVERIFY(game.services.boxes().isEmpty());

    QTest::mouseClick(Form5->ui().Button1, Qt::LeftButton);
    QVERIFY(Form2->isVisible() && Form5->isHidden() && Form4->isHidden());
    QCOMPARE(binButtons(), AllEnabled);

    // The next visit prefixes its own texts once.
    visit(0, 1, 7, 1);
    QTest::mouseClick(Form4->ui().Button1, Qt::LeftButton);
    QCOMPARE(Form5->ui().Label1->text(), QStringLiteral("Чебурашки-7 шт."));
    QCOMPARE(Form5->ui().Label2->text(), QStringLiteral("Макулатура-1 кг."));
}

void TestBinsAndRecycling::findsAreNeverEmptyAndNeverCapped() {
    Character.Bottles = std::numeric_limits<std::int32_t>::max() - 2;
    Character.BagCapacity = 2;
    visit(0, 3, 7, 12);
    QCOMPARE(Character.BinBottles, 7);
    QCOMPARE(Character.BinPaper, 12);
    QTest::mouseClick(Form4->ui().Button3, Qt::LeftButton);
    QCOMPARE(Character.Bottles, std::numeric_limits<std::int32_t>::max());
    QCOMPARE(Character.WastePaper, 12);
}

void TestBinsAndRecycling::binsOpenedAgainBeforeGoingBackKeepTheirButtons() {
    visit(0, 1, 2, 2);
    QTest::mouseClick(Form4->ui().Button1, Qt::LeftButton);
    // The tray brings the main window back while the find is still shown.
    Form2->VrTrayIcon1DblClick();
    visit(0, 2, 2, 2);
    QVERIFY(Form4->isVisible());
    QCOMPARE(binButtons(), AllDisabled);
    QTest::mouseClick(Form4->ui().SpeedButton1, Qt::LeftButton);
    QCOMPARE(binButtons(), AllEnabled);
}

void TestBinsAndRecycling::recyclingPaysThreePerBottleAndOnePerKilo_data() {
    QTest::addColumn<int>("bottles");
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("earned");
    QTest::addColumn<QString>("shown");
    QTest::newRow("both") << 5 << 7 << 22 << "22";
    QTest::newRow("bottles only") << 4 << 0 << 12 << "12";
    QTest::newRow("paper only") << 0 << 9 << 9 << "9";
    QTest::newRow("nothing") << 0 << 0 << 0 << "0";
    QTest::newRow("large") << 1000000 << 250000 << 3250000 << "3250000";
    QTest::newRow("negative") << -1 << 0 << -3 << "-3";
    QTest::newRow("beyond 32 bits") << std::numeric_limits<std::int32_t>::max() << 7
                                    << std::numeric_limits<std::int32_t>::max() << "2147483647";
}

void TestBinsAndRecycling::recyclingPaysThreePerBottleAndOnePerKilo() {
    QFETCH(int, bottles);
    QFETCH(int, paper);
    QFETCH(int, earned);
    QFETCH(QString, shown);
    Character.Bottles = bottles;
    Character.WastePaper = paper;
    Form2->ui().BitBtn1->click();
    QCOMPARE(Form7->ui().Label3->text(), shown);
    QCOMPARE(Character.Money, earned);
    QCOMPARE(Character.Bottles, 0);
    QCOMPARE(Character.WastePaper, 0);
}

void TestBinsAndRecycling::recyclingChargesVitalsAndShowsTheReceipt() {
    Character.Bottles = 1;
    Character.Satiety = 0;
    Character.Money = 5;
    Form2->ui().BitBtn1->click();
    QVERIFY(Form7->isVisible() && Form2->isHidden());
    QCOMPARE(Character.Fatigue, 2);
    QCOMPARE(Character.Satiety, -1);
    QCOMPARE(Character.Health, 98);
    QCOMPARE(Character.Feces, 2);
    QCOMPARE(Character.Money, 8);
    QCOMPARE(Form7->ui().Label1->text(), QStringLiteral("Чебурашки и макулатура сданы !"));
    QCOMPARE(Form7->ui().Label2->text(), QStringLiteral("Заработано денег :"));
    // The sum follows the caption as wide as its face draws it.
    const QRect caption = Form7->ui().Label2->geometry();
    QCOMPARE(caption.width(), Form7->ui().Label2->sizeHint().width());
    QCOMPARE(Form7->ui().Label3->x(), caption.right() + 10);

    Form2->Timer1Timer(); // the cost alone kills; the receipt stays open
    QVERIFY(Form7->isVisible());
    QVERIFY(!Form2->ui().BitBtn1->isEnabled());

    QTest::mouseClick(Form7->ui().SpeedButton1, Qt::LeftButton);
    QVERIFY(Form2->isVisible() && Form7->isHidden());
    QCOMPARE(game.services.sounds(), QStringList({"3.wav", "7.wav", "3.wav"}));
}

QTEST_MAIN(TestBinsAndRecycling)
#include "test_bins_and_recycling.moc"
