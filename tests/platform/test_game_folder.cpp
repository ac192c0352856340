#include "core/character_state.h"
#include "game_fixture.h"
#include "persistence/save_screen.h"
#include "persistence/saved_games.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"
#include "system/game_folder.h"
#include "system/qt_services.h"
#include "ui_main_window.h"
#include "ui_save_screen.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <unistd.h>

namespace {

// Every file's name and content, so that a test can tell that nothing was written.
QMap<QString, QByteArray> snapshot(const QString &folder) {
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile file(dir.filePath(name));
        files[name] = file.open(QIODevice::ReadOnly)
                          ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                          : QByteArray();
    }
    return files;
}

// Another game starting at the same moment makes each link just before this one does.
int linkAfterAnotherGame(const char *target, const char *link) {
    return ::symlink(target, link) == 0 ? ::symlink(target, link) : -1;
}

bool run(const QString &program, const QStringList &arguments) {
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

class TestGameFolder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theLinkedFilesAreTheFilesTheBuildRenders();
    void theInstallFolderIsKeptOnlyWhenItIsWritable_data();
    void theInstallFolderIsKeptOnlyWhenItIsWritable();
    void oldLinksAreRenewedAndThePlayersFilesKept();
    void theUserFolderFollowsXdgDataHome_data();
    void theUserFolderFollowsXdgDataHome();
    void theRealGameKeepsAWritableExecutableFolder();
    void systemPrefixes_data();
    void systemPrefixes();
    void anUnmadeUserFolderStillPlaysAndSavingTellsWhy_data();
    void anUnmadeUserFolderStillPlaysAndSavingTellsWhy();
    void aReadOnlyInstallPlaysAndSavesInTheUserFolder();
};

void TestGameFolder::theLinkedFilesAreTheFilesTheBuildRenders() {
    QStringList built = QDir(builtGameFolder()).entryList(QDir::Files);
    built.removeAll(QStringLiteral("skitalia"));
    QStringList linked = gameFileNames();
    built.sort();
    linked.sort();
    QCOMPARE(linked, built);
}

void TestGameFolder::theInstallFolderIsKeptOnlyWhenItIsWritable_data() {
    QTest::addColumn<bool>("writable");
    QTest::newRow("writable install") << true;
    QTest::newRow("read-only install") << false;
}

void TestGameFolder::theInstallFolderIsKeptOnlyWhenItIsWritable() {
    QFETCH(bool, writable);
    QTemporaryDir install;
    QTemporaryDir home;
    copyGameFiles(install.path());
    const QString user = home.filePath(QStringLiteral("data/skitalia"));
    const auto installed = snapshot(install.path());

    const GameFolders chosen = chooseGameFolders(install.path(), writable, user);

    QCOMPARE(chosen.program, writable ? install.path() : user);
    QCOMPARE(chosen.saves, chosen.program);
    QCOMPARE(chosen.problem, QString());
    QCOMPARE(QFileInfo::exists(user), !writable);
    if (writable)
        return;
    for (const QString &name : gameFileNames()) {
        const QFileInfo link(user + QLatin1Char('/') + name);
        QVERIFY2(link.isSymLink(), qPrintable(name));
        QCOMPARE(link.symLinkTarget(), QFileInfo(install.filePath(name)).absoluteFilePath());
    }
    CharacterState state;
    state.Money = 1234;
    QCOMPARE(saveGameFile(user, QStringLiteral("game"), savedValues(state), [] { return 3; }),
             QString());
    const LoadResult loaded = loadGameFile(user, user + QStringLiteral("/game.sav"));
    QCOMPARE(loaded.problem, QString());
    QCOMPARE(loaded.values, savedValues(state));
    QVERIFY(QFileInfo(user + QStringLiteral("/game.sav")).isFile());
    QCOMPARE(snapshot(install.path()), installed);
}

void TestGameFolder::oldLinksAreRenewedAndThePlayersFilesKept() {
    QTemporaryDir install;
    QTemporaryDir user;
    copyGameFiles(install.path());
    QVERIFY(QFile::link(QStringLiteral("/nowhere/2.wav"), user.filePath(QStringLiteral("2.wav"))));
    QFile own(user.filePath(QStringLiteral("3.wav")));
    QVERIFY(own.open(QIODevice::WriteOnly) && own.write("mine") == 4);
    own.close();

    makeLink = linkAfterAnotherGame;
    const GameFolders chosen = chooseGameFolders(install.path(), false, user.path());
    makeLink = ::symlink;
    QCOMPARE(chosen.program, user.path());
    QCOMPARE(chosen.problem, QString());

    QCOMPARE(QFileInfo(user.filePath(QStringLiteral("2.wav"))).symLinkTarget(),
             install.filePath(QStringLiteral("2.wav")));
    QVERIFY(own.open(QIODevice::ReadOnly));
    QCOMPARE(own.readAll(), QByteArray("mine"));
}

void TestGameFolder::theUserFolderFollowsXdgDataHome_data() {
    QTest::addColumn<QByteArray>("dataHome");
    QTest::addColumn<QString>("folder");
    const QString fallback = QDir::homePath() + QStringLiteral("/.local/share/skitalia");
    QTest::newRow("set") << QByteArray("/data/home") << QStringLiteral("/data/home/skitalia");
    QTest::newRow("unset") << QByteArray() << fallback;
    QTest::newRow("relative, so ignored") << QByteArray("data") << fallback;
}

