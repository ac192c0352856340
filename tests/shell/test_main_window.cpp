#include "core/character_state.h"
#include "game_fixture.h"
#include "pictures/pictures.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "system/services.h"
#include "ui_main_window.h"

#include <QMenuBar>
#include <QMessageBox>
#include <QTest>

namespace {

QStringList panelTexts() {
    Ui::TForm2 &ui = Form2->ui();
    QStringList texts;
    for (QLabel *panel : {ui.Panel1, ui.Panel2, ui.Panel3, ui.Panel4, ui.Panel5, ui.Panel6,
                          ui.Panel7, ui.Panel8, ui.Panel9})
        texts << panel->text();
    return texts;
}

void fillGoods() {
    Character.Bottles = 5;
    Character.WastePaper = 7;
    Character.Bread = 1;
    Character.Pasta = 2;
    Character.Matches = 3;
    Character.Cigarettes = -4;
    Character.Gum = 6;
    Character.Meat = 8;
    Character.BagCapacity = 11;
}

const QStringList StartPanels = {"Чебурашки: 0", "Макулатура (кг) : 0", "Хлеб: 0",
                                 "Макароны: 0",  "Спички: 0",           "Сигареты: 0",
                                 "Жевачка: 0",   "Мясо(кг): 0",         "Вместимость сумки: 2"};
const QStringList FilledPanels = {"Чебурашки: 5", "Макулатура (кг): 7", "Хлеб: 1",
                                  "Макароны: 2",  "Спички: 3",          "Сигареты: -4",
                                  "Жевачка: 6",   "Мясо(кг): 8",        "Вместимость сумки: 11"};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void layoutMatchesTheGame();
    void menuHoldsItsItems();
    void goodsPanelsStayStaleUntilATabChange();
    void newGameFromTheMenuResetsAndNoChangesNothing();
    void aboutAndAuthorAreNotices();
    void closeButtonClicksThenEndsAndExitEndsSilently();
    void hideAndComeBackKeepsPageAndTexts();
    void aTrayThatGoesLeavesAWayBack_data();
    void aTrayThatGoesLeavesAWayBack();
    void tickRunsEvery150Milliseconds();
    void everyScreenCarriesTheGameIcon();

private:
    GameFixture game;
};

void TestMainWindow::init() {
    game.startAtMainWindow();
    QVERIFY(QTest::qWaitForWindowExposed(Form2));
}

void TestMainWindow::cleanup() {
    game.finishChecked();
}

