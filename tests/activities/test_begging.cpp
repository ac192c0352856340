#include "activities/begging.h"
#include "core/character_state.h"
#include "game_fixture.h"
#include "shell/death_screen.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "ui_begging.h"
#include "ui_main_window.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdint>
#include <ctime>

namespace {

struct Run {
    int hours = 1;
    QList<int> coins; // per step, 0..hours; missing steps give 0
    int extra = 0;    // randomBelow(3 * hours)
    int fatigue = 0;  // randomBelow(4)
    int feces = 0;    // randomBelow(5)
    int health = 0;   // randomBelow(3)
    int satiety = 0;  // randomBelow(3)
    int pace = 0;     // randomBelow(10 * hours): each step waits (pace + 1) * hours ms
};

void script(ScriptedServices &services, const Run &run) {
    for (int step = 0; step < 100; ++step)
        services.script({{run.hours + 1, run.coins.value(step, 0)}, {10 * run.hours, run.pace}});
    services.script({{3 * run.hours, run.extra},
                     {4, run.fatigue},
                     {5, run.feces},
                     {3, run.health},
                     {3, run.satiety}});
}

QList<int> ones(int count) {
    return QList<int>(count, 1);
}

// Which of the screen's controls are shown, in the screen's own order.
QStringList shown() {
    Ui::TForm3 &ui = Form3->ui();
    QStringList names;
    for (QWidget *w : std::initializer_list<QWidget *>{
             ui.Label1, ui.ComboBox1, ui.Button1, ui.Image1, ui.Label2, ui.SpinEdit1, ui.Button2,
             ui.Label3, ui.Label4, ui.ProgressBar1, ui.SpeedButton1})
        if (!w->isHidden())
            names << w->objectName();
    return names;
}

const QStringList ChoosingPlace = {"Label1", "ComboBox1", "Button1", "Image1"};
const QStringList ChoosingHours = {"Label1", "ComboBox1", "Button1", "Image1",
                                   "Label2", "SpinEdit1", "Button2"};
const QStringList Result = {"Label3", "Label4", "SpeedButton1"};

} // namespace

class TestBegging : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void tallyIsRoundedHalfToEven_data();
    void tallyIsRoundedHalfToEven();
    void runPaysItsAmountAndChargesTheVitals();
    void fourHoursMultiplyEveryDraw();
    void placeMakesNoDifference();
    void arrangementsAndWhatSurvivesGoingBack();
    void duringARunOnlyThePlaceListWorks();
    void mainWindowTicksDuringARun();
    void eachStepWaitsItsDrawTimesTheHours();
    void waitCountsAcrossTheTickCounterWrapAround();

private:
    void openAndChooseHours(int hours);
    GameFixture game;
};

void TestBegging::init() {
    game.startAtMainWindow();
}

void TestBegging::cleanup() {
    game.finishChecked(true);
}

void TestBegging::openAndChooseHours(int hours) {
    Form2->ui().Button4->click();
    QTest::mouseClick(Form3->ui().Button1, Qt::LeftButton);
    Form3->ui().SpinEdit1->setValue(hours);
}

void TestBegging::tallyIsRoundedHalfToEven_data() {
    QTest::addColumn<int>("tally");
    QTest::addColumn<int>("tenth");
    for (auto [s, n] : std::initializer_list<std::pair<int, int>>{{0, 0},
                                                                  {4, 0},
                                                                  {5, 0},
                                                                  {6, 1},
                                                                  {15, 2},
                                                                  {25, 2},
                                                                  {26, 3},
                                                                  {35, 4},
                                                                  {95, 10},
                                                                  {400, 40}})
        QTest::addRow("%d", s) << s << n;
}

void TestBegging::tallyIsRoundedHalfToEven() {
    QFETCH(int, tally);
    QFETCH(int, tenth);
    QCOMPARE(tenthRoundedHalfEven(tally), tenth);
}

