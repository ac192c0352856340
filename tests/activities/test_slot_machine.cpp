#include "activities/slot_machine.h"
#include "core/character_state.h"
#include "game_fixture.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "ui_main_window.h"
#include "ui_slot_machine.h"

#include <QAccessible>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QTimer>
#include <limits>

namespace {

using Symbols = std::array<int, 5>;

// The same winnings worked out another way: split the row into its maximal runs of equal
// symbols and take the best one, each run worth its symbol's entry for its length.
int referencePayout(const Symbols &s) {
    static const int worth[6][4] = {{1, 10, 50, 500}, {1, 10, 50, 600}, {1, 10, 50, 700},
                                    {2, 15, 70, 800}, {2, 15, 80, 900}, {3, 20, 100, 1000}};
    int best = 0;
    for (int start = 0; start < 5;) {
        int end = start + 1;
        while (end < 5 && s[end] == s[start])
            ++end;
        if (end - start >= 2)
            best = std::max(best, worth[s[start] - 1][end - start - 2]);
        start = end;
    }
    return best;
}

// A fresh draw of reel k on tick t that never equals the reel's final symbol and changes
// from tick to tick, so a stopped reel shows in its picture.
int freshSymbol(const Symbols &final, int k, int tick) {
    return (final[k - 1] + tick % 5) % 6 + 1;
}

void scriptSpin(ScriptedServices &services, const Symbols &final) {
    for (int symbol : final)
        services.script({{6, symbol - 1}});
    for (int tick = 1; tick <= SpinTicks; ++tick)
        for (int k = 1; k <= 5; ++k)
            if (tick <= 30 * k)
                services.script({{6, freshSymbol(final, k, tick) - 1}});
}

QList<QLabel *> reels() {
    Ui::TForm11 &ui = Form11->ui();
    return {ui.Image1, ui.Image2, ui.Image3, ui.Image4, ui.Image5};
}

QImage shownPicture(QLabel *reel) {
    reel->grab(); // a built-in picture is decoded when first drawn
    return reel->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
}

QList<QImage> shownPictures() {
    QList<QImage> pictures;
    for (QLabel *reel : reels())
        pictures << shownPicture(reel);
    return pictures;
}

void saveScreenshot(const char *name) {
    const QString folder = screenshotFolder();
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(Form11->grab().save(folder + "/" + name + ".png"));
}

// Keeps the spin's timer running, so that its state stays visible, without letting it tick:
// the test hands out the ticks itself, and gives the interval back once the spin stops it.
constexpr int HeldInterval = 3600 * 1000;

void holdTimer() {
    QVERIFY(Form11->Timer1.isActive());
    QCOMPARE(Form11->Timer1.interval(), 15);
    Form11->Timer1.start(HeldInterval);
}

} // namespace

class TestSlotMachine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void payoutAgreesWithRunsOverEveryOutcome();
    void screenBeforeTheFirstSpin();
    void spinPaysItsOutcome_data();
    void spinPaysItsOutcome();
    void tooLittleMoneyIsRefused_data();
    void tooLittleMoneyIsRefused();
    void spinRunsReelByReelAndPaysOnTheLastTick();
    void unreadablePicturesShowAnEmptyReel();
    void goingBackMidSpinStillPays();
    void openingShowsTheMoneyAndTheLastSpin();
    void realSpinTakesItsHundredAndFiftyOneTicks();

private:
    // Symbol n's picture as the reels show it.
    QImage symbolPicture(int n) const;
    // The symbol a reel shows, 0 for a picture that is none of them.
    int shownSymbol(QLabel *reel) const;
    void openScreen();
    void startSpin(const Symbols &final);
    void tick(int count);
    GameFixture game;
};

void TestSlotMachine::init() {
    game.startAtMainWindow();
}

void TestSlotMachine::cleanup() {
    game.finishChecked(true);
}

QImage TestSlotMachine::symbolPicture(int n) const {
    return QImage(game.file(QStringLiteral("fr%1.bmp").arg(n)))
        .convertToFormat(QImage::Format_RGB32);
}

int TestSlotMachine::shownSymbol(QLabel *reel) const {
    const QImage shown = shownPicture(reel);
    for (int n = 1; n <= 6; ++n)
        if (shown == symbolPicture(n))
            return n;
    return 0;
}

void TestSlotMachine::openScreen() {
    Form2->ui().Button7->click();
}

