#include "activities/begging.h"
#include "activities/bin_find.h"
#include "activities/bins.h"
#include "activities/canteen.h"
#include "activities/injections.h"
#include "activities/market.h"
#include "activities/recycling.h"
#include "activities/slot_machine.h"
#include "core/character_state.h"
#include "core/prices.h"
#include "core/vital_monitor.h"
#include "game_fixture.h"
#include "persistence/save_screen.h"
#include "shell/death_screen.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "shell/title_screen.h"
#include "ui_begging.h"
#include "ui_bin_find.h"
#include "ui_bins.h"
#include "ui_canteen.h"
#include "ui_death_screen.h"
#include "ui_injections.h"
#include "ui_main_window.h"
#include "ui_market.h"
#include "ui_recycling.h"
#include "ui_save_screen.h"
#include "ui_slot_machine.h"
#include "ui_title_screen.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QFile>
#include <QTest>
#include <functional>

namespace {

// A key as the player presses it: through the window, to whatever has its focus, with the
// window's shortcuts looked at first.
void press(QWidget *screen, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(screen->windowHandle(), key, modifiers);
}

// The focus moves once the handler that showed a screen has ended.
void settle() {
    QCoreApplication::processEvents();
}

void openTitle() {
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    settle();
}

// A screen, how to open it, the control that should then have the focus, and whether
// Escape then leaves it.
struct Opening {
    const char *name;
    std::function<void()> open;
    std::function<QWidget *()> focused;
    bool escapeLeaves = true;
};

// What a screen reader was told outright, without a focus change: each showing of a
// notification.
class Telling : public QObject {
public:
    Telling() { qApp->installEventFilter(this); }
    bool eventFilter(QObject *object, QEvent *event) override {
        if (event->type() == QEvent::Show && object->isWidgetType())
            if (QAccessibleInterface *seen = QAccessible::queryAccessibleInterface(object);
                seen->role() == QAccessible::Notification)
                told << seen->text(QAccessible::Name);
        return false;
    }
    QStringList told;
};

// A one-hour begging run that collects nothing, with one millisecond between steps.
void scriptShortBegging(ScriptedServices &services) {
    for (int step = 0; step < 100; ++step)
        services.script({{2, 0}, {10, 0}});
    services.script({{3, 0}, {4, 0}, {5, 0}, {3, 0}, {3, 0}});
}

const std::vector<Opening> &openings(ScriptedServices &services) {
    static std::vector<Opening> table;
    table = {
        {"title", [] { openTitle(); }, [] { return Form1->ui().Image2; }, false},
        {"main window on its trades page",
         [] {
             Form2->ui().PageControl1->setCurrentIndex(2);
             Form1->Image2Click();
         },
         [] { return Form2->ui().Button4; }, false},
        // "НАЗАД" shows only once a run is over.
        {"begging, the place", [] { Form2->Button4Click(); }, [] { return Form3->ui().ComboBox1; },
         false},
        {"begging, the hours",
         [] {
             Form2->Button4Click();
             Form3->ui().Button1->click();
         },
         [] { return Form3->ui().SpinEdit1; }, false},
        {"begging, the result",
         [&services] {
             scriptShortBegging(services);
             Form2->Button4Click();
             Form3->ui().Button1->click();
             Form3->ui().Button2->click();
         },
         [] { return Form3->ui().SpeedButton1; }},
        {"market", [] { Form2->Button6Click(); }, [] { return Form6->ui().RadioButton1; }},
        // Only the pasta is there: the flags set after showing decide the first control.
        {"canteen",
         [] {
             Character.Pasta = 1;
             Form2->Button1Click();
         },
         [] { return Form8->ui().SpeedButton3; }},
        {"canteen with nothing to eat", [] { Form2->Button1Click(); },
         [] { return Form8->ui().SpeedButton1; }},
        // The last visit left the focus on "НАЗАД" and every food disabled.
        {"canteen, a later visit",
         [] {
             Form2->Button1Click();
             settle();
             Form8->ui().SpeedButton1->click();
             Character.Pasta = 1;
             Form2->Button1Click();
         },
         [] { return Form8->ui().SpeedButton3; }},
        {"injections", [] { Form2->Button2Click(); }, [] { return Form9->ui().TrackBar1; }},
        {"slot machine", [] { Form2->Button7Click(); }, [] { return Form11->ui().Button1; }},
        {"save", [] { Form2->N2Click(); }, [] { return Form12->ui().Edit1; }},
        {"death",
         [] {
             Character.Health = -1;
             Form2->Timer1Timer();
         },
         [] { return Form10->ui().SpeedButton1; }, false},
    };
    return table;
}

// The focus at first and after each key, each followed by a tick of the main window, which
// may disable the focused control.
QList<QWidget *> focusWalk(QWidget *screen, const QList<Qt::Key> &keys) {
    settle();
    QList<QWidget *> walked = {screen->focusWidget()};
    for (Qt::Key key : keys) {
        press(screen, key);
        Form2->Timer1Timer();
        walked << screen->focusWidget();
    }
    return walked;
}

QList<QWidget *> tabOrder(QWidget *screen, int length) {
    return focusWalk(screen, QList<Qt::Key>(length - 1, Qt::Key_Tab));
}

// Five symbols and every fresh draw of the reels for one spin.
void scriptSpin(ScriptedServices &services) {
    for (int symbol = 1; symbol <= 5; ++symbol)
        services.script({{6, symbol - 1}});
    for (int tick = 1; tick <= SpinTicks; ++tick)
        for (int reel = 1; reel <= 5; ++reel)
            if (tick <= 30 * reel)
                services.script({{6, 0}});
}

QString nameOf(QWidget *widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

} // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void titleStartsOnEnterOrSpace_data();
    void titleStartsOnEnterOrSpace();
    void eachScreenFocusesItsFirstUsefulControl_data();
    void eachScreenFocusesItsFirstUsefulControl();
    void theFocusGoesWhereThePlayerExpects_data();
    void theFocusGoesWhereThePlayerExpects();
    void pagesTurnByAWindowShortcut_data();
    void pagesTurnByAWindowShortcut();
    void enterAndSpacePressTheFocusedControl_data();
    void enterAndSpacePressTheFocusedControl();
    void plusAndMinusStepTheMarketsQuantity_data();
    void plusAndMinusStepTheMarketsQuantity();
    void spinBoxesStepByOne_data();
    void spinBoxesStepByOne();
    void spaceSpinsAgainAfterASpin();
    void saveScreenTakesEnterAndEscape_data();
    void saveScreenTakesEnterAndEscape();
    void namesAreTheVisibleTexts();
    void screenReadersHearWhatIsShown_data();
    void screenReadersHearWhatIsShown();
    void changesUnderTheFocusAreTold();

private:
    GameFixture game;
};

