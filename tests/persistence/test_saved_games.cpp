#include "core/character_state.h"
#include "game_fixture.h"
#include "persistence/save_screen.h"
#include "persistence/saved_games.h"
#include "pictures/jpeg_picture.h"
#include "shell/death_screen.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "ui_main_window.h"
#include "ui_save_screen.h"

#include <QAccessible>
#include <QApplication>
#include <QDirIterator>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <array>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using Values = QList<int>;

constexpr int Max = std::numeric_limits<int>::max();
constexpr int Min = std::numeric_limits<int>::min();
// Set before every load; no saved game holds it, so a changed field shows at once.
const Values Before = {40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56};
const char *const KilledSaveFolder = "SKITALIA_KILLED_SAVE_FOLDER";
const char *const ChildFolder = "SKITALIA_CHILD_FOLDER";
const char *const ChildOperation = "SKITALIA_CHILD_OPERATION";
const char *const ChildSetting = "SKITALIA_CHILD_SETTING";
const char *const ChildGameNumber = "SKITALIA_CHILD_GAME_NUMBER";
const char *const Busy =
    "Файл prox.dat в папке игры занят другой запущенной игрой. Попробуйте ещё раз.";

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

QString pathOf(int fd) {
    return QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd));
}

// Each synced file, and for a folder the saved games it then held.
QStringList syncs;
int recordSync(int fd) {
    const QString path = pathOf(fd);
    syncs << path + u' ' + QDir(path).entryList({QStringLiteral("*.sav*")}).join(u' ');
    return ::fsync(fd);
}

int failToSync(int /*fd*/) {
    errno = EIO;
    return -1;
}

// A file system whose write-back fails reports it at the close; the staging file's close
// still works here, so that the failure is the saved game's own.
int closeFailingButStaging(int fd) {
    const QString path = pathOf(fd);
    const int closed = ::close(fd);
    if (closed != 0 || path.endsWith(QStringLiteral("/prox.dat")))
        return closed;
    errno = EIO;
    return -1;
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

// The address space the process holds now: the sanitizers reserve terabytes of it.
rlim_t addressSpaceInUse() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    return statm.open(QIODevice::ReadOnly)
               ? statm.readAll().split(' ').value(0).toULongLong() * ::sysconf(_SC_PAGESIZE)
               : RLIM_INFINITY;
}

// Run in a child process, so that an operation that blocks or never ends is killed instead of
// hanging the suite: "load <file>", "save <name>" or "picture <file>" (the JPEG), printing the
// message or "ok". A file that grows without end is stopped at a megabyte, and one read whole
// into memory fails at once.
int runOperation(const QString &folder, const QString &operation) {
    // Root passes every permission check; nobody does not.
    const QString setting = qEnvironmentVariable(ChildSetting);
    if (setting == QStringLiteral("nobody") && (::setgid(65534) != 0 || ::setuid(65534) != 0))
        return 1;
    // NFS without its lock manager, and the file systems whose flock says EINVAL.
    static int lockError = 0;
    lockError = setting == QStringLiteral("no locks")        ? ENOLCK
                : setting == QStringLiteral("locks refused") ? EINVAL
                                                             : 0;
    if (lockError)
        lockFile = [](int, int) {
            errno = lockError;
            return -1;
        };
    limit(RLIMIT_CORE, 0);
    limit(RLIMIT_FSIZE, rlim_t{1} << 20);
    limit(RLIMIT_AS, addressSpaceInUse() + (rlim_t{256} << 20));
    const QString argument = operation.section(u' ', 1);
    SavedValues values{};
    values.fill(5);
    QString problem;
    if (operation.startsWith(QStringLiteral("save")))
        problem = saveGameFile(folder, argument, values, [] { return 4; });
    else if (operation.startsWith(QStringLiteral("picture")))
        loadJpeg(argument, &problem);
    else
        problem = loadGameFile(folder, argument).problem;
    std::fputs(problem.isEmpty() ? "ok" : qPrintable(problem), stdout);
    return 0;
}

// The values game 1 or 2 saves in a round: each field tells the game, the round and itself.
SavedValues roundValues(int game, int round) {
    SavedValues values{};
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = game * 1000000 + round * 100 + static_cast<int>(i);
    return values;
}

bool someRoundOf(const SavedValues &values) {
    const int game = values[0] / 1000000;
    return (game == 1 || game == 2) && values == roundValues(game, values[0] % 1000000 / 100);
}

