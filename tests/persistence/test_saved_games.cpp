#include "core/character_state.h"
#include "core/death_screen.h"
#include "game_fixture.h"
#include "persistence/save_screen.h"
#include "persistence/saved_games.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "ui_main_window.h"
#include "ui_save_screen.h"

#include <QApplication>
#include <QDirIterator>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <fcntl.h>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using Values = QList<int>;

constexpr int Max = std::numeric_limits<int>::max();
constexpr int Min = std::numeric_limits<int>::min();
// Set before every load; no saved game holds it, so a changed field shows at once.
const Values Before = {40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56};
const char *const KilledSaveFolder = "SKITALIA_KILLED_SAVE_FOLDER";

Values fields() {
    const SavedValues values = savedValues(Character);
    return Values(values.begin(), values.end());
}

void setFields(const Values &values) {
    SavedValues saved{};
    std::copy(values.begin(), values.end(), saved.begin());
    restoreSavedValues(Character, saved);
}

Values decoded(const QByteArray &file) {
    const auto values = readSavedValues(decodeSavedGame(file.toStdString()).value_or("x"));
    return values ? Values(values->begin(), values->end()) : Values();
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Everything in the folder and below it, hidden names included.
QStringList listing(const QString &folder) {
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        names << QDir(folder).relativeFilePath(it.next());
    names.sort();
    return names;
}

void limit(int resource, rlim_t soft) {
    rlimit limits{};
    getrlimit(resource, &limits);
    limits.rlim_cur = soft;
    setrlimit(resource, &limits);
}

// Run in a child process: a save that the kernel kills half-way through writing its file.
int saveKilledHalfWay(const QString &folder) {
    SavedValues values{};
    values.fill(777);
    limit(RLIMIT_CORE, 0);
    limit(RLIMIT_FSIZE, stagingText(values).size() + 1);
    std::signal(SIGXFSZ, SIG_DFL);
    saveGameFile(folder, QStringLiteral("game"), values, [] { return 4; });
    return 0; // not reached when the save is killed
}

} // namespace

class TestSavedGames : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void saveScreenArrangement();
    void freshGameSavedWithShiftOneIsTheExampleAndResavingOverwrites();
    void roundTrips_data();
    void roundTrips();
    void handWrittenFiles_data();
    void handWrittenFiles();
    void saveNames_data();
    void saveNames();
    void failedSavesKeepTheEarlierFile();
    void killedSaveLeavesTheEarlierFileWhole();
    void openDialogAndFailedLoads();
    void loadedStateShowsAtTheNextTick();

private:
    void save(const QString &name, int shift = 0);
    void load(const QString &choice);

    GameFixture game;
    QString dialogFolder;
    QStringList dialogFilters;
    QStringList dialogListing;
    bool dialogModalAndOwn = false;
};

void TestSavedGames::init() {
    game.start();
    Form2->Timer1.stop();
    Form2->show();
    game.services.events.clear();
}

void TestSavedGames::cleanup() {
    QVERIFY2(game.services.problems.isEmpty(), qPrintable(game.services.problems.join(u'\n')));
    QCOMPARE(game.services.unusedDraws(), 0);
    QVERIFY(game.services.sounds().isEmpty());
    game.finish();
}

// Saves through the menu and the save screen; a shift of 0 means no draw is expected.
void TestSavedGames::save(const QString &name, int shift) {
    if (shift > 0)
        game.services.script({{15, shift - 1}});
    Form2->ui().N2->trigger();
    Form12->ui().Edit1->setText(name);
    QTest::mouseClick(Form12->ui().Button1, Qt::LeftButton);
}

// Loads through the menu and the real open-file dialog; an empty choice cancels it.
void TestSavedGames::load(const QString &choice) {
    QTimer::singleShot(0, this, [this, choice] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        // Typed into the name field, as a player would; a dialog left open would hang the test.
        auto finish = qScopeGuard([&] {
            QDialog *box = dialog;
            if (auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                name->setText(choice);
            choice.isEmpty() ? box->reject() : box->accept();
            if (box->isVisible()) {
                box->reject();
                QFAIL("the dialog did not take the file");
            }
        });
        dialogFolder = dialog->directory().absolutePath();
        dialogFilters = dialog->nameFilters();
        dialogModalAndOwn =
            dialog->isModal() && dialog->testOption(QFileDialog::DontUseNativeDialog);
        auto *view = dialog->findChild<QListView *>(QStringLiteral("listView"));
        QVERIFY(view);
        // The folder is read in the background; wait until the saved games are listed.
        const bool listed =
            QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) > 0; }, 2000);
        Q_UNUSED(listed); // a folder without a match shows an empty list
        dialogListing.clear();
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            dialogListing << view->model()->index(row, 0, view->rootIndex()).data().toString();
    });
    Form2->ui().N3->trigger();
}

