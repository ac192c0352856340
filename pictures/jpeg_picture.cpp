#include "pictures/jpeg_picture.h"

#include "system/file_access.h"

#include <memory>
#include <turbojpeg.h>

namespace {

struct HandleDeleter {
    void operator()(void *handle) const { tjDestroy(handle); }
};
using Handle = std::unique_ptr<void, HandleDeleter>;

// Far beyond any picture of the game; a header claiming more is damaged.
constexpr qint64 MaxPixels = qint64{4096} * 4096;
constexpr qint64 MaxFileBytes = qint64{32} << 20;

void report(QString *problem, const QString &text) {
    if (problem)
        *problem = text;
}

} // namespace

QImage decodeJpeg(const QByteArray &data, QString *problem) {
    report(problem, QString());
    const Handle handle(tjInitDecompress());
    if (!handle) {
        report(problem, QString::fromLocal8Bit(tjGetErrorStr2(nullptr)));
        return {};
    }
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    const auto size = static_cast<unsigned long>(data.size());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (data.isEmpty() || tjDecompressHeader3(handle.get(), bytes, size, &width, &height,
                                              &subsampling, &colourspace) != 0) {
        report(problem, data.isEmpty() ? QStringLiteral("empty JPEG data")
                                       : QString::fromLocal8Bit(tjGetErrorStr2(handle.get())));
        return {};
    }
    if (width <= 0 || height <= 0 || qint64(width) * height > MaxPixels) {
        report(problem, QStringLiteral("implausible JPEG size %1 x %2").arg(width).arg(height));
        return {};
    }
    QImage image(width, height, QImage::Format_RGB888);
    if (image.isNull()) {
        report(problem, QStringLiteral("out of memory for the JPEG picture"));
        return {};
    }
    if (tjDecompress2(handle.get(), bytes, size, image.bits(), width,
                      static_cast<int>(image.bytesPerLine()), height, TJPF_RGB, 0) != 0) {
        const QString text = QString::fromLocal8Bit(tjGetErrorStr2(handle.get()));
        report(problem, text);
        if (tjGetErrorCode(handle.get()) != TJERR_WARNING)
            return {};
    }
    return image;
}

QByteArray readJpegFile(const QString &path, QString *problem) {
    return readRegularFile(path, MaxFileBytes, problem);
}

QImage loadJpeg(const QString &path, QString *problem) {
    const QByteArray data = readJpegFile(path, problem);
    if (problem && !problem->isEmpty())
        return {};
    return decodeJpeg(data, problem);
}