// Run in two child processes at once: two games in one folder, each saving and loading its
// own game and one they share, as fast as they can. Prints the first fault, or "ok".
// Games that save without a pause can keep the other one out past its wait: told that the
// staging file is busy, a player tries again.
int playBesideAnother(const QString &folder, int game) {
    constexpr int Rounds = 200;
    const QString own = QStringLiteral("game%1").arg(game);
    const auto save = [&](const QString &name, const SavedValues &values, int shift) {
        QString fault;
        for (int turn = 0; turn < 10 && (turn == 0 || fault == QString::fromUtf8(Busy)); ++turn)
            fault = saveGameFile(folder, name, values, [shift] { return shift; });
        return fault;
    };
    const auto load = [&](const QString &name) {
        LoadResult result;
        for (int turn = 0; turn < 10 && (turn == 0 || result.problem == QString::fromUtf8(Busy));
             ++turn)
            result = loadGameFile(folder, folder + u'/' + name + QStringLiteral(".sav"));
        return result;
    };
    for (int round = 0; round < Rounds; ++round) {
        const SavedValues values = roundValues(game, round);
        QString fault = save(own, values, 1 + round % 15);
        if (fault.isEmpty())
            fault = save(QStringLiteral("shared"), values, 1 + round % 15);
        const LoadResult mine = load(own);
        const LoadResult shared = load(QStringLiteral("shared"));
        if (fault.isEmpty())
            fault = mine.problem.isEmpty() ? shared.problem : mine.problem;
        if (fault.isEmpty() && mine.values != values)
            fault = QStringLiteral("its own game came back as %1").arg(mine.values[0]);
        if (fault.isEmpty() && !someRoundOf(shared.values))
            fault = QStringLiteral("the shared game came back as %1").arg(shared.values[0]);
        if (!fault.isEmpty()) {
            std::fputs(qPrintable(QStringLiteral("round %1: %2").arg(round).arg(fault)), stdout);
            return 0;
        }
    }
    std::fputs("ok", stdout);
    return 0;
}

QString inChild(const QString &folder, const QString &operation, const QString &setting = {}) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(ChildSetting), setting);
    environment.insert(QString::fromLatin1(ChildFolder), folder);
    environment.insert(QString::fromLatin1(ChildOperation), operation);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    if (!child.waitForFinished(3000)) {
        child.kill();
        child.waitForFinished();
        return QStringLiteral("(still running after 3 s)");
    }
    if (child.exitStatus() != QProcess::NormalExit)
        return QStringLiteral("(killed by signal %1)").arg(child.exitCode());
    return QString::fromUtf8(child.readAllStandardOutput());
}

// What a folder holds, down to the kind of each entry and where its links lead; a regular
// staging file aside, which a failed save or load may create or fill.
QStringList fingerprint(const QString &folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat status = {};
        ::lstat(QFile::encodeName(path).constData(), &status);
        if (S_ISREG(status.st_mode) && it.fileName() == QStringLiteral("prox.dat"))
            continue;
        QString entry = it.fileName() + QStringLiteral(" %1").arg(status.st_mode, 0, 8);
        if (S_ISLNK(status.st_mode))
            entry += QStringLiteral(" -> ") + QFileInfo(path).symLinkTarget();
        else if (status.st_size > (1 << 20))
            entry += QStringLiteral(" %1 bytes").arg(status.st_size);
        else if (S_ISREG(status.st_mode))
            entry += u' ' + QString::fromLatin1(readFile(path).toHex());
        entries << entry;
    }
    entries.sort();
    return entries;
}

