#pragma once

#include <QByteArray>
#include <QString>
#include <sys/stat.h>

// A file opened without waiting on it: a FIFO or a device where the game expects a file would
// otherwise hang the open or the first read for good.
struct OpenedFile {
    int fd = -1;            // owned by the caller when not -1
    int error = 0;          // errno of a failed open
    bool otherKind = false; // not a regular file, or a link where none is followed
    struct stat status = {};
};

OpenedFile openRegularFile(const QByteArray &path, int flags, bool followLinks);

// Reads a regular file whole, refusing anything else and anything over `limit` bytes. Returns
// the bytes, or sets *problem to why not, in the player's language.
QByteArray readRegularFile(const QString &path, qint64 limit, QString *problem);

// Makes the folder and those above it that are missing; 0, or the errno of the failure.
int makeFolder(const QString &folder);