void TestGameFolder::theUserFolderFollowsXdgDataHome() {
    QFETCH(QByteArray, dataHome);
    QFETCH(QString, folder);
    const QByteArray earlier = qgetenv("XDG_DATA_HOME");
    const auto set = [](const QByteArray &value) {
        value.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", value);
    };
    auto restore = qScopeGuard([&] { set(earlier); });
    set(dataHome);
    QCOMPARE(userGameFolder(), folder);
}

// The test's own folder is writable, as a build's game folder is.
void TestGameFolder::theRealGameKeepsAWritableExecutableFolder() {
    QVERIFY(folderWritable(QCoreApplication::applicationDirPath()));
    QCOMPARE(QtServices().programFolder(), QCoreApplication::applicationDirPath());
}

void TestGameFolder::systemPrefixes_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("system");
    QTest::newRow("the package") << QStringLiteral("/usr/lib/games/skitalia") << true;
    QTest::newRow("a /usr/local install") << QStringLiteral("/usr/local/lib/skitalia") << true;
    QTest::newRow("the player's own prefix")
        << QDir::homePath() + QStringLiteral("/.local/lib/skitalia") << false;
    QTest::newRow("a name starting alike") << QStringLiteral("/usrgames/skitalia") << false;
    QTest::newRow("a build") << builtGameFolder() << false;
}

void TestGameFolder::systemPrefixes() {
    QFETCH(QString, folder);
    QFETCH(bool, system);
    QCOMPARE(insideSystemPrefix(folder), system);
}

void TestGameFolder::anUnmadeUserFolderStillPlaysAndSavingTellsWhy_data() {
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("saving");
    QTest::newRow("the data home a file") << "file"
                                          << "Not a directory"
                                          << "Invalid filename.";
    QTest::newRow("no inodes left") << "no inodes"
                                    << "No space left on device"
                                    << "Disk full.";
}

// The install folder stands for a system one: whatever happens, nothing is written into it.
void TestGameFolder::anUnmadeUserFolderStillPlaysAndSavingTellsWhy() {
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);
    QFETCH(QString, saving);
    QTemporaryDir install;
    QTemporaryDir home;
    copyGameFiles(install.path());
    const auto installed = snapshot(install.path());
    const QString dataHome = home.filePath(QStringLiteral("data"));
    bool mounted = false;
    auto unmount = qScopeGuard([&] {
        if (mounted)
            run(QStringLiteral("umount"), {dataHome});
    });
    if (obstacle == QStringLiteral("file")) {
        QFile file(dataHome);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkpath(dataHome));
        if (!run(QStringLiteral("mount"),
                 {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                  QStringLiteral("nr_inodes=1"), QStringLiteral("tmpfs"), dataHome}))
            QSKIP("no tmpfs can be mounted here (needs root), so no disk can be made full");
        mounted = true;
    }
    const QString user = dataHome + QStringLiteral("/skitalia");

    const GameFolders chosen = chooseGameFolders(install.path(), false, user);

    QCOMPARE(chosen.program, install.path());
    QCOMPARE(chosen.saves, user);
    QVERIFY2(chosen.problem.contains(user) && chosen.problem.contains(reason),
             qPrintable(chosen.problem));
    CharacterState state;
    QCOMPARE(
        saveGameFile(chosen.saves, QStringLiteral("game"), savedValues(state), [] { return 3; }),
        saving);
    QCOMPARE(snapshot(install.path()), installed);
}

// A real read-only folder: a read-only bind mount, which refuses even root.
void TestGameFolder::aReadOnlyInstallPlaysAndSavesInTheUserFolder() {
    QTemporaryDir source;
    QTemporaryDir install;
    QTemporaryDir home;
    copyGameFiles(source.path());
    if (!run(QStringLiteral("mount"), {QStringLiteral("--bind"), source.path(), install.path()}))
        QSKIP("no bind mount here (needs root)");
    auto unmount = qScopeGuard([&] { run(QStringLiteral("umount"), {install.path()}); });
    QVERIFY(run(QStringLiteral("mount"),
                {QStringLiteral("-o"), QStringLiteral("remount,ro,bind"), install.path()}));
    QVERIFY(folderWritable(source.path()));
    QVERIFY(!folderWritable(install.path()));
    const auto installed = snapshot(install.path());
    const QString user = home.filePath(QStringLiteral("skitalia"));

    GameFixture game;
    game.start(false);
    game.services.folder =
        chooseGameFolders(install.path(), folderWritable(install.path()), user).program;
    QCOMPARE(game.services.folder, user);
    createGameScreens(); // every sound and picture loads through the links
    Character.Money = 777;
    Form2->ui().N2->trigger();
    Form12->ui().Edit1->setText(QStringLiteral("game"));
    game.services.script({{15, 4}});
    QTest::mouseClick(Form12->ui().Button1, Qt::LeftButton);
    QCOMPARE(game.services.boxes(), QStringList());
    QCOMPARE(Character.AppDir, user);
    QVERIFY(QFileInfo(user + QStringLiteral("/game.sav")).isFile());
    QCOMPARE(QFileInfo(user + QStringLiteral("/prox.dat")).size(), 0);

    Character.Money = 0;
    QString dialogFolder;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialogFolder = dialog->directory().absolutePath();
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("game.sav"));
        static_cast<QDialog *>(dialog)->accept();
    });
    Form2->ui().N3->trigger();
    QCOMPARE(dialogFolder, user);
    QCOMPARE(int(Character.Money), 777);
    QCOMPARE(snapshot(install.path()), installed);
}

QTEST_MAIN(TestGameFolder)
#include "test_game_folder.moc"