void TestBegging::runPaysItsAmountAndChargesTheVitals() {
    Character.Money = 10;
    openAndChooseHours(1);
    QCOMPARE(game.services.sounds(), QStringList({"3.wav", "3.wav"}));
    QVERIFY(Form3->isVisible() && Form2->isHidden());

    // A tally of 35 gives 4, and 2 more from the last draw.
    script(game.services, {1, ones(35), 2, 3, 4, 2, 0});
    QTest::mouseClick(Form3->ui().Button2, Qt::LeftButton);

    QCOMPARE(Form3->ui().Label4->text(), QStringLiteral("6"));
    QCOMPARE(Character.Money, 16);
    QCOMPARE(Character.Fatigue, 5);
    QCOMPARE(Character.Feces, 5);
    QCOMPARE(Character.Health, 96);
    QCOMPARE(Character.Satiety, 98);
    QCOMPARE(shown(), Result);
    QCOMPARE(Form3->ui().ProgressBar1->value(), 100);
    QCOMPARE(game.services.events.count(QStringLiteral("reseed")), 1);
}

void TestBegging::fourHoursMultiplyEveryDraw() {
    Character.Satiety = 3;
    openAndChooseHours(4);
    // Every step brings the most: 400 coins give 40, plus the largest extra of 11.
    script(game.services, {4, QList<int>(100, 4), 11, 3, 4, 2, 2});
    Form3->ui().Button2->click();
    QCOMPARE(Form3->ui().Label4->text(), QStringLiteral("51"));
    QCOMPARE(Character.Money, 51);
    QCOMPARE(Character.Fatigue, 20);
    QCOMPARE(Character.Feces, 20);
    QCOMPARE(Character.Health, 84);
    QCOMPARE(Character.Satiety, -13); // past its limit: nothing here stops it
    QVERIFY(Form3->isVisible());
}

void TestBegging::placeMakesNoDifference() {
    QList<int> amounts;
    for (int place = 0; place < 4; ++place) {
        Form2->ui().Button4->click();
        Form3->ui().ComboBox1->setCurrentIndex(place);
        QTest::mouseClick(Form3->ui().Button1, Qt::LeftButton);
        Form3->ui().SpinEdit1->setValue(2);
        script(game.services, {2, ones(25), 1, 0, 0, 0, 0});
        Form3->ui().Button2->click();
        amounts << Form3->ui().Label4->text().toInt();
        QTest::mouseClick(Form3->ui().SpeedButton1, Qt::LeftButton);
    }
    QCOMPARE(amounts, QList<int>({3, 3, 3, 3}));
    QCOMPARE(Character.Money, 12);
}

void TestBegging::arrangementsAndWhatSurvivesGoingBack() {
    Form2->ui().Button4->click();
    QCOMPARE(shown(), ChoosingPlace);
    QVERIFY(Form3->ui().ComboBox1->isEnabled() && Form3->ui().Button1->isEnabled());
    QCOMPARE(Form3->ui().ComboBox1->currentText(), QStringLiteral("Универсам"));

    QTest::mouseClick(Form3->ui().Button1, Qt::LeftButton);
    QCOMPARE(shown(), ChoosingHours);
    QVERIFY(!Form3->ui().ComboBox1->isEnabled() && !Form3->ui().Button1->isEnabled());
    QCOMPARE(Form3->ui().SpinEdit1->value(), 1);
    QCOMPARE(Form3->ui().SpinEdit1->minimum(), 1);
    QCOMPARE(Form3->ui().SpinEdit1->maximum(), 4);
    Form3->ui().SpinEdit1->setValue(3);
    Form3->ui().ComboBox1->setCurrentIndex(2);

    script(game.services, {3, ones(30), 0, 0, 0, 0, 0});
    Form3->ui().Button2->click();
    QCOMPARE(shown(), Result);

    game.services.events.clear();
    QTest::mouseClick(Form3->ui().SpeedButton1, Qt::LeftButton);
    QCOMPARE(game.services.sounds(), QStringList{"3.wav"});
    QVERIFY(Form2->isVisible() && Form3->isHidden());
    QCOMPARE(shown(), ChoosingPlace);
    QVERIFY(Form3->ui().ComboBox1->isEnabled() && Form3->ui().Button1->isEnabled());
    QCOMPARE(Form3->ui().Label4->text(), QStringLiteral("3"));
    QCOMPARE(Form3->ui().ComboBox1->currentIndex(), 2);
    QCOMPARE(Form3->ui().ProgressBar1->value(), 100);

    Form2->ui().Button4->click();
    QTest::mouseClick(Form3->ui().Button1, Qt::LeftButton);
    QCOMPARE(Form3->ui().SpinEdit1->value(), 3);

    // Typing cannot take the hours out of their range; the arrows stop at the bounds.
    QVERIFY(Form3->ui().SpinEdit1->findChild<QLineEdit *>()->isReadOnly());
    Form3->ui().SpinEdit1->stepBy(5);
    QCOMPARE(Form3->ui().SpinEdit1->value(), 4);
    Form3->ui().SpinEdit1->stepBy(-9);
    QCOMPARE(Form3->ui().SpinEdit1->value(), 1);
}

