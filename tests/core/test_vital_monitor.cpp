#include "activities/bins.h"
#include "core/character_state.h"
#include "game_fixture.h"
#include "shell/death_screen.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "ui_death_screen.h"
#include "ui_main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

const QString AccidentBox =
    QStringLiteral("box ПОНОС!!!: Бомж обосрался в штаны и его здоровье ухудшилось");

bool dead() {
    return Form10->isVisible() && Form2->isHidden();
}

// Counts how often a window is raised.
class RaiseCounter : public QObject {
public:
    int raised = 0;
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::ZOrderChange)
            ++raised;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class TestVitalMonitor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void fullFatigueLetsADueAccidentHappenBeforeDeath();
    void fatiguePastTheLimitKillsWithoutAnAccident();
    void zeroIsAliveAndBelowZeroKills_data();
    void zeroIsAliveAndBelowZeroKills();
    void accidentThatTakesHealthBelowZeroKillsOnALaterTick();
    void tickDuringTheAccidentBoxCanKillButNotRepeatTheAccident();
    void realTicksRunBehindARealBox_data();
    void realTicksRunBehindARealBox();
    void deathScreenIsShownOnceAndLeavesTheFocusAlone();
    void minimisedMainWindowGetsNoAccidentUntilBroughtBack();
    void noAccidentWhileTheMainWindowIsHidden();
    void afterDeathTheTrayShowsTheMainWindowForOneTickAtMost();
    void deathSoundRepeatsWhileTheConditionHolds();
    void purchaseButtonsFollowTheDocumentOrder();
    void recyclingButtonFollowsTheCounts();
    void moneyStatusAndBarsAreRedrawn();
    void theEndButtonEndsTheProgram();

private:
    void tick() { Form2->Timer1Timer(); }
    GameFixture game;
};

void TestVitalMonitor::init() {
    game.startAtMainWindow();
}

void TestVitalMonitor::cleanup() {
    game.finishChecked();
}

void TestVitalMonitor::fullFatigueLetsADueAccidentHappenBeforeDeath() {
    Character.Fatigue = 100;
    Character.Feces = 100;
    tick();
    QCOMPARE(game.services.events, QStringList({AccidentBox, "sound 7.wav", "sound 7.wav"}));
    QCOMPARE(Character.Feces, 0);
    QCOMPARE(Character.Health, 65);
    QVERIFY(dead());
}

void TestVitalMonitor::fatiguePastTheLimitKillsWithoutAnAccident() {
    Character.Fatigue = 101;
    Character.Feces = 100;
    tick();
    QVERIFY(dead());
    QVERIFY(!game.services.events.contains(AccidentBox));
    QCOMPARE(Character.Feces, 100);
    QCOMPARE(Character.Health, 100);
}

void TestVitalMonitor::zeroIsAliveAndBelowZeroKills_data() {
    QTest::addColumn<int>("health");
    QTest::addColumn<int>("satiety");
    QTest::addColumn<int>("fatigue");
    QTest::addColumn<bool>("dies");
    QTest::newRow("health 0") << 0 << 50 << 0 << false;
    QTest::newRow("health -1") << -1 << 50 << 0 << true;
    QTest::newRow("satiety 0") << 50 << 0 << 0 << false;
    QTest::newRow("satiety -1") << 50 << -1 << 0 << true;
    QTest::newRow("fatigue 99") << 50 << 50 << 99 << false;
    QTest::newRow("fatigue 100") << 50 << 50 << 100 << true;
    QTest::newRow("health far below") << std::numeric_limits<int>::min() << 50 << 0 << true;
}

void TestVitalMonitor::zeroIsAliveAndBelowZeroKills() {
    QFETCH(int, health);
    QFETCH(int, satiety);
    QFETCH(int, fatigue);
    QFETCH(bool, dies);
    Character.Health = health;
    Character.Satiety = satiety;
    Character.Fatigue = fatigue;
    tick();
    QCOMPARE(dead(), dies);
    QCOMPARE(game.services.sounds(), dies ? QStringList{"7.wav"} : QStringList());
}

void TestVitalMonitor::accidentThatTakesHealthBelowZeroKillsOnALaterTick() {
    Character.Health = 20;
    Character.Feces = 100;
    tick();
    QCOMPARE(Character.Health, -15);
    QVERIFY(!dead());
    QCOMPARE(game.services.boxes(), QStringList{AccidentBox});
    tick();
    QVERIFY(dead());
    QCOMPARE(game.services.boxes().size(), 1);
}