void TestMainWindow::layoutMatchesTheGame() {
    Ui::TForm2 &ui = Form2->ui();
    QCOMPARE(ui.centralwidget->size(), QSize(536, 350));
    QCOMPARE(Form2->windowTitle(), QStringLiteral("Скиталия"));
    QVERIFY(!(Form2->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(!(Form2->windowFlags() & Qt::WindowMinimizeButtonHint));
    QCOMPARE(Form2->palette().color(QPalette::Window), QColor(193, 230, 196));

    QStringList tabs;
    for (int i = 0; i < ui.PageControl1->count(); ++i)
        tabs << ui.PageControl1->tabText(i);
    QCOMPARE(tabs, QStringList({"Товары", "Жизнедеятельность", "Промыслы", "Развлечения", "Жилье",
                                "Работа", "Новости"}));
    QCOMPARE(ui.PageControl1->currentIndex(), 0);
    QCOMPARE(ui.PageControl1->geometry(), QRect(15, 41, 505, 265));
    QCOMPARE(ui.SpeedButton1->geometry(), QRect(504, 0, 25, 25));
    QCOMPARE(ui.SpeedButton2->geometry(), QRect(480, 0, 25, 25));
    QCOMPARE(panelTexts(), StartPanels);

    QStringList captions;
    for (QAbstractButton *b : std::initializer_list<QAbstractButton *>{
             ui.Button1, ui.Button2, ui.Button3, ui.SpeedButton3, ui.Button4, ui.Button5,
             ui.Button6, ui.BitBtn1, ui.Button7, ui.Button8, ui.Button9, ui.Button10})
        captions << b->text();
    QCOMPARE(captions,
             QStringList({"Пожрать      ", "Уколы         ", "Поспать       ", "В туалет      ",
                          "Просить милостыню", "Обшарить урны        ", "Пойти на рынок       ",
                          "Сдать мусор           ", "Пойти играть", "Оформить гражданство",
                          "Приобрести паспорт", "Купить комнату в коммуналке"}));
    QCOMPARE(QStringList({ui.Label7->text(), ui.Label8->text(), ui.Label13->text()}),
             QStringList({"2000 рублей", "3000 рублей", "50000 рублей"}));
    QCOMPARE(QStringList({ui.Label9->text(), ui.Label10->text(), ui.Label11->text()}),
             QStringList({"Без гражданства", "Без паспорта", "Живет на улице"}));
    QCOMPARE(ui.Label14->text(),
             QStringLiteral("Пожалуйста щелкните по голубям и бомж получит 10 коп.!"));
    QCOMPARE(ui.Label5->text(), QStringLiteral("Деньги:"));
    QCOMPARE(ui.Label6->text(), QStringLiteral("0"));
    QVERIFY(ui.WebBrowser1->isReadOnly());
    QVERIFY(!ui.WebBrowser1->toPlainText().isEmpty());
    ui.Image2->grab();                      // decoded when first drawn
    QVERIFY(!ui.Image2->pixmap().isNull()); // the street JPEG from the program folder
    QCOMPARE(ui.Image2->pixmap().size(), QSize(240, 200));
}

void TestMainWindow::menuHoldsItsItems() {
    QStringList items;
    for (QAction *menu : Form2->menuBar()->actions()) {
        items << menu->text() + QLatin1Char(':');
        for (QAction *item : menu->menu()->actions())
            items << item->text();
    }
    QCOMPARE(items, QStringList({"Файл:", "Сохранить игру", "Загрузить игру", "Выход",
                                 "Новая игра:", "Да", "Нет", "Разное:", "Об игре", "Автор"}));
}

void TestMainWindow::goodsPanelsStayStaleUntilATabChange() {
    fillGoods();
    Form2->Timer1Timer();
    QCOMPARE(panelTexts(), StartPanels);

    Form2->ui().PageControl1->setCurrentIndex(2);
    QCOMPARE(panelTexts(), FilledPanels);
    QCOMPARE(game.services.sounds(), QStringList{"2.wav"});

    Character.Bottles = 9;
    Form2->ui().PageControl1->setCurrentIndex(0);
    QCOMPARE(panelTexts().first(), QStringLiteral("Чебурашки: 9"));
    QCOMPARE(game.services.sounds(), QStringList({"2.wav", "2.wav"}));
}

void TestMainWindow::newGameFromTheMenuResetsAndNoChangesNothing() {
    fillGoods();
    Character.Money = 900;
    Character.CitizenshipState = DocumentHeld;
    Character.BuyPrice = 50;
    Form2->ui().PageControl1->setCurrentIndex(1);
    Form2->ui().PageControl1->setCurrentIndex(0);
    game.services.events.clear();

    Form2->ui().N10->trigger();
    QCOMPARE(Character.Money, 900);
    QCOMPARE(Character.Bottles, 5);

    Form2->ui().N9->trigger();
    QCOMPARE(Character.Money, 0);
    QCOMPARE(Character.Bottles, 0);
    QCOMPARE(Character.BagCapacity, 2);
    QCOMPARE(Character.CitizenshipState, 0);
    QCOMPARE(Character.BuyPrice, 50);
    QVERIFY(game.services.events.isEmpty());
    QCOMPARE(panelTexts(), FilledPanels); // redrawn only by the next tab change

    Form2->Timer1Timer();
    QCOMPARE(Form2->ui().Label6->text(), QStringLiteral("0"));
    QCOMPARE(Form2->ui().Label9->text(), QStringLiteral("Без гражданства"));
}

void TestMainWindow::aboutAndAuthorAreNotices() {
    Form2->ui().N6->trigger();
    Form2->ui().N7->trigger();
    const QStringList boxes = game.services.boxes();
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes[0], QStringLiteral("notice Скиталия 1.4"));
    QVERIFY(boxes[1].startsWith(QStringLiteral("notice ")) && boxes[1].size() > 20);
    QCOMPARE(game.services.sounds(), QStringList());
}

void TestMainWindow::closeButtonClicksThenEndsAndExitEndsSilently() {
    QTest::mouseClick(Form2->ui().SpeedButton1, Qt::LeftButton);
    QCOMPARE(game.services.events, QStringList({"sound 3.wav", "end"}));
    game.services.events.clear();
    Form2->ui().N4->trigger();
    QCOMPARE(game.services.events, QStringList{"end"});
}

void TestMainWindow::hideAndComeBackKeepsPageAndTexts() {
    Form2->ui().PageControl1->setCurrentIndex(4);
    Character.Money = 77;
    Form2->Timer1Timer();
    game.services.events.clear();

    QTest::mouseClick(Form2->ui().SpeedButton2, Qt::LeftButton);
    QCOMPARE(game.services.sounds(), QStringList{"3.wav"});
    // Without a tray the window is minimised, never hidden beyond reach.
    QVERIFY(Form2->isVisible() && Form2->isMinimized());

    Form2->VrTrayIcon1DblClick();
    QVERIFY(Form2->isVisible() && !Form2->isMinimized());
    QCOMPARE(Form2->ui().PageControl1->currentIndex(), 4);
    QCOMPARE(Form2->ui().Label6->text(), QStringLiteral("77"));
}

// Hidden in a tray that goes, the main window comes back unless an open screen leads back to
// it; the save screen's buttons only hide it.
void TestMainWindow::aTrayThatGoesLeavesAWayBack_data() {
    // The screens are made afresh for each row, after the table: named, not pointed to.
    QTest::addColumn<QString>("screen");
    QTest::addColumn<bool>("comesBack");
    QTest::newRow("nothing open") << QString() << true;
    QTest::newRow("the save screen") << QStringLiteral("Form12") << true;
    QTest::newRow("the canteen") << QStringLiteral("Form8") << false;
}

void TestMainWindow::aTrayThatGoesLeavesAWayBack() {
    QFETCH(QString, screen);
    QFETCH(bool, comesBack);
    QWidget *open = nullptr;
    for (QWidget *candidate : gameScreens())
        if (candidate->objectName() == screen)
            open = candidate;
    QCOMPARE(open == nullptr, screen.isEmpty());
    if (open)
        showScreen(open);
    hideScreen(Form2);
    Form2->trayGone();
    QCOMPARE(Form2->isVisible(), comesBack);
    QVERIFY(!open || open->isVisible());
}

void TestMainWindow::tickRunsEvery150Milliseconds() {
    Form2->Timer1.start();
    QCOMPARE(Form2->Timer1.interval(), 150);
    Character.Money = 4321;
    QTRY_COMPARE_WITH_TIMEOUT(Form2->ui().Label6->text(), QStringLiteral("4321"), 1000);
}

void TestMainWindow::everyScreenCarriesTheGameIcon() {
    const QImage icon = builtInPicture(QStringLiteral("icon")).toImage();
    QVERIFY(!icon.isNull());
    const auto drawn = [&](const QWidget *window) {
        return window->windowIcon().pixmap(icon.size()).toImage().convertToFormat(icon.format());
    };
    for (QWidget *screen : gameScreens())
        QVERIFY2(drawn(screen) == icon, qPrintable(screen->objectName()));
    // Boxes and the file dialog have no screen of their own to take it from.
    QMessageBox box;
    QVERIFY(drawn(&box) == icon);
}

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