// Makes one entry that the attacks below need: "fifo NAME", "folder NAME", "device NAME"
// (a node like /dev/null's), "link NAME TARGET", "hardlink NAME TARGET", "growing NAME" (a
// saved game whose decoded text is longer than itself, so reading it into itself never ends),
// "huge NAME" (a saved game 4 GiB long, all of it a hole but its head) or "padded NAME LINES"
// (a saved game with 1234567 roubles whose values follow that many blank lines).
void arrange(const QString &step, const QString &program, const QString &outside) {
    const QStringList words = QString(step)
                                  .replace(QStringLiteral("<program>"), program)
                                  .replace(QStringLiteral("<outside>"), outside)
                                  .split(u' ');
    const QByteArray path = QFile::encodeName(program + u'/' + words.value(1));
    if (words[0] == QStringLiteral("fifo"))
        QCOMPARE(::mkfifo(path.constData(), 0644), 0);
    else if (words[0] == QStringLiteral("folder"))
        QCOMPARE(::mkdir(path.constData(), 0755), 0);
    else if (words[0] == QStringLiteral("device"))
        QCOMPARE(::mknod(path.constData(), S_IFCHR | 0644, makedev(1, 3)), 0);
    else if (words[0] == QStringLiteral("link"))
        QCOMPARE(::symlink(QFile::encodeName(words[2]).constData(), path.constData()), 0);
    else if (words[0] == QStringLiteral("hardlink"))
        QCOMPARE(::link(QFile::encodeName(words[2]).constData(), path.constData()), 0);
    else if (words[0] == QStringLiteral("growing"))
        writeFile(QFile::decodeName(path), "0\n" + QByteArray("1\n").repeated(17));
    else if (words[0] == QStringLiteral("huge")) { // a saved game, then a hole of 4 GiB
        writeFile(QFile::decodeName(path), "0\r\n" + QByteArray("1\r\n").repeated(17));
        QCOMPARE(::truncate(path.constData(), qint64{4} << 30), 0);
    } else if (words[0] == QStringLiteral("padded")) {
        writeFile(QFile::decodeName(path), "-1\r\n" +
                                               QByteArray("\r\n").repeated(words[2].toInt()) +
                                               QByteArray("0\r\n").repeated(11) + "1234567\r\n" +
                                               QByteArray("0\r\n").repeated(5));
    } else
        QFAIL(qPrintable(step));
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
    void hostileFiles_data();
    void hostileFiles();
    void fileErrors_data();
    void fileErrors();
    void twoGamesInOneFolder();
    void openDialogAndFailedLoads();
    void loadedStateShowsAtTheNextTick();

private:
    void save(const QString &name, int shift = 0);
    void load(const QString &choice);
    void readDetails(QFileDialog *dialog);

    GameFixture game;
    QString dialogFolder;
    QStringList dialogFilters;
    QStringList dialogListing;
    QStringList dialogDetails;
    bool dialogColumnsWhole = false;
    bool dialogModalAndOwn = false;
};

void TestSavedGames::init() {
    game.startAtMainWindow();
}

void TestSavedGames::cleanup() {
    QVERIFY(game.services.sounds().isEmpty());
    game.finishChecked(true);
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
        readDetails(dialog);
    });
    Form2->ui().N3->trigger();
}

