#include "platform/pictures.h"

#include "platform/first_frame.h"
#include "platform/picture_button.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>

QImage readPicture(const QString &path, const char *format) {
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QPixmap builtInPicture(const QString &name) {
    return builtInPicture(name, qGuiApp->devicePixelRatio());
}

QPixmap builtInPicture(const QString &name, qreal devicePixelRatio) {
    const QString path = QStringLiteral(":/pictures/") + name;
    if (devicePixelRatio <= 1)
        return QPixmap::fromImage(readPicture(path + QStringLiteral(".png"), "png"));
    QImage image = readPicture(path + QStringLiteral("@2x.png"), "png");
    // Between densities the picture is fitted to whole device pixels here, once and smoothly;
    // scaled while painting, it would lose every fourth row and column.
    if (devicePixelRatio != 2 && !image.isNull())
        image = image.scaled((QSizeF(image.size()) * (devicePixelRatio / 2)).toSize(),
                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    image.setDevicePixelRatio(devicePixelRatio);
    return QPixmap::fromImage(image);
}

void showBuiltInPicture(QLabel *label, const QString &name) {
    // A picture put there meanwhile (a reel's symbol) stays.
    whenFirstPainted(label, [label, name] {
        if (label->pixmap().isNull())
            label->setPixmap(builtInPicture(name));
    });
}

void showBuiltInPicture(PictureButton *button, const QString &name) {
    whenFirstPainted(button, [button, name] { button->setPicture(builtInPicture(name)); });
}
