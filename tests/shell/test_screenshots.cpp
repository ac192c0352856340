#include "activities/begging.h"
#include "activities/bin_find.h"
#include "activities/bins.h"
#include "activities/canteen.h"
#include "activities/injections.h"
#include "activities/market.h"
#include "activities/recycling.h"
#include "core/character_state.h"
#include "game_fixture.h"
#include "shell/death_screen.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "shell/title_screen.h"
#include "ui_begging.h"
#include "ui_bin_find.h"
#include "ui_injections.h"
#include "ui_main_window.h"
#include "ui_recycling.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QScrollBar>
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
        // Laid out in the window's own face, the work page's lines fit: no sideways scroll bar.
        const QPlainTextEdit *work = Form2->ui().Memo1;
        QVERIFY(!work->horizontalScrollBar()->isVisibleTo(work));
    }

    void deathScreen() { save(Form10, QStringLiteral("death")); }

    // Every built-in picture on a screen has a device pixel for each pixel it covers; only
    // the street, read from the fixed trades.jpg, keeps its one size.
    void picturesFitTheScreensDensity() {
        const qreal density = qGuiApp->devicePixelRatio();
        int pictures = 0;
        for (QWidget *screen : gameScreens())
            for (QLabel *label : screen->findChildren<QLabel *>()) {
                label->grab(); // pictures are decoded when first drawn
                if (label->pixmap().isNull() || label == Form2->ui().Image2)
                    continue;
                QVERIFY2(label->pixmap().devicePixelRatio() == density,
                         qPrintable(screen->objectName() + u' ' + label->objectName()));
                ++pictures;
            }
        QVERIFY(pictures >= 12);
    }

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

    // Each of the twenty strengths has a tick of one width, evenly spaced, at any density.
    void injectionTicksAreEven() {
        QSlider *strength = Form9->ui().TrackBar1;
        Form9->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form9));
        const QImage shot = strength->grab().toImage();
        const int background = qGray(shot.pixel(shot.width() / 2, shot.height() - 1));
        QList<int> starts;
        QList<int> widths;
        for (int y = shot.height() / 2; y < shot.height() && starts.size() < 20; ++y) {
            starts.clear();
            widths.clear();
            for (int x = 0; x < shot.width(); ++x) {
                if (background - qGray(shot.pixel(x, y)) < 40)
                    continue;
                if (starts.isEmpty() || starts.last() + widths.last() != x) {
                    starts << x;
                    widths << 0;
                }
                ++widths.last();
            }
        }
        QCOMPARE(starts.size(), 20);
        QCOMPARE(*std::min_element(widths.begin(), widths.end()),
                 *std::max_element(widths.begin(), widths.end()));
        QList<int> gaps;
        for (int i = 1; i < starts.size(); ++i)
            gaps << starts[i] - starts[i - 1];
        QVERIFY(*std::max_element(gaps.begin(), gaps.end()) -
                    *std::min_element(gaps.begin(), gaps.end()) <=
                1);
        Form9->hide();
    }

private:
    void save(QWidget *screen, const QString &name) {
        screen->show();
        QVERIFY(QTest::qWaitForWindowExposed(screen));
        const QPixmap shot = screen->grab();
        // A device pixel for each of the screen's, and drawn: neither one colour nor bare
        // background over all but a twentieth of it.
        const qreal density = qGuiApp->devicePixelRatio();
        const QImage image = shot.toImage();
        QCOMPARE(image.size(), screen->size() * density);
        const QRgb background = screen->palette().color(QPalette::Window).rgb();
        const QRgb corner = image.pixel(0, 0);
        qint64 notBackground = 0;
        qint64 notCorner = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                notBackground += image.pixel(x, y) != background;
                notCorner += image.pixel(x, y) != corner;
            }
        const qint64 twentieth = qint64{image.width()} * image.height() / 20;
        QVERIFY2(notBackground > twentieth && notCorner > twentieth, qPrintable(name));
        // Above density 1 the pictures carry it in their names: "title@2x.png".
        const QString suffix = density == 1 ? QString() : QStringLiteral("@%1x").arg(density);
        QVERIFY(shot.save(folder + QLatin1Char('/') + name + suffix + QStringLiteral(".png")));
        screen->hide();
    }

    GameFixture game;
    const QString folder = screenshotFolder();
};

QTEST_MAIN(TestScreenshots)
#include "test_screenshots.moc"