// The detail view's rows as "name|size|type|date", and whether every column shows whole.
void TestSavedGames::readDetails(QFileDialog *dialog) {
    auto *view = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
    QVERIFY(view && view->isVisible());
    const QAbstractItemModel *model = view->model();
    const QModelIndex root = view->rootIndex();
    const auto cell = [&](int row, int column) {
        return model->index(row, column, root).data().toString();
    };
    // Sizes and dates come from a background reader after the names.
    const bool dated = QTest::qWaitFor(
        [&] {
            for (int row = 0; row < model->rowCount(root); ++row)
                if (cell(row, 3).isEmpty())
                    return false;
            return true;
        },
        2000);
    QVERIFY(dated);
    dialogDetails.clear();
    for (int row = 0; row < model->rowCount(root); ++row)
        dialogDetails << QStringList{cell(row, 0), cell(row, 1), cell(row, 2), cell(row, 3)}.join(
            u'|');
    const QHeaderView *header = view->header();
    int width = 0;
    dialogColumnsWhole = true;
    for (int column = 0; column < header->count(); ++column) {
        const QAbstractItemView *items = view;
        const int needed = qMax(header->sectionSizeHint(column), items->sizeHintForColumn(column));
        dialogColumnsWhole &= header->sectionSize(column) >= needed;
        width += header->sectionSize(column);
    }
    dialogColumnsWhole &= width <= view->viewport()->width();
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
        QVERIFY2(!QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).isEmpty(),
                 qPrintable(w->objectName()));
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

    // Shift 2 this time: every byte but the line ends moves up by one. The player's choice of
    // who may read the file stays, and the folder reaches the disk once the rename is done.
    const QByteArray path = QFile::encodeName(game.file(QStringLiteral("fresh.sav")));
    QCOMPARE(::chmod(path.constData(), 0600), 0);
    const FileFinishCalls real = fileFinishCalls;
    fileFinishCalls.sync = recordSync;
    save(QStringLiteral("fresh"), 2);
    fileFinishCalls = real;
    QByteArray expected = first;
    for (char &byte : expected)
        byte += byte == '\r' || byte == '\n' ? 0 : 1;
    QCOMPARE(readFile(game.file(QStringLiteral("fresh.sav"))), expected);
    QVERIFY(game.services.boxes().isEmpty());
    struct stat status = {};
    QCOMPARE(::stat(path.constData(), &status), 0);
    QCOMPARE(status.st_mode & 07777, 0600u);
    const QString folder = QDir(game.folder()).canonicalPath();
    QCOMPARE(syncs.size(), 2);
    QVERIFY2(syncs[0].startsWith(folder + QStringLiteral("/fresh.sav.saving-")),
             qPrintable(syncs[0]));
    QCOMPARE(syncs[1], folder + QStringLiteral(" fresh.sav"));
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
    QByteArray crOnly = "0\r\n" + fresh;
    crOnly.replace("\r\n", "\r");
    QTest::newRow("lone CR line ends")
        << crOnly << Values{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 100, 0, 0, 100} << QByteArray();
    // Shift 14: "1", CR, "4" are stored as "?", 27, "B"; the decoded CR ends the line.
    QTest::newRow("decoded CR inside a value")
        << QByteArray("13\r\n\x3f\x1b\x42\r\n\x40\r\n") << first({1, 4, 2}) << QByteArray();
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
        {"down and up, staying inside", "sub/../game", "Invalid filename."},
        {"absolute", "<outside>/game", "Invalid filename."},
        {"absolute with backslashes", "<outside>\\game", "Invalid filename."},
        {"name of a folder", "folder", "File access denied."},
        {"pasted line end", "game\nx", "Invalid filename."},
        {"tab", "a\tb", "Invalid filename."},
        {"line separator", "a\u2028b", "Invalid filename."},
        {"paragraph separator", "a\u2029b", "Invalid filename."},
        {"next line", "a\u0085b", "Invalid filename."},
        {"characters other systems refuse", "a:b*c?<>|\"", "a:b*c?<>|\".sav"},
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
    const FileFinishCalls real = fileFinishCalls;
    const auto undo = [&] {
        fileFinishCalls = real;
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
        {"I/O error 5.", [] { fileFinishCalls.sync = failToSync; }, 2},
        {"I/O error 5.", [] { fileFinishCalls.close = closeFailingButStaging; }, 2},
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
    // A player's own copy, seven letters, or a link: not a temporary file of the game's own.
    writeFile(game.file(QStringLiteral("game.sav.backup")), earlier);
    writeFile(game.file(QStringLiteral("game.sav.saving-backup1")), earlier);
    QVERIFY(QFile::link(game.file(QStringLiteral("game.sav")),
                        game.file(QStringLiteral("x.sav.saving-link01"))));
    const QStringList files = listing(game.folder());
    // A save killed after its file was complete, before it took the old one's place.
    writeFile(game.file(QStringLiteral("game.sav.saving-Ab3dE9")), earlier);

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

    // The next save clears what the killed ones left, and only that.
    save(QStringLiteral("game"), 5);
    QCOMPARE(listing(game.folder()), files);
    QCOMPARE(decoded(readFile(game.file(QStringLiteral("game.sav")))), fields());
}