void TestSavedGames::saveScreenArrangement() {
    Form2->ui().N2->trigger();
    Form2->ui().N2->trigger(); // again: still the one screen
    Ui::TForm12 &ui = Form12->ui();
    QVERIFY(Form12->isVisible() && Form2->isVisible());
    QCOMPARE(Form12->windowModality(), Qt::NonModal);
    QCOMPARE(Form12->windowTitle(), QStringLiteral("Сохранить"));
    QVERIFY(!(Form12->windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(Form12->minimumSize(), Form12->maximumSize());
    QCOMPARE(ui.Label1->text(), QStringLiteral("Введите имя файла "));
    ui.Label1->ensurePolished();
    QVERIFY(ui.Label1->font().bold());
    QCOMPARE(ui.Button1->text() + ui.Button2->text(), QStringLiteral("OKОтмена"));
    QVERIFY(ui.Button1->y() == ui.Button2->y() &&
            ui.Button1->x() + ui.Button1->width() <= ui.Button2->x());
    for (QWidget *w : std::initializer_list<QWidget *>{ui.Label1, ui.Edit1, ui.Button1, ui.Button2})
        QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    QVERIFY(QTest::qWaitForWindowExposed(Form12));
    const QImage field = ui.Edit1->grab().toImage();
    const QColor inside = field.pixelColor(field.width() - 6, field.height() / 2);
    QVERIFY2(qAbs(inside.red() - 135) + qAbs(inside.green() - 206) + qAbs(inside.blue() - 235) < 30,
             qPrintable(inside.name()));

    const QString typed = QStringLiteral("abcdefghijklmnopqrstuvwxyz0123456789");
    ui.Edit1->setFocus();
    QTest::keyClicks(ui.Edit1, typed);
    QCOMPARE(ui.Edit1->text(), typed.left(30));
    const QStringList files = listing(game.folder());
    QTest::mouseClick(ui.Button2, Qt::LeftButton);
    QVERIFY(Form12->isHidden() && Form2->isVisible());
    QCOMPARE(listing(game.folder()), files); // nothing written, not even the staging file
    Form2->ui().N2->trigger();
    QCOMPARE(ui.Edit1->text(), typed.left(30));
    QVERIFY(game.services.boxes().isEmpty());
}

void TestSavedGames::freshGameSavedWithShiftOneIsTheExampleAndResavingOverwrites() {
    newGameReset(Character);
    save(QStringLiteral("fresh"), 1);
    const QByteArray first = readFile(game.file(QStringLiteral("fresh.sav")));
    QCOMPARE(first, "0\r\n" + QByteArray("1\r\n").repeated(12) + "3\r\n211\r\n1\r\n1\r\n211\r\n");
    QVERIFY(Form12->isHidden());
    QCOMPARE(readFile(game.file(QStringLiteral("prox.dat"))), QByteArray());

    // Shift 2 this time: every byte but the line ends moves up by one.
    save(QStringLiteral("fresh"), 2);
    QByteArray expected = first;
    for (char &byte : expected)
        byte += byte == '\r' || byte == '\n' ? 0 : 1;
    QCOMPARE(readFile(game.file(QStringLiteral("fresh.sav"))), expected);
    QVERIFY(game.services.boxes().isEmpty());
}

void TestSavedGames::roundTrips_data() {
    QTest::addColumn<Values>("values");
    QTest::addColumn<int>("shift");
    QTest::newRow("fresh") << Values{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 100, 0, 0, 100} << 1;
    QTest::newRow("ordinary") << Values{2, 2, 0, 17, 3, 4, 1, 2, 5, 1, 2, 356, 10, 87, 45, 30, 66}
                              << 7;
    QTest::newRow("negative") << Values{0, 0, 0, -1, -20, 0, 0, 0, 0, 0, 0, -350, 2, -5, 0, 0, -1}
                              << 15;
    QTest::newRow("32-bit limits") << Values{Max, Min, Max, Min, Max, Min, Max, Min, Max,
                                             Min, Max, Min, Max, Min, Max, Min, Max}
                                   << 9;
}

void TestSavedGames::roundTrips() {
    QFETCH(Values, values);
    QFETCH(int, shift);
    setFields(values);
    save(QStringLiteral("round trip"), shift);
    QVERIFY(Form12->isHidden());
    QCOMPARE(readFile(game.file(QStringLiteral("prox.dat"))), QByteArray());

    setFields(Before);
    Character.BuyPrice = 21;
    load(game.file(QStringLiteral("round trip.sav")));
    QCOMPARE(fields(), values);
    QCOMPARE(Character.BuyPrice, 21); // not saved, so not loaded
    QCOMPARE(readFile(game.file(QStringLiteral("prox.dat"))), QByteArray());
    QVERIFY(game.services.boxes().isEmpty());
}

void TestSavedGames::handWrittenFiles_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Values>("values"); // empty: the load fails with "Invalid numeric input."
    QTest::addColumn<QByteArray>("staging");
    const auto first = [](Values values) {
        values.resize(17);
        return values;
    };
    const QByteArray fresh = QByteArray("1\r\n").repeated(12) + "3\r\n211\r\n1\r\n1\r\n211\r\n";
    QTest::newRow("empty") << QByteArray() << first({}) << QByteArray();
    QTest::newRow("fewer values") << QByteArray("0\r\n3\r\n211\r\n") << first({2, 100})
                                  << QByteArray();
    QTest::newRow("blank lines between values")
        << QByteArray("0\r\n\r\n3\r\n \r\n\n211\r\n") << first({2, 100}) << QByteArray();
    QTest::newRow("lines after the 18th")
        << "0\r\n" + fresh + "zz\r\n!!"
        << Values{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 100, 0, 0, 100} << QByteArray();
    QTest::newRow("32-bit limits, first line -1 for no shift")
        << QByteArray("-1\r\n2147483647\r\n-2147483648\r\n") << first({Max, Min}) << QByteArray();
    // A fresh game saved with shift 5 under a first line of 0: other numbers, no error.
    QTest::newRow("first line off by four, still numbers")
        << "0\r\n" + QByteArray("5\r\n").repeated(12) + "7\r\n655\r\n5\r\n5\r\n655\r\n"
        << Values{4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 6, 544, 4, 4, 544} << QByteArray();
    QTest::newRow("first line off, a non-number")
        << QByteArray("0\r\n5\r\n<\r\n5\r\n") << Values() << QByteArray("4\r\n;\r\n4\r\n");
    QTest::newRow("past the 32-bit range")
        << QByteArray("-1\r\n1\r\n2147483648\r\n") << Values() << QByteArray("1\r\n2147483648\r\n");
    QTest::newRow("bytes not a number")
        << QByteArray("0\r\n3\r\nabc\r\n") << Values() << QByteArray("2\r\n`ab\r\n");
    QTest::newRow("first line not a number")
        << QByteArray("abc\r\n1\r\n") << Values() << QByteArray("(missing)");
}

void TestSavedGames::handWrittenFiles() {
    QFETCH(QByteArray, file);
    QFETCH(Values, values);
    QFETCH(QByteArray, staging);
    writeFile(game.file(QStringLiteral("hand.sav")), file);
    setFields(Before);
    load(game.file(QStringLiteral("hand.sav")));
    if (values.isEmpty()) {
        QCOMPARE(game.services.boxes(), QStringList{"error Invalid numeric input."});
        QCOMPARE(fields(), Before);
    } else {
        QCOMPARE(game.services.boxes(), QStringList());
        QCOMPARE(fields(), values);
    }
    QCOMPARE(readFile(game.file(QStringLiteral("prox.dat"))), staging);
}

void TestSavedGames::saveNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("saved"); // the file written, or the error shown
    const char *const rows[][3] = {
        {"backslash into a subfolder", "sub\\game", "sub/game.sav"},
        {"slash into a subfolder", "sub/game", "sub/game.sav"},
        {"empty", "", ".sav"},
        {"Russian with a blank", "моя игра", "моя игра.sav"},
        {"missing subfolder", "missing\\game", "Invalid filename."},
        {"a file on the way", "notes\\game", "Invalid filename."},
        {"up and out", "..\\escape", "Invalid filename."},
        {"down, up and out", "sub/../../escape", "Invalid filename."},
        {"absolute", "<outside>/game", "Invalid filename."},
        {"absolute with backslashes", "<outside>\\game", "Invalid filename."},
        {"name of a folder", "folder", "File access denied."},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString::fromUtf8(row[1]) << QString::fromUtf8(row[2]);
}

// The program folder is a subfolder here, so that a save escaping it would still land
// where the test looks, and never outside the test's own folders.
void TestSavedGames::saveNames() {
    QFETCH(QString, name);
    QFETCH(QString, saved);
    const QTemporaryDir outside(QDir::tempPath() + QStringLiteral("/sXXXXXX"));
    QString placeholder = outside.path();
    if (name.contains(u'\\'))
        placeholder.replace(u'/', u'\\');
    name.replace(QStringLiteral("<outside>"), placeholder);
    QVERIFY(name.size() <= 30);
    const QDir program(game.file(QStringLiteral("program")));
    QVERIFY(program.mkpath(QStringLiteral("sub")) && program.mkdir(QStringLiteral("folder.sav")));
    // Joined to the folder, an absolute name would lead here: it is refused all the same.
    QVERIFY(program.mkpath(outside.path().mid(1)));
    writeFile(program.filePath(QStringLiteral("notes")), "notes");
    game.services.folder = program.path();
    setFields({2, 2, 2, 5, 0, 1, 0, 0, 0, 0, 0, -7, 4, 90, 10, 10, 80});
    const QStringList before = listing(game.folder());
    const bool works = saved.endsWith(QStringLiteral(".sav"));
    save(name, works ? 6 : 0);

    QStringList after = listing(game.folder());
    after.removeOne(QStringLiteral("program/prox.dat"));
    const QByteArray staging = readFile(program.filePath(QStringLiteral("prox.dat")));
    if (works) {
        QCOMPARE(decoded(readFile(program.filePath(saved))), fields());
        QVERIFY(Form12->isHidden());
        QVERIFY(game.services.boxes().isEmpty());
        QCOMPARE(staging, QByteArray());
        after.removeOne(QStringLiteral("program/") + saved);
    } else {
        QCOMPARE(game.services.boxes(), QStringList{"error " + saved});
        QVERIFY(Form12->isVisible());
        QCOMPARE(Form12->ui().Edit1->text(), name);
        QCOMPARE(staging, QByteArray::fromStdString(stagingText(savedValues(Character))));
    }
    QCOMPARE(after, before); // nothing else written anywhere
    QCOMPARE(listing(outside.path()), QStringList());
}

void TestSavedGames::failedSavesKeepTheEarlierFile() {
    save(QStringLiteral("game"), 3);
    const QByteArray earlier = readFile(game.file(QStringLiteral("game.sav")));
    const QString staging = game.file(QStringLiteral("prox.dat"));
    QStringList files = listing(game.folder());
    Character.Money = 123456;

    rlimit fileSize{};
    rlimit openFiles{};
    getrlimit(RLIMIT_FSIZE, &fileSize);
    getrlimit(RLIMIT_NOFILE, &openFiles);
    const auto undo = [&] {
        setrlimit(RLIMIT_FSIZE, &fileSize);
        setrlimit(RLIMIT_NOFILE, &openFiles);
        std::signal(SIGXFSZ, SIG_DFL);
        QFile::remove(staging);
        QDir().rmdir(staging);
    };
    const auto guard = qScopeGuard(undo);
    struct Failure {
        const char *message;
        std::function<void()> arrange;
        int shift; // 0: fails before the shift is drawn
    };
    const Failure failures[] = {
        {"Disk full.", [&] { QVERIFY(QFile::link(QStringLiteral("/dev/full"), staging)); }, 0},
        {"File access denied.", [&] { QVERIFY(QDir().mkdir(staging)); }, 0},
        {"Too many open files.",
         [] {
             const int lowestFree = ::open("/dev/null", O_RDONLY);
             QVERIFY(lowestFree > 0);
             ::close(lowestFree);
             limit(RLIMIT_NOFILE, lowestFree);
         },
         0},
        // The file grows past a size limit while it is written: EFBIG, and root too gets it.
        {"I/O error 27.",
         [&] {
             std::signal(SIGXFSZ, SIG_IGN);
             limit(RLIMIT_FSIZE, stagingText(savedValues(Character)).size() + 1);
         },
         2},
    };
    QVERIFY(files.removeOne(QStringLiteral("prox.dat")));
    for (const Failure &failure : failures) {
        undo();
        game.services.events.clear();
        failure.arrange();
        save(QStringLiteral("game"), failure.shift);
        undo();
        QCOMPARE(game.services.boxes(), QStringList{QStringLiteral("error ") + failure.message});
        QCOMPARE(readFile(game.file(QStringLiteral("game.sav"))), earlier);
        QVERIFY(Form12->isVisible());
        QCOMPARE(listing(game.folder()), files); // no half-written file left behind
        hideScreen(Form12);
    }
}

void TestSavedGames::killedSaveLeavesTheEarlierFileWhole() {
    save(QStringLiteral("game"), 3);
    const QByteArray earlier = readFile(game.file(QStringLiteral("game.sav")));
    const QStringList files = listing(game.folder());

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(KilledSaveFolder), game.folder());
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);
    QCOMPARE(child.exitCode(), SIGXFSZ);
    // Killed after the staging file was written: its values are there, the save is not.
    QVERIFY(readFile(game.file(QStringLiteral("prox.dat"))).startsWith("777\r\n"));
    QCOMPARE(readFile(game.file(QStringLiteral("game.sav"))), earlier);
    QCOMPARE(listing(game.folder()), files);
}

