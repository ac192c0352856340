#include "core/character_state.h"

#include <QTest>
#include <limits>

class TestCharacterState : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void beforeStartUpEverythingIsZeroAndEmpty();
    void newGameResetClearsThePlayersGame();
    void newGameResetLeavesWorkingValuesAlone();
    void arithmeticStopsAtThe32BitLimits();
};

void TestCharacterState::beforeStartUpEverythingIsZeroAndEmpty() {
    const CharacterState fresh;
    QCOMPARE(fresh.Money, 0);
    QCOMPARE(fresh.BagCapacity, 0);
    QCOMPARE(fresh.Health, 0);
    QCOMPARE(fresh.Satiety, 0);
    QCOMPARE(fresh.BuyPrice, 0);
    QCOMPARE(fresh.SellPrice, 0);
    QVERIFY(fresh.AppDir.isEmpty());
    QVERIFY(fresh.MoneyText.isEmpty());
}

void TestCharacterState::newGameResetClearsThePlayersGame() {
    CharacterState s;
    s.CitizenshipState = 2;
    s.PassportState = 2;
    s.RoomState = 1;
    s.Bottles = 4;
    s.WastePaper = -3;
    s.Bread = 1;
    s.Pasta = 2;
    s.Matches = 3;
    s.Cigarettes = 4;
    s.Gum = 5;
    s.Meat = 6;
    s.Money = 51234;
    s.BagCapacity = 9;
    s.Health = 103;
    s.Feces = 70;
    s.Fatigue = 99;
    s.Satiety = -1;

    newGameReset(s);

    for (int value :
         {s.CitizenshipState, s.PassportState, s.RoomState, s.Bottles, s.WastePaper, s.Bread,
          s.Pasta, s.Matches, s.Cigarettes, s.Gum, s.Meat, s.Money, s.Feces, s.Fatigue})
        QCOMPARE(value, 0);
    QCOMPARE(s.BagCapacity, 2);
    QCOMPARE(s.Health, 100);
    QCOMPARE(s.Satiety, 100);
}

void TestCharacterState::newGameResetLeavesWorkingValuesAlone() {
    CharacterState s;
    s.AppDir = QStringLiteral("/games/skitalia");
    s.MoneyText = QStringLiteral("777");
    s.BuyPrice = 50;
    s.SellPrice = 60;
    s.SelectedStock = 8;
    s.LuckyBin = 3;
    s.BinBottles = 7;
    s.BinPaper = 12;
    s.BinBottlesText = QStringLiteral("Чебурашки-7 шт.");
    s.BinPaperText = QStringLiteral("Макулатура-12 кг.");

    newGameReset(s);

    QCOMPARE(s.AppDir, QStringLiteral("/games/skitalia"));
    QCOMPARE(s.MoneyText, QStringLiteral("777"));
    QCOMPARE(s.BuyPrice, 50);
    QCOMPARE(s.SellPrice, 60);
    QCOMPARE(s.SelectedStock, 8);
    QCOMPARE(s.LuckyBin, 3);
    QCOMPARE(s.BinBottles, 7);
    QCOMPARE(s.BinPaper, 12);
    QCOMPARE(s.BinBottlesText, QStringLiteral("Чебурашки-7 шт."));
    QCOMPARE(s.BinPaperText, QStringLiteral("Макулатура-12 кг."));
}

void TestCharacterState::arithmeticStopsAtThe32BitLimits() {
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t min = std::numeric_limits<std::int32_t>::min();

    SaturatingInt money = max - 1;
    money += 3 * SaturatingInt(max).wide();
    QCOMPARE(std::int32_t(money), max);
    money -= 1;
    QCOMPARE(std::int32_t(money), max - 1);

    SaturatingInt health = min + 10;
    health -= 35;
    QCOMPARE(std::int32_t(health), min);
    health += 35;
    QCOMPARE(std::int32_t(health), min + 35);

    SaturatingInt extreme = 5;
    extreme -= std::numeric_limits<std::int64_t>::min();
    QCOMPARE(std::int32_t(extreme), max);
    extreme += std::numeric_limits<std::int64_t>::min();
    QCOMPARE(std::int32_t(extreme), min);

    SaturatingInt ordinary = -7;
    ordinary += 10;
    QCOMPARE(std::int32_t(ordinary), 3);
}

QTEST_APPLESS_MAIN(TestCharacterState)
#include "test_character_state.moc"