void TestSavedGames::hostileFiles_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("message");
    const char *const rows[][4] = {
        {"FIFO chosen", "fifo fifo.sav", "load <program>/fifo.sav", "File access denied."},
        {"character device chosen", "", "load /dev/zero", "File access denied."},
        {"folder chosen", "folder dir.sav", "load <program>/dir.sav", "File access denied."},
        {"staging file chosen", "growing prox.dat", "load <program>/prox.dat",
         "File access denied."},
        {"link to the staging file chosen", "growing prox.dat|link game.sav <program>/prox.dat",
         "load <program>/game.sav", "File access denied."},
        {"staging file a FIFO, save", "fifo prox.dat", "save game", "File access denied."},
        {"staging file a FIFO, load", "fifo prox.dat", "load <outside>/victim.sav",
         "File access denied."},
        {"staging file links outside, save", "link prox.dat <outside>/notes", "save game",
         "File access denied."},
        {"staging file links outside, load", "link prox.dat <outside>/notes",
         "load <outside>/victim.sav", "File access denied."},
        {"staging file a second name outside, save", "hardlink prox.dat <outside>/notes",
         "save game", "File access denied."},
        {"staging file a second name outside, load", "hardlink prox.dat <outside>/notes",
         "load <outside>/victim.sav", "File access denied."},
        {"save name links outside", "link game.sav <outside>/notes", "save game",
         "Invalid filename."},
        {"save name a device", "device game.sav", "save game", "Invalid filename."},
        {"save name a FIFO", "fifo game.sav", "save game", "Invalid filename."},
        {"subfolder links outside", "link sub <outside>", "save sub/victim", "Invalid filename."},
        {"loading through a link to a regular file", "link other.sav <outside>/victim.sav",
         "load <program>/other.sav", "ok"},
        {"a saved game 4 GiB long", "huge big.sav", "load <program>/big.sav", "ok"},
        // Past what a load reads, as if the file ended there, they would load as zeros.
        {"values after 64 KiB of blank lines", "padded far.sav 40000", "load <program>/far.sav",
         "Это не сохранённая игра: файл слишком длинный."},
        {"the money's digits across 64 KiB", "padded cut.sav 32749", "load <program>/cut.sav",
         "Это не сохранённая игра: файл слишком длинный."},
        {"the last value ended at 64 KiB", "padded end.sav 32738", "load <program>/end.sav", "ok"},
        {"a picture 4 GiB long", "huge trades.jpg", "picture <program>/trades.jpg",
         "файл больше 32 МБ"},
    };
    for (const auto &[name, steps, operation, message] : rows)
        QTest::newRow(name) << QString::fromUtf8(steps).split(u'|', Qt::SkipEmptyParts)
                            << QString::fromUtf8(operation) << QString::fromUtf8(message);
}

// Files that are not what they seem: each attack is refused at once, in a child that is
// killed when it hangs, and nothing changes in the program folder or outside it.
void TestSavedGames::hostileFiles() {
    QFETCH(QStringList, steps);
    QFETCH(QString, operation);
    QFETCH(QString, message);
    const QString program = game.folder();
    // A sibling whose name begins with the program folder's: outside all the same.
    const QTemporaryDir outside(program + QStringLiteral("-old"));
    writeFile(outside.filePath(QStringLiteral("notes")), "notes");
    writeFile(outside.filePath(QStringLiteral("victim.sav")), "0\r\n3\r\n211\r\n");
    for (const QString &step : steps)
        arrange(step, program, outside.path());
    const QStringList inside = fingerprint(program);
    const QStringList beyond = fingerprint(outside.path());
    operation.replace(QStringLiteral("<program>"), program);
    operation.replace(QStringLiteral("<outside>"), outside.path());

    QCOMPARE(inChild(program, operation), message);
    QCOMPARE(fingerprint(program), inside);
    QCOMPARE(fingerprint(outside.path()), beyond);
    if (message == QStringLiteral("ok"))
        QCOMPARE(readFile(game.file(QStringLiteral("prox.dat"))), QByteArray());
}

void TestSavedGames::fileErrors_data() {
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("message");
    const QString tooLong = QStringLiteral("load <program>/") + QString(300, u'a');
    const char *const rows[][4] = {
        {"missing file", "", "load <program>/none.sav", "File not found."},
        {"missing folder on the way to a load", "", "load <program>/none/game.sav",
         "File not found."},
        {"missing folder on the way to a save", "", "save none/game", "Invalid filename."},
        {"a file where a folder should be", "", "save game.sav/game", "Invalid filename."},
        {"read-only file system", "read-only", "save game", "File access denied."},
        {"no permission", "nobody", "save game", "File access denied."},
        {"full disk", "full", "save game", "Disk full."},
        {"name too long", "", "", "I/O error 36."},
        // Another game hung or stopped while holding the staging file: one short wait.
        {"staging file held, save", "held", "save game", Busy},
        {"staging file held, load", "held", "load <program>/game.sav", Busy},
        {"no locks on the file system, save", "no locks", "save game", "ok"},
        {"no locks on the file system, load", "no locks", "load <program>/game.sav", "ok"},
        {"locks refused by the file system, save", "locks refused", "save game", "ok"},
    };
    for (const auto &[name, setting, operation, message] : rows)
        QTest::newRow(name) << QString::fromUtf8(setting)
                            << (*operation ? QString::fromUtf8(operation) : tooLong)
                            << QString::fromUtf8(message);
}