void TestSlotMachine::startSpin(const Symbols &final) {
    scriptSpin(game.services, final);
    QTest::mouseClick(Form11->ui().Button1, Qt::LeftButton);
    holdTimer();
}

void TestSlotMachine::tick(int count) {
    for (int i = 0; i < count; ++i)
        Form11->Timer1Timer();
    if (!Form11->Timer1.isActive() && Form11->Timer1.interval() == HeldInterval)
        Form11->Timer1.setInterval(15);
}

void TestSlotMachine::payoutAgreesWithRunsOverEveryOutcome() {
    int nothing = 0;
    int total = 0;
    for (int code = 0; code < 6 * 6 * 6 * 6 * 6; ++code) {
        Symbols s;
        for (int i = 4, rest = code; i >= 0; --i, rest /= 6)
            s[i] = rest % 6 + 1;
        const int paid = payout(s);
        QCOMPARE(paid, referencePayout(s));
        nothing += paid == 0;
        total += paid;
    }
    QCOMPARE(nothing, 3750);
    QCOMPARE(total, 21246);
}

void TestSlotMachine::screenBeforeTheFirstSpin() {
    Ui::TForm11 &ui = Form11->ui();
    QCOMPARE(Form11->windowTitle(), QStringLiteral("Игровой автомат \"Крутифрукт\""));
    QVERIFY(ui.Button1->isEnabled());
    QVERIFY(!Form11->Timer1.isActive());

    // Five different built-in pictures, none of them a symbol file.
    const QStringList builtIn = {"reel_cherries", "reel_apple", "reel_banana", "reel_seven",
                                 "reel_dollar"};
    for (int i = 0; i < 5; ++i) {
        QLabel *reel = reels()[i];
        QCOMPARE(reel->size(), QSize(50, 50));
        QVERIFY(reel->hasScaledContents());
        QCOMPARE(shownPicture(reel), QImage(QStringLiteral(":/pictures/%1.png").arg(builtIn[i]))
                                         .convertToFormat(QImage::Format_RGB32));
    }
    // Every control is named for screen readers and lies wholly inside the window.
    for (QWidget *control : Form11->findChildren<QWidget *>()) {
        QVERIFY2(!QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty(),
                 qPrintable(control->objectName()));
        QVERIFY2(Form11->rect().contains(QRect(control->mapTo(Form11, QPoint()), control->size())),
                 qPrintable(control->objectName()));
    }

    // The longest texts fit their labels.
    const auto fits = [](QLabel *label) { return label->width() >= label->sizeHint().width(); };
    for (int money : {std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}) {
        Character.Money = money;
        openScreen();
        QVERIFY2(fits(ui.Label2), qPrintable(ui.Label2->text()));
        Form11->ui().SpeedButton1->click();
    }
    ui.Label4->setText(QStringLiteral("Выигрыш: 1000"));
    for (QLabel *label : {ui.Label1, ui.Label3, ui.Label4})
        QVERIFY2(fits(label), qPrintable(label->objectName()));
    ui.Label4->setText(QStringLiteral("Выигрыш: 0"));

    Character.Money = 25;
    openScreen();
    QVERIFY(QTest::qWaitForWindowExposed(Form11));
    saveScreenshot("slot-machine");
}

void TestSlotMachine::spinPaysItsOutcome_data() {
    QTest::addColumn<Symbols>("symbols");
    QTest::addColumn<int>("paid");
    QTest::newRow("1 2 3 4 5") << Symbols{1, 2, 3, 4, 5} << 0;
    QTest::newRow("1 2 1 2 1") << Symbols{1, 2, 1, 2, 1} << 0;
    QTest::newRow("1 1 3 1 1") << Symbols{1, 1, 3, 1, 1} << 1;
    QTest::newRow("1 1 2 6 6") << Symbols{1, 1, 2, 6, 6} << 3;
    QTest::newRow("5 5 1 6 6") << Symbols{5, 5, 1, 6, 6} << 3;
    QTest::newRow("6 6 1 1 1") << Symbols{6, 6, 1, 1, 1} << 10;
    QTest::newRow("3 3 3 4 4") << Symbols{3, 3, 3, 4, 4} << 10;
    QTest::newRow("2 2 2 2 1") << Symbols{2, 2, 2, 2, 1} << 50;
    QTest::newRow("6 6 6 6 5") << Symbols{6, 6, 6, 6, 5} << 100;
    QTest::newRow("4 4 4 4 4") << Symbols{4, 4, 4, 4, 4} << 800;
    QTest::newRow("6 6 6 6 6") << Symbols{6, 6, 6, 6, 6} << 1000;
}

