#pragma once

#include <QString>
#include <QStringList>

// The files the game loads from its program folder, as the build renders them.
QStringList gameFileNames();

// Whether this process may create and replace files in the folder; a read-only mount says no
// even to root.
bool folderWritable(const QString &folder);

// The player's own game folder: $XDG_DATA_HOME/skitalia, by default ~/.local/share/skitalia.
QString userGameFolder();

// A game installed under the system's prefix (the package, a /usr or /usr/local install) is
// shared by every user, root too: none of them may save into it.
bool insideSystemPrefix(const QString &installFolder);

// The call that links a game file into the player's folder; tests replace it to let another
// game come first.
extern int (*makeLink)(const char *target, const char *link);

struct GameFolders {
    QString program; // the game's files are loaded from here
    QString saves;   // games are saved and loaded here, through its staging file
    QString problem; // for the player: why his own folder could not be made; empty when it was
};

// The folders for a game installed in installFolder. An install folder that may hold the
// games (writable, not the system's) is both; otherwise the player's own folder, created when
// missing and given a link to each of the game's files there, so that games are saved
// without writing the installed files. When that folder cannot be made, the files are
// loaded from the install folder, and saving into the player's folder tells the real cause.
GameFolders chooseGameFolders(const QString &installFolder, bool installHoldsGames,
                              const QString &userFolder);
