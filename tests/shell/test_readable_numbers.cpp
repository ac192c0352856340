#include "activities/begging.h"
#include "activities/bin_find.h"
#include "activities/canteen.h"
#include "activities/injections.h"
#include "activities/market.h"
#include "activities/recycling.h"
#include "activities/slot_machine.h"
#include "core/character_state.h"
#include "game_fixture.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "ui_begging.h"
#include "ui_bin_find.h"
#include "ui_canteen.h"
#include "ui_injections.h"
#include "ui_main_window.h"
#include "ui_market.h"
#include "ui_recycling.h"
#include "ui_slot_machine.h"
#include "widgets/fitting_label.h"

#include <QDir>
#include <QFontInfo>
#include <QTest>
#include <algorithm>
#include <iterator>
#include <limits>

namespace {

constexpr int Lowest = std::numeric_limits<int>::min();
constexpr int Highest = std::numeric_limits<int>::max();

void changeTabTwice() {
    Form2->ui().PageControl1->setCurrentIndex(1);
    Form2->ui().PageControl1->setCurrentIndex(0);
}

template <SaturatingInt CharacterState::*Good> void goodsPanel(int value) {
    Character.*Good = value;
    changeTabTwice();
}

template <SaturatingInt CharacterState::*Good> void canteenPanel(int value) {
    Character.*Good = value;
    Form2->ui().Button1->click();
}

void moneyByTick(int value) {
    Character.Money = value;
    Form2->Timer1Timer();
}

void slotMachineMoney(int value) {
    Character.Money = value;
    Form2->ui().Button7->click();
}

// Waste paper is paid one to one, so the result is the stock handed in.
void recyclingResult(int value) {
    Character.WastePaper = value;
    Form2->BitBtn1Click();
}

// The price shows once the bar has moved.
void injectionPrice(int value) {
    Form2->ui().Button2->click();
    Form9->ui().TrackBar1->setValue(Form9->ui().TrackBar1->maximum());
    Form9->ui().TrackBar1->setValue(value);
}

void openMarket(int) {
    Form2->ui().Button6->click();
}

// Four hours of begging: each step brings up to 4 coins, a tenth of them is paid, plus an
// extra of up to 11; at most 51 in all.
void beggingRun(int value, ScriptedServices &services) {
    const int coins = std::min(value / 10, 4);
    Form2->ui().Button4->click();
    Form3->ui().Button1->click();
    Form3->ui().SpinEdit1->setValue(4);
    for (int step = 0; step < 100; ++step)
        services.script({{5, coins}, {40, 0}});
    services.script({{12, value - 10 * coins}, {4, 0}, {5, 0}, {3, 0}, {3, 0}});
    Form3->ui().Button2->click();
}

// The label in a frame two lines of its face high: a caption that wraps to more must shrink.
FittingLabel *twoLinesHigh(FittingLabel *label) {
    label->window()->ensurePolished();
    const QFontMetrics metrics(label->font());
    const int frame = label->height() - label->contentsRect().height() + 2 * label->margin();
    label->setFixedHeight(metrics.height() + metrics.lineSpacing() + frame);
    return label;
}

struct NumberControl {
    const char *name;
    const char *prefix;
    void (*show)(int value);
    FittingLabel *(*label)();
};

// Every control that shows a number, with the game's own way of putting a value in it.
const NumberControl Controls[] = {
    {"Panel1", "Чебурашки: ", goodsPanel<&CharacterState::Bottles>,
     [] { return Form2->ui().Panel1; }},
    {"Panel2", "Макулатура (кг): ", goodsPanel<&CharacterState::WastePaper>,
     [] { return Form2->ui().Panel2; }},
    {"Panel3", "Хлеб: ", goodsPanel<&CharacterState::Bread>, [] { return Form2->ui().Panel3; }},
    {"Panel4", "Макароны: ", goodsPanel<&CharacterState::Pasta>, [] { return Form2->ui().Panel4; }},
    {"Panel5", "Спички: ", goodsPanel<&CharacterState::Matches>, [] { return Form2->ui().Panel5; }},
    {"Panel6", "Сигареты: ", goodsPanel<&CharacterState::Cigarettes>,
     [] { return Form2->ui().Panel6; }},
    {"Panel7", "Жевачка: ", goodsPanel<&CharacterState::Gum>, [] { return Form2->ui().Panel7; }},
    {"Panel8", "Мясо(кг): ", goodsPanel<&CharacterState::Meat>, [] { return Form2->ui().Panel8; }},
    {"Panel9", "Вместимость сумки: ", goodsPanel<&CharacterState::BagCapacity>,
     [] { return Form2->ui().Panel9; }},
    {"Panel9 two lines high", "Вместимость сумки: ", goodsPanel<&CharacterState::BagCapacity>,
     [] { return twoLinesHigh(Form2->ui().Panel9); }},
    {"money", "", moneyByTick, [] { return Form2->ui().Label6; }},
    {"slot machine money", "", slotMachineMoney, [] { return Form11->ui().Label2; }},
    {"canteen bread", "Хлеб: ", canteenPanel<&CharacterState::Bread>,
     [] { return Form8->ui().Panel3; }},
    {"canteen pasta", "Макароны: ", canteenPanel<&CharacterState::Pasta>,
     [] { return Form8->ui().Panel4; }},
    {"canteen meat", "Мясо(кг): ", canteenPanel<&CharacterState::Meat>,
     [] { return Form8->ui().Panel8; }},
    {"recycling", "", recyclingResult, [] { return Form7->ui().Label3; }},
};

// The labels whose numbers no play can drive to the record's limits still hold them.
const NumberControl BoundedControls[] = {
    {"injection price", "", injectionPrice, [] { return Form9->ui().Label3; }},
    {"bag price", "", openMarket, [] { return Form6->ui().Label12; }},
    {"begging result", "", nullptr, [] { return Form3->ui().Label4; }},
};

// The whole caption is drawn, the number on one line, inside the label's contents.
void verifyDrawnWhole(FittingLabel *label, const QString &caption, const QString &number) {
    label->window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(label->window()));
    QCOMPARE(label->text(), caption);
    const FittedText shown = label->shown();
    QCOMPARE(shown.lines.join(QLatin1Char(' ')), caption);
    QVERIFY2(std::any_of(shown.lines.begin(), shown.lines.end(),
                         [&](const QString &line) { return line.contains(number); }),
             qPrintable(shown.lines.join(QLatin1Char('|'))));
    const QFontMetrics metrics(shown.font);
    const QRect room = label->contentsRect();
    for (const QString &line : shown.lines)
        QVERIFY2(metrics.boundingRect(line).width() <= room.width(),
                 qPrintable(QStringLiteral("%1 is %2 px wide in %3 px")
                                .arg(line)
                                .arg(metrics.boundingRect(line).width())
                                .arg(room.width())));
    const int height =
        metrics.height() + static_cast<int>(shown.lines.size() - 1) * metrics.lineSpacing();
    QVERIFY2(height <= room.height(),
             qPrintable(QStringLiteral("%1 px of text in %2 px").arg(height).arg(room.height())));
    // As drawn: no ink in the outermost columns of the contents, where a cut glyph would be.
    const QImage drawn = label->grab().toImage();
    const QRgb background = drawn.pixel(room.topLeft());
    for (int x : {room.left(), room.right()})
        for (int y = room.top(); y <= room.bottom(); ++y)
            QVERIFY2(drawn.pixel(x, y) == background,
                     qPrintable(QStringLiteral("ink at %1, %2").arg(x).arg(y)));
}