void TestVitalMonitor::tickDuringTheAccidentBoxCanKillButNotRepeatTheAccident() {
    Character.Health = 20;
    Character.Feces = 130;
    bool nested = false;
    game.services.onEvent = [&](const QString &event) {
        if (event == AccidentBox && !nested) {
            nested = true;
            tick(); // a tick while the box waits for the player
            QVERIFY(dead());
        }
    };
    tick();
    QCOMPARE(game.services.events, QStringList({AccidentBox, "sound 7.wav", "sound 7.wav"}));
    QCOMPARE(Character.Feces, 0);
}

void TestVitalMonitor::realTicksRunBehindARealBox_data() {
    QTest::addColumn<bool>("fromTheTick");
    QTest::newRow("the accident's box, opened by the tick") << true;
    QTest::newRow("a notice, opened by a click") << false;
}

// Health drops below zero while a box waits for the player: the running 150 ms timer must
// show the death screen behind it.
void TestVitalMonitor::realTicksRunBehindARealBox() {
    QFETCH(bool, fromTheTick);
    game.services.realBoxes = true;
    bool diedBehindTheBox = false;
    bool closed = false;
    QElapsedTimer open;
    QTimer player;
    connect(&player, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (!open.isValid())
            open.start();
        if (!fromTheTick)
            Character.Health = -1;
        diedBehindTheBox = dead();
        if (diedBehindTheBox || open.elapsed() > 2000) {
            box->button(QMessageBox::Ok)->click();
            closed = true;
        }
    });
    player.start(20);

    Form2->Timer1.start();
    if (fromTheTick) {
        Character.Health = 20; // the accident's -35 leaves -15
        Character.Feces = 100;
    } else {
        Form2->ui().PageControl1->setCurrentIndex(4);
        QTest::mouseClick(Form2->ui().Button8, Qt::LeftButton); // no money
    }
    QTRY_VERIFY_WITH_TIMEOUT(closed, 5000);
    QVERIFY2(diedBehindTheBox, "no tick ran while the box was open");
    QVERIFY(dead());
    QCOMPARE(game.services.boxes().size(), 1);
}

void TestVitalMonitor::deathScreenIsShownOnceAndLeavesTheFocusAlone() {
    Character.Fatigue = 100;
    tick();
    QVERIFY(dead());
    RaiseCounter counter;
    Form10->installEventFilter(&counter);
    // An activity screen left open beside the death screen keeps the focus it is given.
    Form4->show();
    Form4->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(Form4));
    for (int i = 0; i < 3; ++i) {
        tick();
        QCoreApplication::processEvents();
    }
    QCOMPARE(QApplication::activeWindow(), Form4);
    QCOMPARE(counter.raised, 0);
    QVERIFY(dead());
    QCOMPARE(game.services.sounds().count(QStringLiteral("7.wav")), 4);
}

void TestVitalMonitor::minimisedMainWindowGetsNoAccidentUntilBroughtBack() {
    Character.Feces = 100;
    Form2->showMinimized();
    tick();
    QVERIFY(game.services.events.isEmpty());
    QCOMPARE(Character.Feces, 100);
    Form2->VrTrayIcon1DblClick();
    QVERIFY(Form2->isVisible() && !Form2->isMinimized());
    tick();
    QCOMPARE(game.services.boxes(), QStringList{AccidentBox});
}

void TestVitalMonitor::noAccidentWhileTheMainWindowIsHidden() {
    Character.Feces = 120;
    Form2->hide();
    tick();
    tick();
    QVERIFY(game.services.events.isEmpty());
    QCOMPARE(Character.Feces, 120);
    Form2->show();
    tick();
    QCOMPARE(game.services.boxes(), QStringList{AccidentBox});
    QCOMPARE(Character.Feces, 0);
}

void TestVitalMonitor::afterDeathTheTrayShowsTheMainWindowForOneTickAtMost() {
    Character.Satiety = -1;
    tick();
    QVERIFY(dead());
    Form2->VrTrayIcon1DblClick();
    QVERIFY(Form2->isVisible());
    tick();
    QVERIFY(dead());
}

