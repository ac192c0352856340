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

// The program folder for a game installed in installFolder. A writable install folder is
// it; otherwise the player's own folder, created when missing and given a link to each of
// the game's files there, so that games are saved without writing the installed files.
// When that folder cannot be made, the install folder stays, and saving reports why.
QString chooseProgramFolder(const QString &installFolder, bool installWritable,
                            const QString &userFolder);
