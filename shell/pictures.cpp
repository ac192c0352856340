#include "shell/pictures.h"

#include <QImageReader>

QImage readPicture(const QString &path, const char *format) {
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap builtInPicture(const QString &name) {
    return QPixmap::fromImage(
        readPicture(QStringLiteral(":/pictures/") + name + QStringLiteral(".png"), "png"));
}
