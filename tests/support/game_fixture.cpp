#include "game_fixture.h"

#include "core/character_state.h"
#include "shell/game_screens.h"
#include "shell/main_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QWidget>
#include <utility>

// The suites are built beside the game's folder.
QString builtGameFolder() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../game");
}

QString screenshotFolder() {
    return qEnvironmentVariable("SKITALIA_SCREENSHOT_DIR", QDir::tempPath());
}

void copyGameFiles(const QString &folder) {
    const QDir source(builtGameFolder());
    const QStringList names = source.entryList(
        {QStringLiteral("*.wav"), QStringLiteral("*.bmp"), QStringLiteral("*.jpg")}, QDir::Files);
    for (const QString &name : names)
        QFile::copy(source.filePath(name), folder + QLatin1Char('/') + name);
}

GameFixture::GameFixture() = default;

GameFixture::~GameFixture() {
    finish();
}

void GameFixture::start(bool createScreens) {
    finish();
    dir_ = std::make_unique<QTemporaryDir>();
    copyGameFiles(dir_->path());
    services = ScriptedServices();
    services.folder = dir_->path();
    previous_ = installServices(&services);
    previousPlayers_ = std::exchange(makeSoundPlayer, &ScriptedServices::recordingPlayer);
    Character = CharacterState();
    if (!createScreens)
        return;
    createGameScreens();
    // As the game has them once its title is on the screen: polished, pictures decoded.
    for (QWidget *screen : gameScreens())
        screen->ensurePolished();
}

void GameFixture::startAtMainWindow() {
    start();
    Form2->Timer1.stop();
    Form2->show();
    services.events.clear();
}

void GameFixture::finishChecked(bool allDrawn) {
    const QStringList problems = services.problems;
    const int unused = allDrawn ? services.unusedDraws() : 0;
    finish();
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    QCOMPARE(unused, 0);
}

void GameFixture::finish() {
    if (!dir_)
        return;
    destroyGameScreens();
    installServices(previous_);
    makeSoundPlayer = previousPlayers_;
    dir_.reset();
}

QString GameFixture::file(const QString &name) const {
    return dir_->filePath(name);
}