void TestKeyboard::init() {
    game.start();
    Form2->Timer1.stop();
}

void TestKeyboard::cleanup() {
    game.finishChecked();
}

void TestKeyboard::titleStartsOnEnterOrSpace_data() {
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("Enter") << Qt::Key_Return;
    QTest::newRow("keypad Enter") << Qt::Key_Enter;
    QTest::newRow("Space") << Qt::Key_Space;
}

void TestKeyboard::titleStartsOnEnterOrSpace() {
    QFETCH(Qt::Key, key);
    openTitle();
    press(Form1, key);
    QVERIFY(!Form1->isVisible() && Form2->isVisible());
    QVERIFY(!Form1->isEnabled());
    QCOMPARE(Character.BuyPrice, 5); // the click's own handler ran
}

void TestKeyboard::eachScreenFocusesItsFirstUsefulControl_data() {
    QTest::addColumn<int>("row");
    for (int row = 0; row < static_cast<int>(openings(game.services).size()); ++row)
        QTest::newRow(openings(game.services)[static_cast<std::size_t>(row)].name) << row;
}

// The focus shows from the start, as after a Tab; Escape leaves by the screen's "НАЗАД" and
// presses nothing else: on the death screen it does not end the game.
void TestKeyboard::eachScreenFocusesItsFirstUsefulControl() {
    QFETCH(int, row);
    const Opening &opening = openings(game.services)[static_cast<std::size_t>(row)];
    opening.open();
    settle();
    QWidget *expected = opening.focused();
    QWidget *screen = expected->window();
    QVERIFY(expected->isVisible());
    QCOMPARE(screen->focusWidget(), expected);
    QVERIFY(QTest::qWaitForWindowActive(screen));
    const QImage focused = expected->grab().toImage();
    expected->clearFocus();
    QVERIFY2(expected->grab().toImage() != focused, "no focus frame to be seen");
    expected->setFocus();

    press(screen, Qt::Key_Escape);
    QCOMPARE(screen->isVisible(), !opening.escapeLeaves);
    QVERIFY(!game.services.events.contains(QStringLiteral("end")));
    if (opening.escapeLeaves && screen != Form12)
        QVERIFY(Form2->isVisible());
}