void TestSlotMachine::spinPaysItsOutcome() {
    QFETCH(Symbols, symbols);
    QFETCH(int, paid);
    QCOMPARE(payout(symbols), paid);

    Character.Money = 5;
    openScreen();
    startSpin(symbols);
    QCOMPARE(Symbols({Form11->Reel1, Form11->Reel2, Form11->Reel3, Form11->Reel4, Form11->Reel5}),
             symbols);
    tick(SpinTicks);
    QCOMPARE(Character.Money, 3 + paid);
    QCOMPARE(Form11->ui().Label4->text(), QStringLiteral("Выигрыш: %1").arg(paid));
    QCOMPARE(Form11->ui().Label2->text(), QString::number(3 + paid));
    for (int k = 1; k <= 5; ++k)
        QCOMPARE(shownSymbol(reels()[k - 1]), symbols[k - 1]);
}

void TestSlotMachine::tooLittleMoneyIsRefused_data() {
    QTest::addColumn<int>("money");
    QTest::newRow("1") << 1;
    QTest::newRow("0") << 0;
    QTest::newRow("-1") << -1;
    QTest::newRow("lowest") << std::numeric_limits<int>::min();
}

void TestSlotMachine::tooLittleMoneyIsRefused() {
    QFETCH(int, money);
    Character.Money = money;
    openScreen();
    const QList<QImage> before = shownPictures();
    game.services.events.clear();

    QTest::mouseClick(Form11->ui().Button1, Qt::LeftButton);
    QCOMPARE(game.services.events, QStringList{"notice Не хватает денег!"});
    QCOMPARE(Character.Money, money);
    QCOMPARE(Form11->ui().Label2->text(), QString::number(money));
    QCOMPARE(Form11->ui().Label4->text(), QStringLiteral("Выигрыш: 0"));
    QVERIFY(Form11->ui().Button1->isEnabled());
    QVERIFY(!Form11->Timer1.isActive());
    QCOMPARE(Form11->SpinTick, 0);
    QCOMPARE(Form11->Reel1, 0);
    QCOMPARE(shownPictures(), before);
}

void TestSlotMachine::spinRunsReelByReelAndPaysOnTheLastTick() {
    Ui::TForm11 &ui = Form11->ui();
    Character.Money = 2;
    openScreen();
    game.services.events.clear();

    const Symbols first = {2, 2, 5, 5, 5}; // pays 15
    startSpin(first);
    QVERIFY(game.services.events.isEmpty()); // no sound, no box
    QCOMPARE(Character.Money, 0);
    QCOMPARE(ui.Label2->text(), QStringLiteral("0"));
    QVERIFY(!ui.Button1->isEnabled());
    QCOMPARE(Form11->SpinTick, 0);

    for (int t = 1; t <= SpinTicks; ++t) {
        tick(1);
        QCOMPARE(Form11->SpinTick, t);
        for (int k = 1; k <= 5; ++k) {
            const int expected = t <= 30 * k ? freshSymbol(first, k, t) : first[k - 1];
            QVERIFY2(shownSymbol(reels()[k - 1]) == expected,
                     qPrintable(QStringLiteral("reel %1 on tick %2").arg(k).arg(t)));
        }
        if (t < SpinTicks) {
            QVERIFY(Form11->Timer1.isActive());
            QVERIFY(!ui.Button1->isEnabled());
            QCOMPARE(ui.Label4->text(), QStringLiteral("Выигрыш: 0"));
            QCOMPARE(Character.Money, 0);
        }
    }
    QVERIFY(!Form11->Timer1.isActive());
    QVERIFY(ui.Button1->isEnabled());
    QCOMPARE(ui.Label4->text(), QStringLiteral("Выигрыш: 15"));
    QCOMPARE(ui.Label2->text(), QStringLiteral("15"));
    QCOMPARE(Character.Money, 15);

    QVERIFY(QTest::qWaitForWindowExposed(Form11));
    saveScreenshot("slot-machine-spun");

    // The next spin shows the last payout until it pays its own.
    startSpin({6, 1, 6, 1, 6});
    tick(SpinTicks - 1);
    QCOMPARE(ui.Label4->text(), QStringLiteral("Выигрыш: 15"));
    QCOMPARE(Character.Money, 13);
    tick(1);
    QCOMPARE(ui.Label4->text(), QStringLiteral("Выигрыш: 0"));
    QCOMPARE(Character.Money, 13);
}

