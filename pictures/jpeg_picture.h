#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes a JPEG with libjpeg-turbo. A damaged file that still yields a picture (a
// warning, such as data cut short) gives the picture and the warning in *problem; one
// that does not gives a null image and the error in *problem.
QImage decodeJpeg(const QByteArray &data, QString *problem = nullptr);
// Reads a JPEG file whole, to be decoded later; an unreadable one gives no data and the
// reason in *problem.
QByteArray readJpegFile(const QString &path, QString *problem = nullptr);
QImage loadJpeg(const QString &path, QString *problem = nullptr);