// Tab, and a control the rules disable under the focus, never lead to "▁", "НАЗАД" or an
// action the player did not choose, which his next Space would press.
void TestKeyboard::theFocusGoesWhereThePlayerExpects_data() {
    QTest::addColumn<std::function<QList<QWidget *>()>>("walk");
    QTest::addColumn<std::function<QList<QWidget *>()>>("expected");
    QTest::newRow("main window, life page: the page, then \"▁\", never \"✕\"") << std::function([] {
        Form2->ui().PageControl1->setCurrentIndex(1);
        showScreen(Form2);
        settle();
        return tabOrder(Form2, 6);
    }) << std::function([] {
        Ui::TForm2 &ui = Form2->ui();
        return QList<QWidget *>{ui.Button1,      ui.Button2,      ui.Button3,
                                ui.SpeedButton3, ui.SpeedButton2, ui.Button1};
    });
    // The goods page has no control: the page holds the focus, and Tab, Tab, Space must not
    // end the game.
    QTest::newRow("main window, goods page: only \"▁\"") << std::function([] {
        Form2->ui().PageControl1->setCurrentIndex(0);
        showScreen(Form2);
        settle();
        return tabOrder(Form2, 3);
    }) << std::function([] {
        Ui::TForm2 &ui = Form2->ui();
        return QList<QWidget *>{ui.TabSheet1, ui.SpeedButton2, ui.SpeedButton2};
    });
    QTest::newRow("begging: the hours take the focus") << std::function([] {
        Form2->Button4Click();
        return focusWalk(Form3, {Qt::Key_Tab, Qt::Key_Space, Qt::Key_Tab, Qt::Key_Tab});
    }) << std::function([] {
        Ui::TForm3 &ui = Form3->ui();
        return QList<QWidget *>{ui.ComboBox1, ui.Button1, ui.SpinEdit1, ui.Button2, ui.SpinEdit1};
    });
    QTest::newRow("market: the goods, never the quantity") << std::function([] {
        Character.Bread = 5;
        Character.Money = 100;
        Form2->Button6Click();
        settle();
        press(Form6, Qt::Key_Space);
        return tabOrder(Form6, 5);
    }) << std::function([] {
        Ui::TForm6 &ui = Form6->ui();
        return QList<QWidget *>{ui.RadioButton1, ui.Button1, ui.Button2, ui.Button3,
                                ui.SpeedButton1};
    });
    QTest::newRow("injections: strength, injection, back") << std::function([] {
        Character.Money = 5;
        Form2->Button2Click();
        settle();
        return tabOrder(Form9, 3);
    }) << std::function([] {
        Ui::TForm9 &ui = Form9->ui();
        return QList<QWidget *>{ui.TrackBar1, ui.SpeedButton2, ui.SpeedButton1};
    });
    QTest::newRow("documents bought: the next for sale, after the room the page")
        << std::function([] {
               Character.Money = CitizenshipPrice + PassportPrice + RoomPrice;
               Form2->ui().PageControl1->setCurrentIndex(4);
               showScreen(Form2);
               return focusWalk(Form2, {Qt::Key_Space, Qt::Key_Space, Qt::Key_Space});
           })
        << std::function([] {
               Ui::TForm2 &ui = Form2->ui();
               return QList<QWidget *>{ui.Button8, ui.Button9, ui.Button10, ui.TabSheet5};
           });
    QTest::newRow("recycling emptied by a new game: the page, then Tab on") << std::function([] {
        Character.Bottles = 1;
        Form2->ui().PageControl1->setCurrentIndex(2);
        showScreen(Form2);
        settle();
        Form2->Timer1Timer();
        Form2->ui().BitBtn1->setFocus();
        Form2->N9Click();
        Form2->Timer1Timer();
        return focusWalk(Form2, {Qt::Key_Tab});
    }) << std::function([] {
        return QList<QWidget *>{Form2->ui().TabSheet3, Form2->ui().Button4};
    });
    QTest::newRow("market: + puts «Купить» out of reach, the good") << std::function([] {
        Character.Money = 5;
        Form2->Button6Click();
        return focusWalk(Form6, {Qt::Key_Space, Qt::Key_Tab, Qt::Key_Plus});
    }) << std::function([] {
        Ui::TForm6 &ui = Form6->ui();
        return QList<QWidget *>{ui.RadioButton1, ui.RadioButton1, ui.Button1, ui.RadioButton1};
    });
    QTest::newRow("injections: the money spent, the strength") << std::function([] {
        Character.Money = 1;
        Form2->Button2Click();
        return focusWalk(Form9, {Qt::Key_Tab, Qt::Key_Space});
    }) << std::function([] {
        Ui::TForm9 &ui = Form9->ui();
        return QList<QWidget *>{ui.TrackBar1, ui.SpeedButton2, ui.TrackBar1};
    });
    QTest::newRow("canteen: a meal eaten, the frame") << std::function([] {
        Character.Bread = 1;
        Form2->Button1Click();
        return focusWalk(Form8, {Qt::Key_Space});
    }) << std::function([] {
        return QList<QWidget *>{Form8->ui().SpeedButton2, Form8->ui().Panel1};
    });
    QTest::newRow("bins: a bin emptied by another, the screen") << std::function([this] {
        game.services.script({{5, 0}, {3, 1}, {7, 0}, {12, 0}}); // the find in the second
        Form2->Button5Click();
        return focusWalk(Form4, {Qt::Key_Space});
    }) << std::function([] {
        Ui::TForm4 &bins = Form4->ui();
        return QList<QWidget *>{bins.Button1, Form4};
    });
}