void TestBegging::duringARunOnlyThePlaceListWorks() {
    openAndChooseHours(1);
    QStringList midRun;
    bool listEnabled = false;
    bool choiceEnabled = true;
    QTimer::singleShot(0, this, [&] {
        midRun = shown();
        listEnabled = Form3->ui().ComboBox1->isEnabled();
        choiceEnabled = Form3->ui().Button1->isEnabled();
    });
    script(game.services, {1, {}, 0, 0, 0, 0, 0});
    Form3->ui().Button2->click();
    QCOMPARE(midRun, QStringList({"Label1", "ComboBox1", "Button1", "Image1", "ProgressBar1"}));
    QVERIFY(listEnabled);
    QVERIFY(!choiceEnabled);
}

void TestBegging::mainWindowTicksDuringARun() {
    openAndChooseHours(1);
    Character.Satiety = -1; // the tick sees it before the run ends
    int stepAtDeath = -1;
    game.services.onEvent = [&](const QString &event) {
        if (event == QStringLiteral("sound 7.wav") && stepAtDeath < 0)
            stepAtDeath = Form3->ui().ProgressBar1->value();
    };
    Form2->Timer1.start(5);
    QElapsedTimer clock;
    clock.start();
    script(game.services, {1, {}, 0, 0, 0, 0, 0});
    Form3->ui().Button2->click();
    QVERIFY(clock.elapsed() >= 100); // a hundred waits of at least 1 ms
    QVERIFY2(stepAtDeath >= 0 && stepAtDeath < 100, qPrintable(QString::number(stepAtDeath)));
    QVERIFY(Form10->isVisible());
    QVERIFY(Form3->isVisible()); // death does not close the begging screen
    QCOMPARE(shown(), Result);
}

void TestBegging::eachStepWaitsItsDrawTimesTheHours() {
    // With d = 5 and V = 2, a wait of d, V, d + V, d * d, d * V * V or 10 * V ms per step
    // falls outside the bounds below.
    const int hours = 2;
    const int draw = 5;
    const std::uint32_t wait = draw * hours;
    openAndChooseHours(hours);
    QList<std::uint32_t> at{game.services.tickCount()};
    const QMetaObject::Connection step =
        connect(Form3->ui().ProgressBar1, &QProgressBar::valueChanged, this,
                [&] { at << game.services.tickCount(); });
    script(game.services, {hours, {}, 0, 0, 0, 0, 0, draw - 1});
    Form3->ui().Button2->click();
    disconnect(step);

    QCOMPARE(at.size(), 101);
    std::uint32_t shortest = UINT32_MAX;
    for (int i = 1; i < at.size(); ++i) {
        QVERIFY2(at[i] - at[i - 1] >= wait,
                 qPrintable(QStringLiteral("step %1 took %2 ms").arg(i).arg(at[i] - at[i - 1])));
        shortest = std::min(shortest, at[i] - at[i - 1]);
    }
    // A loaded machine stretches many steps, never all: the shortest shows the wait asked for.
    QVERIFY2(shortest < 2 * wait,
             qPrintable(QStringLiteral("%1 ms the shortest step").arg(shortest)));
}

void TestBegging::waitCountsAcrossTheTickCounterWrapAround() {
    game.services.clockStart = 0xFFFFFFFFu - 10;
    QElapsedTimer clock;
    clock.start();
    const std::clock_t processor = std::clock();
    PumpingWait(300);
    QVERIFY(clock.elapsed() >= 299);
    QVERIFY(clock.elapsed() < 2000);
    // Idle while it waits: polling for events would keep a core busy the whole time.
    QVERIFY2(std::clock() - processor < CLOCKS_PER_SEC / 20,
             qPrintable(QStringLiteral("%1 ms of processor time")
                            .arg((std::clock() - processor) * 1000 / CLOCKS_PER_SEC)));

    int processed = 0;
    QTimer::singleShot(0, this, [&] { ++processed; });
    PumpingWait(1);
    QCOMPARE(processed, 1);
}

QTEST_MAIN(TestBegging)
#include "test_begging.moc"
