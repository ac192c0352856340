#include "system/game_folder.h"

#include "system/file_access.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int (*makeLink)(const char *target, const char *link) = ::symlink;

namespace {

QByteArray linkTarget(const QByteArray &link) {
    std::array<char, PATH_MAX> buffer{};
    const ssize_t n = ::readlink(link.constData(), buffer.data(), buffer.size());
    return n > 0 ? QByteArray(buffer.data(), n) : QByteArray();
}

// A link left by an earlier install may point elsewhere, so links are made anew; a file the
// player put there in its place is kept.
bool linkGameFile(const QString &installFolder, const QString &userFolder, const QString &name) {
    const QByteArray link = QFile::encodeName(userFolder + QLatin1Char('/') + name);
    const QByteArray target = QFile::encodeName(installFolder + QLatin1Char('/') + name);
    struct stat status = {};
    if (::lstat(link.constData(), &status) == 0) {
        if (!S_ISLNK(status.st_mode) || linkTarget(link) == target)
            return true;
        if (::unlink(link.constData()) != 0 && errno != ENOENT)
            return false;
    }
    // A second game starting at the same moment may have made it already.
    return makeLink(target.constData(), link.constData()) == 0 || errno == EEXIST;
}

} // namespace

QStringList gameFileNames() {
    return QString::fromLatin1(SKITALIA_GAME_FILES).split(QLatin1Char(','));
}

bool folderWritable(const QString &folder) {
    return ::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK | X_OK, AT_EACCESS) ==
           0;
}

QString userGameFolder() {
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + QStringLiteral("/.local/share");
    return dataHome + QStringLiteral("/skitalia");
}

bool insideSystemPrefix(const QString &installFolder) {
    const QString real = QFileInfo(installFolder).canonicalFilePath();
    return (real.isEmpty() ? installFolder : real).startsWith(QStringLiteral("/usr/"));
}

GameFolders chooseGameFolders(const QString &installFolder, bool installHoldsGames,
                              const QString &userFolder) {
    if (installHoldsGames)
        return {installFolder, installFolder, {}};
    const auto unmade = [&](int error) {
        return GameFolders{installFolder, userFolder,
                           QStringLiteral("Не удалось создать папку для игр «%1»: %2. Игра "
                                          "идёт, но сохранить её не получится.")
                               .arg(userFolder, QString::fromLocal8Bit(std::strerror(error)))};
    };
    if (const int error = makeFolder(userFolder); error != 0)
        return unmade(error);
    for (const QString &name : gameFileNames()) {
        if (!linkGameFile(installFolder, userFolder, name))
            return unmade(errno);
    }
    return {userFolder, userFolder, {}};
}