void TestKeyboard::theFocusGoesWhereThePlayerExpects() {
    QFETCH(std::function<QList<QWidget *>()>, walk);
    QFETCH(std::function<QList<QWidget *>()>, expected);
    QCOMPARE(walk(), expected());
}

void TestKeyboard::pagesTurnByAWindowShortcut_data() {
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    QTest::newRow("Ctrl+Tab") << Qt::Key_Tab << ctrl << 1 << 2;
    QTest::newRow("Ctrl+PgDn") << Qt::Key_PageDown << ctrl << 1 << 2;
    QTest::newRow("Ctrl+Shift+Tab") << Qt::Key_Backtab << ctrlShift << 2 << 1;
    QTest::newRow("Ctrl+PgUp") << Qt::Key_PageUp << ctrl << 2 << 1;
    QTest::newRow("Ctrl+Tab on the last page") << Qt::Key_Tab << ctrl << 6 << 0;
    QTest::newRow("Ctrl+PgUp on the first page") << Qt::Key_PageUp << ctrl << 0 << 6;
}

void TestKeyboard::pagesTurnByAWindowShortcut() {
    QFETCH(Qt::Key, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, from);
    QFETCH(int, to);
    Ui::TForm2 &ui = Form2->ui();
    ui.PageControl1->setCurrentIndex(from);
    showScreen(Form2);
    QVERIFY(QTest::qWaitForWindowActive(Form2));
    settle();
    game.services.events.clear();

    press(Form2, key, modifiers);
    QCOMPARE(ui.PageControl1->currentIndex(), to);
    QCOMPARE(game.services.sounds(), QStringList{QStringLiteral("2.wav")}); // the tab change ran
    const QList<QWidget *> firsts = {ui.TabSheet1,   ui.Button1, ui.Button4, ui.Button7,
                                     ui.WebBrowser1, ui.Memo1,   ui.Memo2};
    QCOMPARE(Form2->focusWidget(), firsts[to]);
}

void TestKeyboard::enterAndSpacePressTheFocusedControl_data() {
    QTest::addColumn<Qt::Key>("key");
    QTest::newRow("Enter") << Qt::Key_Return;
    QTest::newRow("Space") << Qt::Key_Space;
}

void TestKeyboard::enterAndSpacePressTheFocusedControl() {
    QFETCH(Qt::Key, key);
    Character.Bread = 1;
    Form2->Button6Click();
    settle();
    press(Form6, key); // the focused good: bread
    QVERIFY(Form6->ui().RadioButton1->isChecked());
    QVERIFY(Form6->ui().SpinEdit1->isEnabled());
    Form6->SpeedButton1Click();

    Form2->Button1Click();
    settle();
    press(Form8, key); // the focused button: a loaf
    QCOMPARE(Character.Bread, 0);
    QCOMPARE(Character.Feces, 3 + 10); // the market's visit, then the loaf
}

