#pragma once

#include "scripted_services.h"

#include <QTemporaryDir>
#include <memory>

// A fresh game for each test: the record as before start-up, a program folder of its own
// holding copies of the game's files, scripted services, and (with createScreens) the
// thirteen screens.
class GameFixture {
public:
    GameFixture();
    ~GameFixture();

    void start(bool createScreens = true);
    // Started with the main window shown, its tick stopped (the test ticks by hand) and
    // nothing recorded yet.
    void startAtMainWindow();
    void finish();
    // Finishes; fails the test on a random number asked for but not scripted, and with
    // allDrawn on one scripted but never drawn.
    void finishChecked(bool allDrawn = false);

    ScriptedServices services;
    QString folder() const { return dir_->path(); }
    QString file(const QString &name) const;

private:
    std::unique_ptr<QTemporaryDir> dir_;
    Services *previous_ = nullptr;
    SoundPlayerMaker previousPlayers_ = nullptr;
};

// The folder the build puts the game and its files in.
QString builtGameFolder();
// The folder the suites put their pictures in, named by the test's environment.
QString screenshotFolder();
// Copies the game's files (sounds, symbols, pictures) into the folder.
void copyGameFiles(const QString &folder);
