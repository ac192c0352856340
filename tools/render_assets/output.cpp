#include "output.h"

#include "render_error.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

void writeOutputFile(const QString &path, const QByteArray &bytes) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        throw RenderError("cannot create folder " + info.absolutePath().toStdString());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw RenderError("cannot write " + path.toStdString() + ": " +
                          file.errorString().toStdString());
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        throw RenderError("cannot write " + path.toStdString() + ": " +
                          file.errorString().toStdString());
    }
}
