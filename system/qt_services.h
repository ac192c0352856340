#pragma once

#include "system/game_folder.h"
#include "system/services.h"

#include <random>

// The services as the real game uses them: Qt's boxes and sound, the clock, the
// executable's folder or, when that cannot be written, the player's own game folder.
class QtServices : public Services {
public:
    QtServices();

    void messageBox(const QString &text, const QString &caption) override;
    void notice(const QString &text) override;
    void errorBox(const QString &text) override;
    int randomBelow(int n) override;
    void reseedRandom() override;
    QString programFolder() override;
    QString saveFolder() override;
    // Tells the player, once, why his own game folder could not be made.
    void tellFolderProblem();
    std::uint32_t tickCount() override;
    void endProgram() override;

private:
    std::mt19937 random_;
    // Chosen once, so that every rule sees the same folders for the whole game.
    GameFolders folders_;
};