void verifyNormalFont(FittingLabel *label) {
    QCOMPARE(QFontInfo(label->shown().font).pixelSize(), QFontInfo(label->font()).pixelSize());
}

} // namespace

class TestReadableNumbers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        game.start();
        Form2->Timer1.stop();
    }
    void cleanup() { game.finish(); }

    void numbersShownByPlay_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("typical");
        const struct {
            int value;
            bool typical;
        } values[] = {{Lowest, false}, {0, true},        {99, true},
                      {480, true},     {1234567, false}, {Highest, false}};
        for (int c = 0; c < int(std::size(Controls)); ++c)
            for (const auto &v : values)
                QTest::addRow("%s %d", Controls[c].name, v.value) << c << v.value << v.typical;
    }
    void numbersShownByPlay() {
        QFETCH(int, control);
        QFETCH(int, value);
        QFETCH(bool, typical);
        const NumberControl &shown = Controls[control];
        shown.show(value);
        const QString number = QString::number(value);
        verifyDrawnWhole(shown.label(), QString::fromUtf8(shown.prefix) + number, number);
        if (typical)
            verifyNormalFont(shown.label());
    }

    void boundedNumbers_data() {
        QTest::addColumn<int>("control");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("byPlay");
        QTest::addRow("injection price 1") << 0 << 1 << true;
        QTest::addRow("injection price 20") << 0 << 20 << true;
        QTest::addRow("bag price 200") << 1 << 200 << true;
        for (int c = 0; c < int(std::size(BoundedControls)); ++c)
            for (int value : {Lowest, Highest})
                QTest::addRow("%s %d", BoundedControls[c].name, value) << c << value << false;
    }
    void boundedNumbers() {
        QFETCH(int, control);
        QFETCH(int, value);
        QFETCH(bool, byPlay);
        const NumberControl &shown = BoundedControls[control];
        const QString number = QString::number(value);
        if (byPlay)
            shown.show(value);
        else
            shown.label()->setText(number);
        verifyDrawnWhole(shown.label(), number, number);
        if (byPlay)
            verifyNormalFont(shown.label());
    }

    void beggingRuns_data() {
        QTest::addColumn<int>("amount");
        QTest::addRow("nothing") << 0;
        QTest::addRow("the most") << 51;
    }
    void beggingRuns() {
        QFETCH(int, amount);
        beggingRun(amount, game.services);
        QCOMPARE(game.services.problems, QStringList());
        const QString number = QString::number(amount);
        verifyDrawnWhole(Form3->ui().Label4, number, number);
        verifyNormalFont(Form3->ui().Label4);
    }

    void pigeonsLineKeepsTheSumWithItsUnit() {
        Form2->ui().PageControl1->setCurrentIndex(3);
        FittingLabel *label = Form2->ui().Label14;
        verifyDrawnWhole(label,
                         QStringLiteral("Пожалуйста щелкните по голубям и бомж получит 10 коп.!"),
                         QStringLiteral("10 коп.!"));
        verifyNormalFont(label);
    }

    void binFindHeadingKeepsClearOfItsFrame() {
        Ui::TForm5 &find = Form5->ui();
        verifyDrawnWhole(find.Label3, QStringLiteral("Бомж нашел в помойке:"),
                         QStringLiteral("помойке:"));
        verifyNormalFont(find.Label3);
        const QRect inside = find.Bevel1->geometry().marginsRemoved(QMargins(4, 4, 4, 4));
        QVERIFY(inside.contains(find.Label3->geometry()));
    }

    // Pictures of the screens with every number at the record's limits and at a usual
    // value, to look at.
    void screensAtTheLimits_data() {
        QTest::addColumn<int>("value");
        QTest::addRow("lowest") << Lowest;
        QTest::addRow("480") << 480;
        QTest::addRow("highest") << Highest;
    }
    void screensAtTheLimits() {
        QFETCH(int, value);
        QVERIFY(QDir().mkpath(folder));
        const QString limit = QString::fromUtf8(QTest::currentDataTag());
        for (SaturatingInt CharacterState::*good :
             {&CharacterState::Bottles, &CharacterState::WastePaper, &CharacterState::Bread,
              &CharacterState::Pasta, &CharacterState::Matches, &CharacterState::Cigarettes,
              &CharacterState::Gum, &CharacterState::Meat, &CharacterState::BagCapacity})
            Character.*good = value;
        changeTabTwice();
        moneyByTick(value);
        save(Form2, QStringLiteral("numbers-main-") + limit);
        canteenPanel<&CharacterState::Bread>(value);
        save(Form8, QStringLiteral("numbers-canteen-") + limit);
        slotMachineMoney(value);
        save(Form11, QStringLiteral("numbers-slot-machine-") + limit);
        recyclingResult(value);
        save(Form7, QStringLiteral("numbers-recycling-") + limit);
        beggingRun(51, game.services);
        Form3->ui().Label4->setText(QString::number(value));
        save(Form3, QStringLiteral("numbers-begging-") + limit);
        Form9->ui().Label3->setText(QString::number(value));
        save(Form9, QStringLiteral("numbers-injections-") + limit);
    }

private:
    void save(QWidget *screen, const QString &name) {
        screen->show();
        QVERIFY(QTest::qWaitForWindowExposed(screen));
        QVERIFY(screen->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
        screen->hide();
    }

    GameFixture game;
    const QString folder = screenshotFolder();
};

QTEST_MAIN(TestReadableNumbers)
#include "test_readable_numbers.moc"