void TestKeyboard::plusAndMinusStepTheMarketsQuantity_data() {
    QTest::addColumn<int>("bag");
    QTest::addColumn<int>("start");
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<int>("expected");
    QTest::newRow("+ steps up") << 3 << 1 << Qt::Key_Plus << true << 2;
    QTest::newRow("- steps down") << 3 << 3 << Qt::Key_Minus << true << 2;
    QTest::newRow("+ stops at the bag") << 3 << 3 << Qt::Key_Plus << true << 3;
    QTest::newRow("- stops at one") << 3 << 1 << Qt::Key_Minus << true << 1;
    QTest::newRow("above a smaller bag, - goes to the bag") << 2 << 5 << Qt::Key_Minus << true << 2;
    QTest::newRow("no good chosen: nothing moves") << 3 << 1 << Qt::Key_Plus << false << 1;
}

void TestKeyboard::plusAndMinusStepTheMarketsQuantity() {
    QFETCH(int, bag);
    QFETCH(int, start);
    QFETCH(Qt::Key, key);
    QFETCH(bool, chosen);
    QFETCH(int, expected);
    QuantitySpinBox *quantity = Form6->ui().SpinEdit1;
    quantity->setMaximum(5);
    quantity->setValue(start);
    Character.BagCapacity = bag;
    Character.Money = 15; // three loaves at most
    Form2->Button6Click();
    settle();
    if (chosen)
        press(Form6, Qt::Key_Space);
    press(Form6, key);
    QCOMPARE(quantity->value(), expected);
    // The quantity's own change handler ran: the buy rule looks at the new quantity.
    if (chosen)
        QCOMPARE(Form6->ui().Button1->isEnabled(), expected * 5 <= 15);
}

void TestKeyboard::spinBoxesStepByOne_data() {
    QTest::addColumn<bool>("hours"); // the begging's hours, else the market's quantity
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("expected");
    for (bool hours : {true, false}) {
        const QByteArray box = hours ? "hours, " : "quantity, ";
        QTest::newRow(box + "Ctrl+wheel up") << hours << 1 << "ctrl wheel up" << 2;
        QTest::newRow(box + "Ctrl+wheel down") << hours << 3 << "ctrl wheel down" << 2;
        QTest::newRow(box + "Page Up") << hours << 1 << "page up" << 2;
        QTest::newRow(box + "Page Down") << hours << 4 << "page down" << 3;
        QTest::newRow(box + "increase")
            << hours << 1 << QAccessibleActionInterface::increaseAction() << 2;
        QTest::newRow(box + "decrease")
            << hours << 2 << QAccessibleActionInterface::decreaseAction() << 1;
        QTest::newRow(box + "increase at the top")
            << hours << 4 << QAccessibleActionInterface::increaseAction() << 4;
        QTest::newRow(box + "decrease at the bottom")
            << hours << 1 << QAccessibleActionInterface::decreaseAction() << 1;
    }
}

