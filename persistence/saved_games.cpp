#include "persistence/saved_games.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <array>
#include <cerrno>

namespace {

constexpr std::array<SaturatingInt CharacterState::*, SavedValueCount> SavedFields = {
    &CharacterState::CitizenshipState,
    &CharacterState::PassportState,
    &CharacterState::RoomState,
    &CharacterState::Bottles,
    &CharacterState::WastePaper,
    &CharacterState::Bread,
    &CharacterState::Pasta,
    &CharacterState::Matches,
    &CharacterState::Cigarettes,
    &CharacterState::Gum,
    &CharacterState::Meat,
    &CharacterState::Money,
    &CharacterState::BagCapacity,
    &CharacterState::Health,
    &CharacterState::Feces,
    &CharacterState::Fatigue,
    &CharacterState::Satiety,
};

// Files are read in pieces, so a huge file chosen by mistake costs no more memory.
constexpr qint64 Chunk = qint64{64} * 1024;

QString text(const std::string &message) {
    return QString::fromStdString(message);
}

QString fromErrno(int error, bool creating) {
    return text(fileErrorText(error, creating));
}

// The message for the operation that has just failed on the file. Callers clear errno
// before the operation, so a failure Qt finds by itself is told apart from a stale errno.
QString failure(const QFileDevice &file, bool creating) {
    int error = errno;
    if (error == 0) {
        switch (file.error()) {
        case QFileDevice::ResourceError:
            error = EMFILE;
            break;
        case QFileDevice::PermissionsError:
            error = EACCES;
            break;
        default:
            error = EIO;
        }
    }
    return fromErrno(error, creating);
}

QString create(QFile &file) {
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return failure(file, true);
    return {};
}

QString openToRead(QFile &file) {
    if (QFileInfo(file.fileName()).isDir())
        return fromErrno(EISDIR, false);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return failure(file, false);
    return {};
}

// Every byte reaches the file, or the failure is reported: a short write never passes.
QString write(QFileDevice &file, const std::string &bytes) {
    errno = 0;
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size || !file.flush())
        return failure(file, false);
    return {};
}

QString close(QFile &file) {
    errno = 0;
    file.close();
    if (file.error() != QFileDevice::NoError)
        return failure(file, false);
    return {};
}

// Reads the next piece into the buffer; 0 at the end, -1 on failure.
qint64 readPiece(QFile &file, std::string &buffer) {
    buffer.resize(Chunk);
    errno = 0;
    const qint64 n = file.read(buffer.data(), Chunk);
    buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return n;
}

QString createEmpty(const QString &path) {
    QFile file(path);
    QString problem = create(file);
    return problem.isEmpty() ? close(file) : problem;
}

QString writeStaging(const QString &path, const std::string &plain) {
    QFile file(path);
    QString problem = create(file);
    if (problem.isEmpty())
        problem = write(file, plain);
    return problem.isEmpty() ? close(file) : problem;
}

QString readStaging(const QString &path, std::string &plain) {
    QFile file(path);
    if (QString problem = openToRead(file); !problem.isEmpty())
        return problem;
    std::string piece;
    qint64 n = 0;
    while ((n = readPiece(file, piece)) > 0)
        plain += piece;
    return n < 0 ? failure(file, false) : close(file);
}

QString createTarget(QSaveFile &target) {
    const QFileInfo info(target.fileName());
    // QSaveFile finds these by itself but leaves no errno behind to tell them apart.
    if (!QFileInfo(info.path()).isDir())
        return fromErrno(ENOENT, true);
    if (info.isDir())
        return fromErrno(EISDIR, true);
    if (info.exists() && !info.isWritable())
        return fromErrno(EACCES, true);
    errno = 0;
    if (!target.open(QIODevice::WriteOnly))
        return failure(target, true);
    return {};
}

// Decodes the chosen file into the staging file. The staging file is created only once the
// first line has given the shift, so a file that fails there leaves it untouched.
QString decodeIntoStaging(QFile &chosen, const QString &stagingFile) {
    SavedGameDecoder decoder;
    QFile staging(stagingFile);
    std::string piece;
    std::string plain;
    for (;;) {
        const qint64 n = readPiece(chosen, piece);
        if (n < 0)
            return failure(chosen, false);
        if (!(n == 0 ? decoder.finish(plain) : decoder.feed(piece, plain)))
            return text(std::string(InvalidNumericInput));
        if (decoder.shiftKnown() && !staging.isOpen()) {
            if (QString problem = create(staging); !problem.isEmpty())
                return problem;
        }
        if (!plain.empty()) {
            if (QString problem = write(staging, plain); !problem.isEmpty())
                return problem;
            plain.clear();
        }
        if (n == 0)
            break;
    }
    chosen.close();
    return close(staging);
}

QString readStagedValues(const QString &stagingFile, SavedValues &values) {
    QFile staging(stagingFile);
    if (QString problem = openToRead(staging); !problem.isEmpty())
        return problem;
    SavedValuesReader reader;
    std::string piece;
    qint64 n = 0;
    while (!reader.complete() && (n = readPiece(staging, piece)) > 0) {
        if (!reader.feed(piece))
            return text(std::string(InvalidNumericInput));
    }
    if (n < 0)
        return failure(staging, false);
    if (!reader.finish())
        return text(std::string(InvalidNumericInput));
    values = reader.values();
    return close(staging);
}

} // namespace

SavedValues savedValues(const CharacterState &state) {
    SavedValues values{};
    for (std::size_t i = 0; i < SavedFields.size(); ++i)
        values[i] = state.*SavedFields[i];
    return values;
}

void restoreSavedValues(CharacterState &state, const SavedValues &values) {
    for (std::size_t i = 0; i < SavedFields.size(); ++i)
        state.*SavedFields[i] = values[i];
}

QString stagingPath(const QString &folder) {
    return folder + QLatin1Char('/') + QStringLiteral("prox.dat");
}

QString savePath(const QString &folder, const QString &name) {
    QString relative = name;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (QDir::isAbsolutePath(relative) || relative.contains(QChar(u'\0')))
        return {};
    const auto parts = QStringView(relative).split(u'/');
    for (const QStringView part : parts) {
        if (part == u"..")
            return {};
    }
    return folder + QLatin1Char('/') + relative + QStringLiteral(".sav");
}

QString saveGameFile(const QString &folder, const QString &name, const SavedValues &values,
                     const std::function<int()> &drawShift) {
    const QString staging = stagingPath(folder);
    if (QString problem = writeStaging(staging, stagingText(values)); !problem.isEmpty())
        return problem;

    const QString path = savePath(folder, name);
    if (path.isEmpty())
        return fromErrno(ENOENT, true);
    QSaveFile target(path);
    if (QString problem = createTarget(target); !problem.isEmpty())
        return problem;
    std::string plain;
    if (QString problem = readStaging(staging, plain); !problem.isEmpty())
        return problem;

    const int shift = drawShift();
    if (QString problem = write(target, encodeSavedGame(plain, shift)); !problem.isEmpty())
        return problem;
    errno = 0;
    if (!target.commit())
        return failure(target, false);
    return createEmpty(staging);
}

LoadResult loadGameFile(const QString &folder, const QString &chosen) {
    QFile file(chosen);
    if (QString problem = openToRead(file); !problem.isEmpty())
        return {problem};
    const QString staging = stagingPath(folder);
    if (QString problem = decodeIntoStaging(file, staging); !problem.isEmpty())
        return {problem};
    LoadResult result;
    result.problem = readStagedValues(staging, result.values);
    if (result.problem.isEmpty())
        result.problem = createEmpty(staging);
    return result;
}