void TestSavedGames::openDialogAndFailedLoads() {
    newGameReset(Character);
    save(QString(), 1);
    save(QStringLiteral("game"), 5);
    writeFile(game.file(QStringLiteral("notes.txt")), "notes");
    const QString staging = game.file(QStringLiteral("prox.dat"));
    QVERIFY(QFile::remove(staging));
    setFields(Before);

    // Cancelled after a look elsewhere: nothing changes, and the next one starts at home.
    QTimer::singleShot(0, this, [] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->setDirectory(QDir::rootPath());
        static_cast<QDialog *>(dialog)->reject();
    });
    Form2->ui().N3->trigger();
    QVERIFY(!QFile::exists(staging));
    load(game.file(QStringLiteral("no such game.sav")));
    QCOMPARE(dialogFolder, QDir(game.folder()).absolutePath());
    QCOMPARE(dialogFilters, QStringList{"*.sav"});
    QVERIFY(dialogModalAndOwn);
    dialogListing.sort();
    QCOMPARE(dialogListing, QStringList({".sav", "game.sav"}));
    QVERIFY(!QFile::exists(staging));

    const auto undo = qScopeGuard([&] {
        QFile::remove(staging);
        QDir().rmdir(staging);
    });
    QVERIFY(QDir().mkdir(staging));
    load(game.file(QStringLiteral("game.sav")));
    QVERIFY(QDir().rmdir(staging));
    QVERIFY(QFile::link(QStringLiteral("/dev/full"), staging));
    load(game.file(QStringLiteral("game.sav")));
    QCOMPARE(game.services.boxes(), QStringList({"error File not found.",
                                                 "error File access denied.", "error Disk full."}));
    QCOMPARE(fields(), Before);
}

void TestSavedGames::loadedStateShowsAtTheNextTick() {
    Form2->Timer1Timer();
    const QString shownMoney = Form2->ui().Label6->text();
    writeFile(game.file(QStringLiteral("dying.sav")),
              "-1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n0\r\n77\r\n2\r\n-1\r\n");
    load(game.file(QStringLiteral("dying.sav")));
    QCOMPARE(Character.Money, 77);
    QCOMPARE(Character.Health, -1);
    QCOMPARE(Form2->ui().Label6->text(), shownMoney);
    QVERIFY(Form10->isHidden());

    Form2->Timer1Timer();
    QCOMPARE(Form2->ui().Label6->text(), QStringLiteral("77"));
    QVERIFY(Form10->isVisible());
    QCOMPARE(game.services.sounds(), QStringList{"7.wav"}); // the death, not the load
    game.services.events.clear();
}

int main(int argc, char *argv[]) {
    if (qEnvironmentVariableIsSet(KilledSaveFolder))
        return saveKilledHalfWay(qEnvironmentVariable(KilledSaveFolder));
    QApplication app(argc, argv);
    TestSavedGames test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_saved_games.moc"