void TestVitalMonitor::deathSoundRepeatsWhileTheConditionHolds() {
    Character.Health = -3;
    tick();
    tick();
    tick();
    QCOMPARE(game.services.sounds(), QStringList({"7.wav", "7.wav", "7.wav"}));
    QVERIFY(dead());
}

void TestVitalMonitor::purchaseButtonsFollowTheDocumentOrder() {
    Ui::TForm2 &ui = Form2->ui();
    const auto flags = [&] {
        return QList<bool>{ui.Button8->isEnabled(), ui.Button9->isEnabled(),
                           ui.Button10->isEnabled()};
    };
    tick();
    QCOMPARE(flags(), QList<bool>({true, false, false}));
    Character.CitizenshipState = DocumentHeld;
    tick();
    QCOMPARE(flags(), QList<bool>({false, true, false}));
    Character.PassportState = DocumentHeld;
    tick();
    QCOMPARE(flags(), QList<bool>({false, false, true}));
    Character.RoomState = DocumentHeld;
    tick();
    QCOMPARE(flags(), QList<bool>({false, false, false}));
    // The room asks for the passport alone, as a loaded game may hold it without citizenship.
    Character.CitizenshipState = 0;
    Character.RoomState = 0;
    tick();
    QCOMPARE(flags(), QList<bool>({true, false, true}));
    // Any value but 2 counts as not held.
    Character.CitizenshipState = 1;
    Character.PassportState = 1;
    tick();
    QCOMPARE(flags(), QList<bool>({true, false, false}));
}

void TestVitalMonitor::recyclingButtonFollowsTheCounts() {
    QPushButton *recycle = Form2->ui().BitBtn1;
    tick();
    QVERIFY(!recycle->isEnabled());
    Character.Bottles = -1;
    tick();
    QVERIFY(recycle->isEnabled());
    Character.Bottles = 0;
    Character.WastePaper = 3;
    tick();
    QVERIFY(recycle->isEnabled());
    Character.WastePaper = 0;
    tick();
    QVERIFY(!recycle->isEnabled());
}

void TestVitalMonitor::moneyStatusAndBarsAreRedrawn() {
    Ui::TForm2 &ui = Form2->ui();
    QCOMPARE(ui.ProgressBar1->value(), 100);
    QCOMPARE(ui.ProgressBar4->value(), 10);
    Character.Money = -1250;
    Character.Health = 103;
    Character.Satiety = 7;
    Character.Fatigue = 42;
    Character.Feces = 99;
    Character.CitizenshipState = DocumentHeld;
    Character.PassportState = DocumentHeld;
    Character.RoomState = DocumentHeld;
    tick();
    QCOMPARE(ui.Label6->text(), QStringLiteral("-1250"));
    QCOMPARE(Character.MoneyText, QStringLiteral("-1250"));
    QCOMPARE(ui.Label9->text(), QStringLiteral("Гражданин России"));
    QCOMPARE(ui.Label10->text(), QStringLiteral("Российский паспорт"));
    QCOMPARE(ui.Label11->text(), QStringLiteral("Комната в коммуналке"));
    QCOMPARE(ui.ProgressBar3->value(), 100);
    QCOMPARE(Character.Health, 103);
    QCOMPARE(ui.ProgressBar1->value(), 7);
    QCOMPARE(ui.ProgressBar2->value(), 42);
    QCOMPARE(ui.ProgressBar4->value(), 99);
    QVERIFY(game.services.events.isEmpty());

    Character.Feces = -20;
    Character.CitizenshipState = 0;
    tick();
    QCOMPARE(ui.ProgressBar4->value(), 0);
    QCOMPARE(ui.Label9->text(), QStringLiteral("Без гражданства"));
}

void TestVitalMonitor::theEndButtonEndsTheProgram() {
    Character.Health = -1;
    tick();
    QVERIFY(dead());
    Ui::TForm10 &ui = Form10->ui();
    QCOMPARE(ui.Panel1->text(), QStringLiteral("БОМЖ УМЕР В ЭТОМ ГРЯЗНОМ И ОБЛЕЗЛОМ МИРЕ."));
    QCOMPARE(ui.SpeedButton1->text(), QStringLiteral("Конец"));
    game.services.events.clear();
    QTest::mouseClick(ui.SpeedButton1, Qt::LeftButton);
    QCOMPARE(game.services.events, QStringList{"end"});
}

QTEST_MAIN(TestVitalMonitor)
#include "test_vital_monitor.moc"