void TestKeyboard::spinBoxesStepByOne() {
    QFETCH(bool, hours);
    QFETCH(int, start);
    QFETCH(QString, action);
    QFETCH(int, expected);
    QAbstractSpinBox *box = nullptr;
    if (hours) {
        Form3->ui().SpinEdit1->setValue(start);
        box = Form3->ui().SpinEdit1;
    } else {
        Form6->ui().SpinEdit1->setMaximum(4);
        Form6->ui().SpinEdit1->setValue(start);
        box = Form6->ui().SpinEdit1;
    }
    if (action.endsWith(QLatin1String("wheel up")) ||
        action.endsWith(QLatin1String("wheel down"))) {
        const QPoint notch(0, action.endsWith(QLatin1String("up")) ? 120 : -120);
        QWheelEvent wheel(QPointF(5, 5), box->mapToGlobal(QPointF(5, 5)), QPoint(), notch,
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(box, &wheel);
    } else if (action.startsWith(QLatin1String("page"))) {
        QTest::keyClick(box,
                        action == QLatin1String("page up") ? Qt::Key_PageUp : Qt::Key_PageDown);
    } else {
        QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(box);
        QVERIFY(reader->actionInterface()->actionNames().contains(action));
        reader->actionInterface()->doAction(action);
    }
    QCOMPARE(box->property("value").toInt(), expected);
}

void TestKeyboard::spaceSpinsAgainAfterASpin() {
    Character.Money = 10;
    Form2->Button7Click();
    settle();
    scriptSpin(game.services);
    press(Form11, Qt::Key_Space);
    QVERIFY(Form11->Timer1.isActive());
    press(Form11, Qt::Key_Space); // the machine's frame holds the focus through the spin
    QCOMPARE(Form11->focusWidget(), Form11->ui().Panel1);
    Form11->Timer1.stop(); // the ticks by hand, so the test does not wait for them
    for (int tick = 0; tick < SpinTicks; ++tick)
        Form11->Timer1Timer();
    QCOMPARE(Form11->focusWidget(), Form11->ui().Button1);
    scriptSpin(game.services);
    press(Form11, Qt::Key_Space);
    QVERIFY(Form11->isVisible());
    QCOMPARE(Character.Money, 6);
    Form11->Timer1.stop();
}

void TestKeyboard::saveScreenTakesEnterAndEscape_data() {
    QTest::addColumn<Qt::Key>("key");
    QTest::addColumn<bool>("onCancel"); // the focus on "Отмена" rather than the name
    QTest::addColumn<bool>("saved");
    QTest::newRow("Enter in the name") << Qt::Key_Return << false << true;
    QTest::newRow("keypad Enter in the name") << Qt::Key_Enter << false << true;
    QTest::newRow("Escape") << Qt::Key_Escape << false << false;
    QTest::newRow("Enter on Отмена") << Qt::Key_Return << true << false;
}

void TestKeyboard::saveScreenTakesEnterAndEscape() {
    QFETCH(Qt::Key, key);
    QFETCH(bool, onCancel);
    QFETCH(bool, saved);
    Form2->N2Click();
    settle();
    QTest::keyClicks(Form12->ui().Edit1, QStringLiteral("keys"));
    if (onCancel)
        Form12->ui().Button2->setFocus();
    if (saved)
        game.services.script({{15, 0}});
    press(Form12, key);
    QVERIFY(!Form12->isVisible());
    QCOMPARE(QFile::exists(game.file(QStringLiteral("keys.sav"))), saved);
}

// A screen reader says what the eye sees: every text shown on a label or a button is its
// name, the changing numbers included; symbols drawn as captions keep a name in words.
void TestKeyboard::namesAreTheVisibleTexts() {
    Character.Money = 37;
    Form2->Button7Click();
    Form9->ui().TrackBar1->setValue(7);
    static const QRegularExpression readable(QStringLiteral("[\\w]"));
    int checked = 0;
    for (QWidget *screen : gameScreens())
        for (QWidget *control : screen->findChildren<QWidget *>()) {
            QString text;
            if (auto *label = qobject_cast<QLabel *>(control))
                text = label->text();
            else if (auto *button = qobject_cast<QAbstractButton *>(control))
                text = button->text();
            if (!text.contains(readable))
                continue;
            QCOMPARE(nameOf(control), text);
            ++checked;
        }
    QVERIFY2(checked > 30, qPrintable(QString::number(checked)));
    QCOMPARE(nameOf(Form9->ui().Label3), QStringLiteral("7"));
    QCOMPARE(nameOf(Form11->ui().Label2), QStringLiteral("37"));
}

// What a screen reader is told beside the names: roles it can act on, the values of the
// moment in the description it says with the focused control, and a page's text.
void TestKeyboard::screenReadersHearWhatIsShown_data() {
    QTest::addColumn<std::function<QWidget *()>>("open");
    QTest::addColumn<QAccessible::Role>("role");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("text");
    QTest::newRow("title picture, a button") << std::function([]() -> QWidget * {
        openTitle();
        return Form1->ui().Image2;
    }) << QAccessible::Button << "Картинка «Начало игры»"
                                             << ""
                                             << "";
    QTest::newRow("canteen's frame, a panel")
        << std::function([]() -> QWidget * { return Form8->ui().Panel1; }) << QAccessible::Pane
        << ""
        << ""
        << "";
    QTest::newRow("a page, a panel named as its tab")
        << std::function([]() -> QWidget * { return Form2->ui().TabSheet3; }) << QAccessible::Pane
        << "Промыслы"
        << ""
        << "Промыслы. Просить милостыню. Обшарить урны. Пойти на рынок. Сдать мусор";
    QTest::newRow("main window, a plain top level like the other screens")
        << std::function([]() -> QWidget * { return Form2; }) << QAccessible::Client << "Скиталия"
        << ""
        << "";
    QTest::newRow("goods page, which holds the focus: its name and every good")
        << std::function([]() -> QWidget * {
               Character.Bread = 3;
               Character.Matches = 2;
               Form2->ui().PageControl1->setCurrentIndex(1);
               Form2->ui().PageControl1->setCurrentIndex(0);
               return Form2->ui().TabSheet1;
           })
        << QAccessible::Pane << "Товары"
        << ""
        << "Товары. Чебурашки: 0. Макулатура (кг): 0. Хлеб: 3. Макароны: 0. Спички: 2. "
           "Сигареты: 0. Жевачка: 0. Мясо(кг): 0. Вместимость сумки: 2";
    const auto afterSleep = [] {
        Character.Money = 37;
        Character.Satiety = 100;
        Character.Fatigue = 20;
        Form2->Timer1Timer();
        Form2->Button3Click();
        Form2->Timer1Timer();
    };
    // The record's values, beyond the bars' range too: a sleep takes health above 100.
    QTest::newRow("vitals page, the bars by name") << std::function([afterSleep]() -> QWidget * {
        afterSleep();
        return Form2->ui().Button3;
    }) << QAccessible::Button << ""
                                                   << "Сытость 70, Здоровье 103, Усталость 0, "
                                                      "Кал 11. Без гражданства, Без паспорта, "
                                                      "Живет на улице. Деньги: 37"
                                                   << "";
    QTest::newRow("documents page, a price and what is bought")
        << std::function([]() -> QWidget * {
               Character.Money = 2500;
               Form2->Timer1Timer();
               Form2->Button8Click();
               Form2->Timer1Timer();
               return Form2->ui().Button9;
           })
        << QAccessible::Button << ""
        << "3000 рублей. Гражданин России, Без паспорта, Живет на улице. Деньги: 500"
        << "";
    QTest::newRow("other pages and \"▁\", the money") << std::function([afterSleep]() -> QWidget * {
        afterSleep();
        return Form2->ui().SpeedButton2;
    }) << QAccessible::Button << "Свернуть в трей"
                                                      << "Деньги: 37"
                                                      << "";
    QTest::newRow("begging, the result with \"НАЗАД\"") << std::function([this]() -> QWidget * {
        scriptShortBegging(game.services);
        Form2->Button4Click();
        Form3->ui().Button1->click();
        Form3->ui().Button2->click();
        return Form3->ui().SpeedButton1;
    }) << QAccessible::Button << "НАЗАД"
                                                        << "Собрано денег: 0"
                                                        << "";
    QTest::newRow("market, a good's prices and the quantity")
        << std::function([]() -> QWidget * {
               Character.BagCapacity = 3;
               Form2->Button6Click();
               settle();
               press(Form6, Qt::Key_Down);
               press(Form6, Qt::Key_Down);
               press(Form6, Qt::Key_Space);
               press(Form6, Qt::Key_Plus);
               return Form6->ui().RadioButton3;
           })
        << QAccessible::RadioButton << ""
        << "Купить за 2, продать за 3, количество 2"
        << "";
    QTest::newRow("bins, the find with \"НАЗАД\"") << std::function([this]() -> QWidget * {
        game.services.script({{5, 0}, {3, 1}, {7, 0}, {12, 0}}); // the find in the second
        Form2->Button5Click();
        Form4->ui().Button2->click();
        return Form5->ui().Button1;
    }) << QAccessible::Button << "НАЗАД"
                                                   << "Бомж нашел в помойке: Чебурашки-1 шт., "
                                                      "Макулатура-1 кг."
                                                   << "";
    QTest::newRow("recycling, the earnings with \"НАЗАД\"") << std::function([]() -> QWidget * {
        Character.Bottles = 2;
        Character.WastePaper = 3;
        Form2->BitBtn1Click();
        return Form7->ui().SpeedButton1;
    }) << QAccessible::Button << "НАЗАД"
                                                            << "Заработано денег : 9"
                                                            << "";
    QTest::newRow("canteen, what there is to eat") << std::function([]() -> QWidget * {
        Character.Bread = 1;
        Character.Meat = 2;
        Form2->Button1Click();
        return Form8->ui().SpeedButton4;
    }) << QAccessible::Button << ""
                                                   << "Хлеб: 1, Макароны: 0, Мясо(кг): 2"
                                                   << "";
    QTest::newRow("market, the bag's price") << std::function([]() -> QWidget * {
        Form2->Button6Click();
        return Form6->ui().Button3;
    }) << QAccessible::Button << "Увеличить размер сумки"
                                             << "цена 200"
                                             << "";
    QTest::newRow("slot machine, the winnings with \"Запуск\"")
        << std::function([this]() -> QWidget * {
               Character.Money = 10;
               Form2->Button7Click();
               scriptSpin(game.services);
               Form11->ui().Button1->click();
               Form11->Timer1.stop();
               for (int tick = 0; tick < SpinTicks; ++tick)
                   Form11->Timer1Timer();
               return Form11->ui().Button1;
           })
        << QAccessible::Button << "Запуск"
        << "Выигрыш: 0, деньги: 8"
        << "";
}

void TestKeyboard::screenReadersHearWhatIsShown() {
    QFETCH(std::function<QWidget *()>, open);
    QFETCH(QAccessible::Role, role);
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(QString, text);
    QWidget *widget = open();
    QAccessibleInterface *seen = QAccessible::queryAccessibleInterface(widget);
    QCOMPARE(seen->role(), role);
    if (!name.isEmpty())
        QCOMPARE(seen->text(QAccessible::Name), name);
    QCOMPARE(seen->text(QAccessible::Description), description);
    QAccessibleTextInterface *shown = seen->textInterface();
    QCOMPARE(shown ? shown->text(0, shown->characterCount()) : QString(), text);
    if (widget == Form1->ui().Image2) {
        seen->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(Form2->isVisible());
    }
}

// A sleep, each + at the market and the money alone change what the focused control stands
// for, and the focus does not move: a listening screen reader is told each once. Back from a
// screen, the focus that comes says it all, and nothing old is told again.
void TestKeyboard::changesUnderTheFocusAreTold() {
    Ui::TForm2 &ui = Form2->ui();
    ui.PageControl1->setCurrentWidget(ui.TabSheet2);
    showScreen(Form2);
    QVERIFY(QTest::qWaitForWindowActive(Form2));
    settle();
    Character.Money = 37;
    Character.Satiety = 100;
    Character.Fatigue = 20;
    Form2->Timer1Timer();
    const Telling telling;

    press(Form2, Qt::Key_Tab);
    press(Form2, Qt::Key_Tab);
    press(Form2, Qt::Key_Space);
    Form2->Timer1Timer();
    QCOMPARE(Form2->focusWidget(), ui.Button3);
    const QStringList afterSleep = {
        QStringLiteral("Сытость 70, Здоровье 103, Усталость 0, Кал 11. Без гражданства, "
                       "Без паспорта, Живет на улице. Деньги: 37")};
    QCOMPARE(telling.told, afterSleep);

    Character.BagCapacity = 3;
    Form2->Button6Click();
    QVERIFY(QTest::qWaitForWindowActive(Form6));
    settle();
    Form2->Timer1Timer(); // the walk to the market, shown behind it
    press(Form6, Qt::Key_Down);
    press(Form6, Qt::Key_Space);
    press(Form6, Qt::Key_Plus);
    press(Form6, Qt::Key_Plus);
    const QStringList atMarket = {QStringLiteral("количество 2"), QStringLiteral("количество 3")};
    QCOMPARE(telling.told, afterSleep + atMarket);
    Character.Money = 40; // as a trade would
    Form6->ui().SpeedButton1->click();
    QVERIFY(QTest::qWaitForWindowActive(Form2));
    QVERIFY(QAccessible::queryAccessibleInterface(Form2->focusWidget())
                ->text(QAccessible::Description)
                .endsWith(QStringLiteral("Деньги: 40")));
    Form2->Timer1Timer();
    QCOMPARE(telling.told.size(), 3);
    Character.Money = 42;
    Form2->Timer1Timer();
    QCOMPARE(telling.told.mid(3), QStringList{QStringLiteral("Деньги: 42")});
}

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
