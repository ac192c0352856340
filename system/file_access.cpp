#include "system/file_access.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

OpenedFile openRegularFile(const QByteArray &path, int flags, bool followLinks) {
    OpenedFile file;
    errno = 0;
    file.fd =
        ::open(path.constData(),
               flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW), 0666);
    if (file.fd < 0) {
        file.error = errno;
        // A refused link, or a FIFO that nobody reads.
        file.otherKind = (errno == ELOOP && !followLinks) || errno == ENXIO;
        return file;
    }
    if (::fstat(file.fd, &file.status) != 0)
        file.error = errno;
    else if (!S_ISREG(file.status.st_mode))
        file.otherKind = true;
    if (file.error != 0 || file.otherKind)
        file.fd = (::close(file.fd), -1);
    return file;
}

QByteArray readRegularFile(const QString &path, qint64 limit, QString *problem) {
    const auto refuse = [problem](const QString &why) {
        if (problem)
            *problem = why;
        return QByteArray();
    };
    if (problem)
        problem->clear();
    const OpenedFile file = openRegularFile(QFile::encodeName(path), O_RDONLY, true);
    if (file.otherKind)
        return refuse(QStringLiteral("это не обычный файл"));
    if (file.error == ENOENT)
        return refuse(QStringLiteral("файл не найден"));
    if (file.error != 0)
        return refuse(QStringLiteral("файл не открывается (%1)")
                          .arg(QString::fromLocal8Bit(std::strerror(file.error))));
    if (file.status.st_size > limit) {
        ::close(file.fd);
        return refuse(QStringLiteral("файл больше %1 МБ").arg(limit >> 20));
    }
    QByteArray data(file.status.st_size, Qt::Uninitialized);
    qint64 done = 0;
    int error = 0;
    while (done < data.size()) {
        const ssize_t n =
            ::read(file.fd, data.data() + done, static_cast<size_t>(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : 0;
            break;
        }
        done += n;
    }
    ::close(file.fd);
    if (error != 0)
        return refuse(QStringLiteral("файл не читается (%1)")
                          .arg(QString::fromLocal8Bit(std::strerror(error))));
    // A file cut short meanwhile is read as it now stands.
    data.truncate(done);
    return data;
}

int makeFolder(const QString &folder) {
    const QByteArray path = QFile::encodeName(folder);
    for (qsizetype end = path.indexOf('/', 1);; end = path.indexOf('/', end + 1)) {
        const QByteArray part = end < 0 ? path : path.left(end);
        // An existing part that is no folder shows at the next one, as ENOTDIR.
        if (!part.isEmpty() && ::mkdir(part.constData(), 0777) != 0 && errno != EEXIST)
            return errno;
        if (end < 0)
            return 0;
    }
}
