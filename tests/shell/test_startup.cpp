#include "activities/begging.h"
#include "core/character_state.h"
#include "game_fixture.h"
#include "persistence/open_dialog.h"
#include "persistence/save_screen.h"
#include "shell/death_screen.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "shell/startup.h"
#include "shell/title_screen.h"
#include "ui_begging.h"
#include "ui_main_window.h"
#include "ui_title_screen.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QListView>
#include <QMap>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTreeView>
#include <cstdlib>
#include <functional>

class TestStartup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { game.start(false); }
    void cleanup();

    void screensHaveTheirClassesAndCaptions();
    void titleCreationRunsBeforeTheMainWindowExists();
    void startUpValuesHoldUntilTheTitleClick();
    void mainWindowTicksBehindTheTitle();
    void clickOnTheTitlePictureStartsPlay();
    void clickOnTheTitleTextDoesNothing();
    void brokenSoundStopsStartUpBeforeAnyScreenShows();
    void standardDialogsSpeakRussianAndFitTheScreen();
    void windowsComeBackOntoAScreenThatChanged();
    void hiddenScreensWaitUntilShown();

private:
    GameFixture game;
};

void TestStartup::cleanup() {
    game.finishChecked();
}

// Each screen by the class name and caption that window lists and tools show.
void TestStartup::screensHaveTheirClassesAndCaptions() {
    createGameScreens();
    const QMap<QString, QString> expected = {{"TForm1", "Скиталия"},
                                             {"TForm2", "Скиталия"},
                                             {"TForm3", "Милостыня"},
                                             {"TForm4", "Урны"},
                                             {"TForm5", "В помойке"},
                                             {"TForm6", "Рынок"},
                                             {"TForm7", "Мусор сдан"},
                                             {"TForm8", "Столовая"},
                                             {"TForm9", "Уколы"},
                                             {"TForm10", "Скиталия"},
                                             {"TForm11", "Игровой автомат \"Крутифрукт\""},
                                             {"TForm12", "Сохранить"},
                                             {"Tgameend", "gameend"}};
    QMap<QString, QString> seen;
    const QRect desk = QGuiApplication::primaryScreen()->availableGeometry();
    for (QWidget *screen : gameScreens()) {
        const QString name = QString::fromLatin1(screen->metaObject()->className());
        seen.insert(name, screen->windowTitle());
        QVERIFY2(screen->isHidden() && screen->isWindow(), qPrintable(name));
        // Centred where it fits; where it does not, its top left (title, menu) stays on.
        const QRect placed = screen->geometry();
        const QPoint off = placed.center() - desk.center();
        if (name != QStringLiteral("Tgameend")) // never shown, so never placed
            QVERIFY2(desk.contains(placed.topLeft()) &&
                         (placed.width() > desk.width() || std::abs(off.x()) <= 1) &&
                         (placed.height() > desk.height() || std::abs(off.y()) <= 1),
                     qPrintable(name));
    }
    QCOMPARE(seen, expected);
    QCOMPARE(Form1->size(), QSize(176, 230));
    QCOMPARE(Form2->centralWidget()->size(), QSize(536, 350));
    QCOMPARE(Form3->size(), QSize(476, 317));
    QVERIFY(Form1->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(Form10->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!(Form3->windowFlags() & Qt::WindowCloseButtonHint));
}

void TestStartup::titleCreationRunsBeforeTheMainWindowExists() {
    QStringList seen;
    game.services.onEvent = [&](const QString &event) {
        seen << QStringLiteral("%1 form2=%2 health=%3 satiety=%4")
                    .arg(event)
                    .arg(Form2 != nullptr)
                    .arg(Character.Health)
                    .arg(Character.Satiety);
    };
    createGameScreens();
    // The title takes the folder and greets before setting the vitals; the main window
    // (second folder request) comes after all of it.
    QCOMPARE(seen.value(0), QStringLiteral("folder form2=0 health=0 satiety=0"));
    QCOMPARE(seen.value(1), QStringLiteral("sound 2.wav form2=0 health=0 satiety=0"));
    QCOMPARE(seen.value(2), QStringLiteral("folder form2=0 health=100 satiety=100"));
    QCOMPARE(game.services.sounds(), QStringList{"2.wav"});
}

void TestStartup::startUpValuesHoldUntilTheTitleClick() {
    createGameScreens();
    QCOMPARE(Character.AppDir, game.folder());
    QCOMPARE(Character.Health, 100);
    QCOMPARE(Character.Feces, 0);
    QCOMPARE(Character.Satiety, 100);
    QCOMPARE(Character.Fatigue, 0);
    QCOMPARE(Character.BagCapacity, 2);
    QCOMPARE(Character.Money, 0);
    QCOMPARE(Character.BuyPrice, 0);
    QCOMPARE(Character.SellPrice, 0);
    QVERIFY(!game.services.events.contains(QStringLiteral("reseed")));
}

// The real timer, before any title click: each new amount of money reaches the hidden main
// window at the next tick.
void TestStartup::mainWindowTicksBehindTheTitle() {
    createGameScreens();
    Form1->show();
    QElapsedTimer clock;
    clock.start();
    QList<qint64> shownAt;
    for (int money = 1; money <= 5; ++money) {
        Character.Money = money;
        QVERIFY2(QTest::qWaitFor(
                     [&] { return Form2->ui().Label6->text() == QString::number(money); }, 1000),
                 qPrintable(QStringLiteral("%1 not shown").arg(money)));
        shownAt << clock.elapsed();
    }
    QVERIFY(Form1->isVisible() && Form2->isHidden());
    const qint64 interval = (shownAt.last() - shownAt.first()) / (shownAt.size() - 1);
    QVERIFY2(interval >= 120 && interval < 250, qPrintable(QString::number(interval)));
}

void TestStartup::clickOnTheTitlePictureStartsPlay() {
    createGameScreens();
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    QTest::mouseClick(Form1->ui().Image2, Qt::LeftButton, {}, QPoint(80, 100));

    QVERIFY(Form1->isHidden());
    QVERIFY(!Form1->isEnabled());
    QVERIFY(Form2->isVisible());
    QCOMPARE(Character.BuyPrice, 5);
    QCOMPARE(Character.SellPrice, 7);
    QCOMPARE(game.services.events.count(QStringLiteral("reseed")), 1);
}

void TestStartup::clickOnTheTitleTextDoesNothing() {
    createGameScreens();
    Form1->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    QTest::mouseClick(Form1->ui().Label1, Qt::LeftButton, {}, QPoint(20, 8));
    QTest::mouseClick(Form1->ui().Label3, Qt::LeftButton, {}, QPoint(20, 8));

    QVERIFY(Form1->isVisible());
    QVERIFY(Form2->isHidden());
    QCOMPARE(Character.BuyPrice, 0);
}

void TestStartup::brokenSoundStopsStartUpBeforeAnyScreenShows() {
    // Each damage a sound can have, to each of the six, in the order the screens bind them.
    const QList<std::pair<const char *, std::function<void(QFile &)>>> damages = {
        {"missing", [](QFile &file) { QVERIFY(file.remove()); }},
        {"cut short",
         [](QFile &file) {
             QVERIFY(file.open(QIODevice::ReadWrite));
             QVERIFY(file.resize(60));
         }},
        {"not PCM",
         [](QFile &file) {
             QVERIFY(file.open(QIODevice::ReadWrite));
             const qsizetype format = file.readAll().indexOf("fmt ") + 8;
             QVERIFY(format > 8 && file.seek(format) && file.write("\x03", 1) == 1);
         }},
    };
    for (const char *name : {"2.wav", "3.wav", "6.wav", "7.wav", "4.wav", "5.wav"})
        for (const auto &[damage, apply] : damages) {
            game.start(false);
            const QString path = game.file(QString::fromLatin1(name));
            QFile file(path);
            apply(file);
            file.close();

            QVERIFY2(!startGame(), damage);

            const QStringList boxes = game.services.boxes();
            QCOMPARE(boxes.size(), 1);
            QVERIFY2(boxes[0].startsWith(QStringLiteral("error ")) && boxes[0].contains(path),
                     qPrintable(boxes[0]));
            QVERIFY(!Form1 && !Form2 && !gameend);
            for (QWidget *widget : QApplication::topLevelWidgets())
                QVERIFY2(!widget->isVisible(), widget->metaObject()->className());
        }
}

void TestStartup::standardDialogsSpeakRussianAndFitTheScreen() {
    QVERIFY(startGame());
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Отмена"));
    QVERIFY(Form1->isVisible());
    OpenSavedGameDialog dialog(Form12, game.folder());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QRect desk = dialog.screen()->availableGeometry();
    const auto place = [&desk](const QRect &r) {
        return QStringLiteral("%1,%2 %3x%4 on %5x%6")
            .arg(r.x())
            .arg(r.y())
            .arg(r.width())
            .arg(r.height())
            .arg(desk.width())
            .arg(desk.height());
    };
    QVERIFY2(desk.contains(dialog.frameGeometry()), qPrintable(place(dialog.frameGeometry())));
    // The fitting finds Qt's own file list and places by these names, which Qt may change.
    QVERIFY(dialog.findChild<QTreeView *>(QStringLiteral("treeView")));
    QVERIFY(dialog.findChild<QListView *>(QStringLiteral("sidebar")));

    // Sent past the free area's corner, it comes back with room for a frame's title and border,
    // which this platform does not draw; on a screen too small for that, as far as it can.
    dialog.hide();
    dialog.move(desk.bottomRight());
    dialog.show();
    const int frame = dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    if (dialog.width() + frame < desk.width() && dialog.height() + 2 * frame < desk.height())
        QVERIFY2(dialog.x() + frame + dialog.width() <= desk.right() &&
                     dialog.y() + 2 * frame + dialog.height() <= desk.bottom(),
                 qPrintable(place(dialog.frameGeometry())));
}

// A screen that shrank under the game (told here as Qt tells it) brings every window back
// onto it, the shown title and a screen still hidden alike.
void TestStartup::windowsComeBackOntoAScreenThatChanged() {
    QVERIFY(startGame());
    QScreen *display = QGuiApplication::primaryScreen();
    const QRect desk = display->availableGeometry();
    const QList<QWidget *> windows = {Form1, Form3};
    for (QWidget *window : windows)
        window->move(desk.bottomRight() - QPoint(10, 10));
    Q_EMIT display->availableGeometryChanged(desk);
    for (QWidget *window : windows)
        QTRY_VERIFY2(desk.contains(window->frameGeometry()), window->metaObject()->className());
}

void TestStartup::hiddenScreensWaitUntilShown() {
    QVERIFY(startGame());
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
    QTest::qWait(50); // past the title's first frame and what start-up put off until then
    QList<QWidget *> hidden = gameScreens();
    hidden.removeOne(Form1);
    for (QWidget *screen : hidden)
        QVERIFY2(!screen->testAttribute(Qt::WA_WState_Polished), screen->metaObject()->className());
    QVERIFY(Form2->ui().Image6->pixmap().isNull());

    // Grabbed or shown, a screen is polished and its pictures drawn then.
    Form3->grab();
    QVERIFY(!Form3->ui().Image1->pixmap().isNull());
    Form1->Image2Click();
    QVERIFY(QTest::qWaitForWindowExposed(Form2));
    QTRY_VERIFY(!Form2->ui().Image6->pixmap().isNull());
    QVERIFY(Form2->testAttribute(Qt::WA_WState_Polished));
    Form2->ui().PageControl1->setCurrentWidget(Form2->ui().TabSheet3);
    QTRY_VERIFY(!Form2->ui().Image2->pixmap().isNull()); // the street, from the program folder
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
