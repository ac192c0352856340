#include "pictures/pictures.h"

#include "desktop/first_frame.h"
#include "system/file_access.h"
#include "widgets/picture_button.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QResource>
#include <QtEndian>

namespace {

// Far beyond any picture a player would put in the game folder.
constexpr qint64 MaxPictureFileBytes = qint64{32} << 20;

} // namespace

QImage readPicture(const QString &path, const char *format) {
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QImage readPictureFile(const QString &path, const char *format) {
    QByteArray data = readRegularFile(path, MaxPictureFileBytes, nullptr);
    QBuffer buffer(&data);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QImage readyPicture(const QString &name) {
    if constexpr (Q_BYTE_ORDER != Q_LITTLE_ENDIAN)
        return {};
    const QResource resource(QStringLiteral(":/pictures/") + name + QStringLiteral(".argb"));
    if (!resource.isValid() || resource.compressionAlgorithm() != QResource::NoCompression ||
        resource.size() < 8)
        return {};
    const uchar *data = resource.data();
    const quint32 width = qFromLittleEndian<quint32>(data);
    const quint32 height = qFromLittleEndian<quint32>(data + 4);
    if (width == 0 || width > 8192 || height == 0 || height > 8192 ||
        resource.size() != 8 + qint64{4} * width * height)
        return {};
    return QImage(data + 8, static_cast<int>(width), static_cast<int>(height),
                  static_cast<qsizetype>(width) * 4, QImage::Format_ARGB32_Premultiplied);
}

QPixmap builtInPicture(const QString &name) {
    return builtInPicture(name, qGuiApp->devicePixelRatio());
}

QPixmap builtInPicture(const QString &name, qreal devicePixelRatio) {
    const QString path = QStringLiteral(":/pictures/") + name;
    if (devicePixelRatio <= 1) {
        const QImage ready = readyPicture(name);
        return QPixmap::fromImage(ready.isNull() ? readPicture(path + QStringLiteral(".png"), "png")
                                                 : ready);
    }
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