// Each error the file system can give, provoked for real, shows its own message within the
// child's 3 s and leaves the program folder as it was.
void TestSavedGames::fileErrors() {
    QFETCH(QString, setting);
    QFETCH(QString, operation);
    QFETCH(QString, message);
    const QString program = game.file(QStringLiteral("work"));
    const QByteArray path = QFile::encodeName(program);
    QVERIFY(QDir().mkpath(program));
    bool mounted = false;
    const auto unmount = qScopeGuard([&] {
        if (mounted)
            ::umount2(path.constData(), MNT_DETACH);
    });
    if (setting == QStringLiteral("full")) {
        if (::mount("tmpfs", path.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("a small tmpfs cannot be mounted here, so no disk can be made full");
        mounted = true;
    }
    writeFile(program + QStringLiteral("/game.sav"), "0\r\n3\r\n");
    if (setting == QStringLiteral("full")) {
        QFile filler(program + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'x')) > 0 && filler.flush()) {
        }
    }
    if (setting == QStringLiteral("read-only")) {
        if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0)
            QSKIP("a folder cannot be bound here, so none can be made read-only");
        mounted = true;
        QCOMPARE(
            ::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr),
            0);
    }
    QFile staging(program + QStringLiteral("/prox.dat"));
    if (setting == QStringLiteral("held")) {
        QVERIFY(staging.open(QIODevice::WriteOnly));
        QCOMPARE(::flock(staging.handle(), LOCK_EX), 0);
    }
    const QStringList before = fingerprint(program);
    operation.replace(QStringLiteral("<program>"), program);
    QCOMPARE(inChild(program, operation, setting), message);
    if (message == QStringLiteral("ok"))
        QCOMPARE(readFile(staging.fileName()), QByteArray());
    else
        QCOMPARE(fingerprint(program), before);
}

// A double click on the launcher starts two games on one staging file: neither may spoil a
// save of the other's, load the other's values or report a failed save as done.
void TestSavedGames::twoGamesInOneFolder() {
    std::array<QProcess, 2> games;
    for (std::size_t i = 0; i < games.size(); ++i) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(ChildFolder), game.folder());
        environment.insert(QString::fromLatin1(ChildGameNumber), QString::number(i + 1));
        games[i].setProcessEnvironment(environment);
        games[i].start(QCoreApplication::applicationFilePath(), {});
    }
    for (QProcess &other : games) {
        QVERIFY(other.waitForFinished(120000));
        QCOMPARE(other.exitStatus(), QProcess::NormalExit);
        QCOMPARE(other.readAllStandardOutput(), QByteArray("ok"));
    }
    QCOMPARE(readFile(game.file(QStringLiteral("prox.dat"))), QByteArray());
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
    // Russian sizes, dates and the type of a saved game whatever the system's language.
    const QRegularExpression russian(
        QStringLiteral(R"(^game\.sav\|\d+ байт\|Сохранённая игра\|\d\d\.\d\d\.\d{4} \d\d:\d\d$)"));
    QVERIFY2(dialogDetails.filter(russian).size() == 1, qPrintable(dialogDetails.join(u'\n')));
    QVERIFY(dialogColumnsWhole);
    QVERIFY(!QFile::exists(staging));

    const auto undo = qScopeGuard([&] {
        QFile::remove(staging);
        QDir().rmdir(staging);
    });
    QVERIFY(QDir().mkdir(staging));
    load(game.file(QStringLiteral("game.sav")));
    QVERIFY(QDir().rmdir(staging));
    const FileFinishCalls real = fileFinishCalls;
    fileFinishCalls.close = closeFailingButStaging;
    load(game.file(QStringLiteral("game.sav")));
    fileFinishCalls = real;
    QCOMPARE(
        game.services.boxes(),
        QStringList({"error File not found.", "error File access denied.", "error I/O error 5."}));
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
    if (qEnvironmentVariableIsSet(ChildOperation))
        return runOperation(qEnvironmentVariable(ChildFolder),
                            qEnvironmentVariable(ChildOperation));
    if (qEnvironmentVariableIsSet(ChildGameNumber))
        return playBesideAnother(qEnvironmentVariable(ChildFolder),
                                 qEnvironmentVariableIntValue(ChildGameNumber));
    if (qEnvironmentVariableIsSet(KilledSaveFolder))
        return saveKilledHalfWay(qEnvironmentVariable(KilledSaveFolder));
    QApplication app(argc, argv);
    TestSavedGames test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_saved_games.moc"
