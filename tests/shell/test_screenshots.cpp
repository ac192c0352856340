#include "activities/begging.h"
#include "activities/bin_find.h"
#include "activities/bins.h"
#include "activities/canteen.h"
#include "activities/injections.h"
#include "activities/market.h"
#include "activities/recycling.h"
#include "core/character_state.h"
#include "core/death_screen.h"
#include "game_fixture.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "shell/title_screen.h"
#include "ui_begging.h"
#include "ui_bin_find.h"
#include "ui_main_window.h"
#include "ui_recycling.h"

#include <QDir>
#include <QTest>

// Pictures of the screens as a player sees them, written into the build folder for people
// to look at after every change of a layout.
class TestScreenshots : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        game.start();
        Form2->Timer1.stop();
        QVERIFY(QDir().mkpath(folder));
    }
    void cleanup() { game.finish(); }

    void titleScreen() { save(Form1, QStringLiteral("title")); }

    void everyTabOfTheMainWindow() {
        QTabWidget *tabs = Form2->ui().PageControl1;
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            save(Form2, QStringLiteral("main-%1").arg(i + 1));
        }
    }

    void deathScreen() { save(Form10, QStringLiteral("death")); }

    void activityScreens() {
        Form3->ui().Button1->click();
        save(Form3, QStringLiteral("begging"));
        save(Form4, QStringLiteral("bins"));
        Form5->ui().Label1->setText(QStringLiteral("Чебурашки-7 шт."));
        Form5->ui().Label2->setText(QStringLiteral("Макулатура-12 кг."));
        save(Form5, QStringLiteral("bin-find"));
        Character.Money = 1000;
        Character.Bread = 3;
        Form2->ui().Button6->click();
        save(Form6, QStringLiteral("market"));
        Form7->ui().Label3->setText(QStringLiteral("22"));
        save(Form7, QStringLiteral("recycling"));
        Form2->ui().Button1->click();
        save(Form8, QStringLiteral("canteen"));
        Form2->ui().Button2->click();
        save(Form9, QStringLiteral("injections"));
    }

private:
    void save(QWidget *screen, const QString &name) {
        screen->show();
        QVERIFY(QTest::qWaitForWindowExposed(screen));
        const QPixmap shot = screen->grab();
        QVERIFY(!shot.isNull());
        QVERIFY(shot.save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
        screen->hide();
    }

    GameFixture game;
    const QString folder = QStringLiteral(SKITALIA_SCREENSHOT_DIR);
};

QTEST_MAIN(TestScreenshots)
#include "test_screenshots.moc"
