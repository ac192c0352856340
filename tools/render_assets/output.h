#pragma once

#include <QByteArray>
#include <QString>

// Writes through a temporary file, so a failed run never leaves a half-written asset that the
// build would then take as up to date.
void writeOutputFile(const QString &path, const QByteArray &bytes);
