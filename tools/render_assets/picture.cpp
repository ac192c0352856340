#include "picture.h"

#include "output.h"
#include "render_error.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>
#include <QtEndian>
#include <memory>
#include <turbojpeg.h>

namespace {

QStringList svgComplaints;

void collectComplaint(QtMsgType, const QMessageLogContext &, const QString &message) {
    svgComplaints.append(message);
}

// QtSvg skips what it does not understand and only warns; an asset that silently loses a
// part must stop the build instead.
class ComplaintCollector {
public:
    ComplaintCollector()
        : previous_(qInstallMessageHandler(collectComplaint)) {
        svgComplaints.clear();
    }
    ~ComplaintCollector() { qInstallMessageHandler(previous_); }
    ComplaintCollector(const ComplaintCollector &) = delete;
    ComplaintCollector &operator=(const ComplaintCollector &) = delete;

private:
    QtMessageHandler previous_;
};

std::string describe(const QString &text) {
    return text.toStdString();
}

QImage renderSvg(const QString &svgPath, int width, int height) {
    if (!QFileInfo(svgPath).isFile()) {
        throw RenderError("cannot read " + describe(svgPath) + ": no such file");
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        throw RenderError("cannot allocate a " + std::to_string(width) + "x" +
                          std::to_string(height) + " image");
    }
    image.fill(Qt::transparent);
    {
        const ComplaintCollector collector;
        QSvgRenderer renderer(svgPath);
        if (renderer.isValid()) {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            renderer.render(&painter, QRectF(0, 0, width, height));
        } else if (svgComplaints.isEmpty()) {
            svgComplaints.append("not a drawing QtSvg can read");
        }
    }
    if (!svgComplaints.isEmpty()) {
        throw RenderError(describe(svgPath) + ": " + describe(svgComplaints.join("; ")));
    }
    return image;
}

// A picture without alpha must not depend on what colour its holes get filled with, so the
// drawing has to paint its own background.
void requireOpaque(const QImage &image, const QString &outPath) {
    for (int y = 0; y < image.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(row[x]) != 255) {
                throw RenderError(describe(outPath) +
                                  " has no alpha channel, but the drawing leaves pixel (" +
                                  std::to_string(x) + "," + std::to_string(y) +
                                  ") transparent: give it a background");
            }
        }
    }
}

QByteArray encodePng(const QImage &image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image.convertToFormat(QImage::Format_ARGB32))) {
        throw RenderError("cannot encode PNG: " + describe(writer.errorString()));
    }
    return bytes;
}

template <typename T> void putLittleEndian(QByteArray &bytes, T value) {
    char raw[sizeof(T)];
    qToLittleEndian(value, raw);
    bytes.append(raw, sizeof(T));
}

// Written by hand so the file is always the plain 24-bit BITMAPINFOHEADER form that old
// readers expect, whatever Qt's own writer would prefer.
QByteArray encodeBmp(const QImage &opaque) {
    const QImage rgb = opaque.convertToFormat(QImage::Format_RGB888);
    const int rowBytes = (rgb.width() * 3 + 3) & ~3;
    const quint32 pixelBytes = static_cast<quint32>(rowBytes) * rgb.height();
    const quint32 headerBytes = 14 + 40;

    QByteArray bytes;
    bytes.reserve(qsizetype{headerBytes} + pixelBytes);
    bytes.append("BM", 2);
    putLittleEndian<quint32>(bytes, headerBytes + pixelBytes);
    putLittleEndian<quint32>(bytes, 0);
    putLittleEndian<quint32>(bytes, headerBytes);
    putLittleEndian<quint32>(bytes, 40);
    putLittleEndian<qint32>(bytes, rgb.width());
    putLittleEndian<qint32>(bytes, rgb.height());
    putLittleEndian<quint16>(bytes, 1);
    putLittleEndian<quint16>(bytes, 24);
    putLittleEndian<quint32>(bytes, 0);
    putLittleEndian<quint32>(bytes, pixelBytes);
    putLittleEndian<qint32>(bytes, 2835);
    putLittleEndian<qint32>(bytes, 2835);
    putLittleEndian<quint32>(bytes, 0);
    putLittleEndian<quint32>(bytes, 0);

    for (int y = rgb.height() - 1; y >= 0; --y) {
        const uchar *row = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            const uchar *pixel = row + 3 * std::ptrdiff_t{x};
            const char bgr[3] = {static_cast<char>(pixel[2]), static_cast<char>(pixel[1]),
                                 static_cast<char>(pixel[0])};
            bytes.append(bgr, 3);
        }
        bytes.append(rowBytes - rgb.width() * 3, '\0');
    }
    return bytes;
}

// A picture ready to draw without decoding: width and height, then every pixel as the game
// will hold it, premultiplied 0xAARRGGBB, all little-endian. The pixels are first brought
// through the PNG's straight alpha, so both forms of a picture draw the same.
QByteArray encodeReady(const QImage &image) {
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32)
                              .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QByteArray bytes;
    bytes.reserve(8 + qsizetype{4} * pixels.width() * pixels.height());
    putLittleEndian<quint32>(bytes, static_cast<quint32>(pixels.width()));
    putLittleEndian<quint32>(bytes, static_cast<quint32>(pixels.height()));
    for (int y = 0; y < pixels.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x)
            putLittleEndian<quint32>(bytes, row[x]);
    }
    return bytes;
}

struct TurboJpegDeleter {
    void operator()(void *handle) const { tjDestroy(handle); }
};

struct TurboJpegBufferDeleter {
    void operator()(unsigned char *buffer) const { tjFree(buffer); }
};

QByteArray encodeJpeg(const QImage &opaque) {
    const QImage rgb = opaque.convertToFormat(QImage::Format_RGB888);
    const std::unique_ptr<void, TurboJpegDeleter> compressor(tjInitCompress());
    if (!compressor) {
        throw RenderError(std::string("cannot start the JPEG encoder: ") + tjGetErrorStr2(nullptr));
    }
    unsigned char *encoded = nullptr;
    unsigned long encodedSize = 0;
    const int status = tjCompress2(compressor.get(), rgb.constBits(), rgb.width(),
                                   static_cast<int>(rgb.bytesPerLine()), rgb.height(), TJPF_RGB,
                                   &encoded, &encodedSize, TJSAMP_420, 90, TJFLAG_ACCURATEDCT);
    const std::unique_ptr<unsigned char, TurboJpegBufferDeleter> owned(encoded);
    if (status != 0) {
        throw RenderError(std::string("cannot encode JPEG: ") + tjGetErrorStr2(compressor.get()));
    }
    return QByteArray(reinterpret_cast<const char *>(encoded), static_cast<qsizetype>(encodedSize));
}

} // namespace

void renderPicture(const QString &svgPath, const QString &outPath, int width, int height) {
    const QString suffix = QFileInfo(outPath).suffix().toLower();
    if (suffix != "png" && suffix != "argb" && suffix != "bmp" && suffix != "jpg" &&
        suffix != "jpeg") {
        throw RenderError("cannot tell the format of " + describe(outPath) +
                          ": use .png, .argb, .bmp or .jpg");
    }
    const QImage image = renderSvg(svgPath, width, height);
    if (suffix == "png" || suffix == "argb") {
        writeOutputFile(outPath, suffix == "png" ? encodePng(image) : encodeReady(image));
        return;
    }
    requireOpaque(image, outPath);
    writeOutputFile(outPath, suffix == "bmp" ? encodeBmp(image) : encodeJpeg(image));
}