void TestSlotMachine::unreadablePicturesShowAnEmptyReel() {
    QVERIFY(QFile::remove(game.file(QStringLiteral("fr3.bmp"))));
    QFile garbage(game.file(QStringLiteral("fr5.bmp")));
    QVERIFY(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
    garbage.write("BM this is not a picture");
    garbage.close();

    Character.Money = 2;
    openScreen();
    startSpin({3, 3, 3, 5, 1});
    tick(SpinTicks);
    QCOMPARE(Character.Money, 10);
    QCOMPARE(Form11->ui().Label4->text(), QStringLiteral("Выигрыш: 10"));
    QVERIFY(Form11->ui().Button1->isEnabled());
    QVERIFY(!Form11->Timer1.isActive());

    QCOMPARE(shownSymbol(reels()[4]), 1);
    const QImage empty = shownPicture(reels()[0]);
    QCOMPARE(empty.size(), QSize(50, 50));
    QCOMPARE(shownSymbol(reels()[0]), 0);
    for (int k = 2; k <= 4; ++k) // missing and unreadable look the same
        QCOMPARE(shownPicture(reels()[k - 1]), empty);
    for (int y = 0; y < empty.height(); ++y)
        for (int x = 0; x < empty.width(); ++x)
            QVERIFY(QColor(empty.pixel(x, y)).lightness() > 160);
}

void TestSlotMachine::goingBackMidSpinStillPays() {
    Character.Money = 10;
    openScreen();
    startSpin({6, 6, 6, 6, 6});
    tick(70);
    game.services.events.clear();

    QTest::mouseClick(Form11->ui().SpeedButton1, Qt::LeftButton);
    QCOMPARE(game.services.sounds(), QStringList{"3.wav"});
    QVERIFY(Form11->isHidden() && Form2->isVisible());

    // Back during the spin: the money after the charge, and no second spin.
    openScreen();
    QCOMPARE(Form11->ui().Label2->text(), QStringLiteral("8"));
    QVERIFY(!Form11->ui().Button1->isEnabled());
    Form11->ui().SpeedButton1->click();

    tick(SpinTicks - 70);
    QCOMPARE(Character.Money, 1008);
    QVERIFY(Form11->isHidden());
    Form2->Timer1Timer();
    QCOMPARE(Form2->ui().Label6->text(), QStringLiteral("1008"));
}

void TestSlotMachine::openingShowsTheMoneyAndTheLastSpin() {
    Character.Money = 4;
    openScreen();
    startSpin({4, 4, 4, 4, 4});
    tick(SpinTicks);
    Form11->ui().SpeedButton1->click();
    const QList<QImage> left = shownPictures();

    Character.Money = 77;
    game.services.events.clear();
    openScreen();
    QCOMPARE(game.services.sounds(), QStringList{"3.wav"});
    QVERIFY(Form11->isVisible() && Form2->isHidden());
    QCOMPARE(Form11->ui().Label2->text(), QStringLiteral("77"));
    QCOMPARE(Form11->ui().Label4->text(), QStringLiteral("Выигрыш: 800"));
    QCOMPARE(shownPictures(), left);
    QVERIFY(Form11->ui().Button1->isEnabled());
}

void TestSlotMachine::realSpinTakesItsHundredAndFiftyOneTicks() {
    Character.Money = 2;
    openScreen();
    QVERIFY(QTest::qWaitForWindowExposed(Form11));
    scriptSpin(game.services, {1, 1, 1, 1, 1});

    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(10000, this, [] {}); // wakes the wait below should the spin never end
    Form11->ui().Button1->click();
    while (!Form11->ui().Button1->isEnabled() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    const qint64 elapsed = clock.elapsed();

    QCOMPARE(Form11->SpinTick, SpinTicks);
    QCOMPARE(Character.Money, 500);
    const double ratio = elapsed / (SpinTicks * 15.0);
    qInfo("a spin took %lld ms, %.3f times 151 ticks of 15 ms", elapsed, ratio);
    QVERIFY(ratio >= 0.98);
    QVERIFY(ratio < 2.0);
}

QTEST_MAIN(TestSlotMachine)
#include "test_slot_machine.moc"
