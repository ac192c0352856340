#pragma once

#include "core/character_state.h"
#include "persistence/save_codec.h"

#include <QString>
#include <functional>

// The 17 saved fields of the record, in the file's order.
SavedValues savedValues(const CharacterState &state);
void restoreSavedValues(CharacterState &state, const SavedValues &values);

QString stagingPath(const QString &folder);
// The file a typed save name stands for: "\" and "/" both separate folders. Empty when the
// name would lead out of the program folder.
QString savePath(const QString &folder, const QString &name);

// The calls that finish a written file; tests replace them to make one fail.
struct FileFinishCalls {
    int (*sync)(int fd);
    int (*close)(int fd);
};
extern FileFinishCalls fileFinishCalls;
// The advisory lock on the staging file (flock); tests replace it with a file system's that has
// none.
extern int (*lockFile)(int fd, int operation);

// Saves through the staging file into the file a typed name stands for. An earlier file of
// that name is replaced only by a complete new one, and only when it is a regular file inside
// the program folder. The shift is drawn only once the new file can be written. Returns the
// message for the player, or nothing on success.
QString saveGameFile(const QString &folder, const QString &name, const SavedValues &values,
                     const std::function<int()> &drawShift);

struct LoadResult {
    QString problem; // the message for the player; empty on success
    SavedValues values{};
};

// Decodes a saved game through the staging file. Only a load that read every value is a
// success, so a failure leaves nothing half-loaded. Only a regular file other than the
// staging file is read.
LoadResult loadGameFile(const QString &folder, const QString &chosen);
