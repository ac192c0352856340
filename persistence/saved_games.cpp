#include "persistence/saved_games.h"

#include "system/file_access.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

FileFinishCalls fileFinishCalls = {::fsync, ::close};
int (*lockFile)(int fd, int operation) = ::flock;

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
constexpr std::size_t Chunk = std::size_t{64} * 1024;
// A saved game is under 300 bytes; a load reads no further than this into any file.
constexpr std::size_t LoadBound = std::size_t{64} * 1024;
// The temporary file of a save is its name, this mark and six letters or digits: a mark no
// player writes, so that clearing leftovers never takes a copy such as "game.sav.backup".
constexpr QLatin1StringView TemporaryMark(".saving-");
constexpr int TemporaryLetters = 6;
// A save holds the staging file for a few milliseconds; one held this long belongs to a game
// that is hung or stopped, and the player is better told than kept waiting.
constexpr std::string_view StagingBusy =
    "Файл prox.dat в папке игры занят другой запущенной игрой. Попробуйте ещё раз.";
constexpr std::string_view PastTheBound = "Это не сохранённая игра: файл слишком длинный.";

QString text(std::string_view message) {
    return QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
}

QString fromErrno(int error, bool creating) {
    return text(fileErrorText(error, creating));
}

// Owns a descriptor until it is closed by a checked close; a failure on the way releases it
// here, where only the first failure counts.
class Descriptor {
public:
    Descriptor() = default;
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    void reset(int fd) { fd_ = fd; }
    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    // Linux releases the descriptor even when close fails, so it is given up first.
    QString close() {
        const int fd = std::exchange(fd_, -1);
        errno = 0;
        return fileFinishCalls.close(fd) == 0 ? QString() : fromErrno(errno, false);
    }

private:
    int fd_ = -1;
};

// Neither a FIFO nor a device may hang the game: anything but a regular file is refused. A
// link is followed only where the caller allows.
QString openRegular(const QString &path, int flags, bool followLinks, bool creating,
                    Descriptor &file, struct stat *info = nullptr) {
    const OpenedFile opened = openRegularFile(QFile::encodeName(path), flags, followLinks);
    // A second name is a link too: writing here would change a file elsewhere.
    if (opened.otherKind || (!followLinks && opened.error == 0 && opened.status.st_nlink > 1)) {
        if (opened.fd >= 0)
            ::close(opened.fd);
        return text(FileAccessDenied);
    }
    if (opened.error != 0)
        return fromErrno(opened.error, creating);
    file.reset(opened.fd);
    if (info != nullptr)
        *info = opened.status;
    return {};
}

// Every game in the folder stages through the same file, so a save or a load holds it from
// the first write to the last read; a second game waits its turn. A game hung while holding
// it is not waited for without end, and a killed game's lock goes with its process.
class StagingLock {
public:
    bool held() const { return lock_.isOpen(); }

    // Locks the file behind the descriptor; a descriptor of its own keeps the lock when the
    // caller closes the one it writes through. A file system without locks (NFS with no lock
    // manager) is used unlocked, as it was before games took turns.
    QString hold(int fd) {
        errno = 0;
        lock_.reset(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
        if (!lock_.isOpen())
            return fromErrno(errno, false);
        const auto deadline = std::chrono::steady_clock::now() + LockPatience;
        while (lockFile(lock_.get(), LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            if (error == ENOLCK || error == EOPNOTSUPP || error == EINVAL)
                return {};
            if (error != EWOULDBLOCK && error != EINTR) {
                lock_.close();
                return fromErrno(error, false);
            }
            if (std::chrono::steady_clock::now() > deadline) {
                lock_.close();
                return text(StagingBusy);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return {};
    }

private:
    static constexpr std::chrono::seconds LockPatience{2};
    Descriptor lock_;
};

// The staging file is the game's own: never a link, never anything but a regular file.
QString createStaging(const QString &path, Descriptor &file, StagingLock &lock) {
    // The player's own folder may be gone, or may not have been made at start: made now, it
    // fails with the real cause, a full disk as such.
    const QString folder = QFileInfo(path).path();
    struct stat status = {};
    errno = 0;
    if (::stat(QFile::encodeName(folder).constData(), &status) != 0 && errno == ENOENT) {
        if (const int error = makeFolder(folder); error != 0)
            return fromErrno(error, true);
    }
    if (QString problem = openRegular(path, O_WRONLY | O_CREAT, false, true, file);
        !problem.isEmpty())
        return problem;
    if (!lock.held()) {
        if (QString problem = lock.hold(file.get()); !problem.isEmpty())
            return problem;
    }
    if (::ftruncate(file.get(), 0) != 0)
        return fromErrno(errno, false);
    return {};
}

// Every byte reaches the file, or the failure is reported: a short write never passes.
QString write(const Descriptor &file, std::string_view bytes) {
    while (!bytes.empty()) {
        errno = 0;
        const ssize_t n = ::write(file.get(), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fromErrno(n < 0 ? errno : EIO, false);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

// Reads the next piece, at most `most` bytes, into the buffer; 0 at the end, -1 with errno
// set on failure.
ssize_t readPiece(const Descriptor &file, std::string &buffer, std::size_t most = Chunk) {
    buffer.resize(std::min(most, Chunk));
    ssize_t n = 0;
    do {
        errno = 0;
        n = buffer.empty() ? 0 : ::read(file.get(), buffer.data(), buffer.size());
    } while (n < 0 && errno == EINTR);
    buffer.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    return n;
}

QString writeStaging(const QString &path, const std::string &plain, StagingLock &lock) {
    Descriptor file;
    QString problem = createStaging(path, file, lock);
    if (problem.isEmpty())
        problem = write(file, plain);
    return problem.isEmpty() ? file.close() : problem;
}

QString readStaging(const QString &path, std::string &plain) {
    Descriptor file;
    if (QString problem = openRegular(path, O_RDONLY, false, false, file); !problem.isEmpty())
        return problem;
    std::string piece;
    ssize_t n = 0;
    while ((n = readPiece(file, piece)) > 0)
        plain += piece;
    return n < 0 ? fromErrno(errno, false) : file.close();
}

QString realPath(const QString &path, QByteArray &resolved) {
    errno = 0;
    char *real = ::realpath(QFile::encodeName(path).constData(), nullptr);
    if (real == nullptr)
        return fromErrno(errno, true);
    resolved = real;
    std::free(real); // NOLINT(cppcoreguidelines-no-malloc): realpath allocates with malloc
    return {};
}

// A save's file, resolved: the real folder it lies in and what is there now.
struct Target {
    QByteArray folder;
    QByteArray path;
    struct stat earlier = {};
    bool exists = false;
};

// Where a save may go: no file yet, or a regular file, in the program folder or in a real
// folder inside it. A link in the name's last part would replace or write through the link.
QString resolveTarget(const QString &home, const QString &path, Target &target) {
    QByteArray realHome;
    if (QString problem = realPath(home, realHome); !problem.isEmpty())
        return problem;
    if (QString problem = realPath(QFileInfo(path).path(), target.folder); !problem.isEmpty())
        return problem;
    if (target.folder != realHome && !target.folder.startsWith(realHome + '/'))
        return text(InvalidFilename);
    target.path = target.folder + '/' + QFile::encodeName(QFileInfo(path).fileName());
    errno = 0;
    target.exists = ::lstat(target.path.constData(), &target.earlier) == 0;
    if (!target.exists)
        return errno == ENOENT ? QString() : fromErrno(errno, true);
    if (S_ISDIR(target.earlier.st_mode))
        return text(FileAccessDenied);
    if (!S_ISREG(target.earlier.st_mode))
        return text(InvalidFilename);
    if (::access(target.path.constData(), W_OK) != 0)
        return fromErrno(errno, true);
    return {};
}

bool isTemporaryName(const QString &name) {
    const QString tail = name.right(TemporaryLetters);
    return name.size() > TemporaryLetters &&
           name.chopped(TemporaryLetters).endsWith(QStringLiteral(".sav") + TemporaryMark) &&
           std::all_of(tail.begin(), tail.end(),
                       [](QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); });
}

// A save killed between writing and renaming its temporary file leaves it behind. Only
// regular files of the game's own pattern go; one that will not go is no reason to fail.
void removeLeftovers(const Target &target) {
    const QDir dir(QFile::decodeName(target.folder));
    const QStringList names =
        dir.entryList({QStringLiteral("*.sav") + TemporaryMark + QLatin1Char('*')},
                      QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString &name : names) {
        if (isTemporaryName(name))
            ::unlink(QFile::encodeName(dir.filePath(name)).constData());
    }
}

QString createTemporary(const Target &target, QByteArray &temporary, Descriptor &file) {
    static constexpr std::string_view Letters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target.path + TemporaryMark.data();
        for (int i = 0; i < TemporaryLetters; ++i)
            temporary += Letters[QRandomGenerator::global()->bounded(int(Letters.size()))];
        errno = 0;
        const int fd = ::open(temporary.constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            file.reset(fd);
            return {};
        }
        if (errno != EEXIST)
            return fromErrno(errno, true);
    }
    return fromErrno(EEXIST, true);
}

// The rename itself reaches the disk only with its folder.
QString syncFolder(const Target &target) {
    Descriptor folder;
    errno = 0;
    const int fd = ::open(target.folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fromErrno(errno, false);
    folder.reset(fd);
    errno = 0;
    if (fileFinishCalls.sync(fd) != 0)
        return fromErrno(errno, false);
    return folder.close();
}

// The new file is complete on the disk before it takes the old one's place, so a failure or
// a crash at any moment leaves the old file whole.
QString replaceTarget(const Target &target, const std::string &bytes, Descriptor &file,
                      const QByteArray &temporary) {
    if (target.exists && ::fchmod(file.get(), target.earlier.st_mode & 0777) != 0)
        return fromErrno(errno, false);
    if (QString problem = write(file, bytes); !problem.isEmpty())
        return problem;
    errno = 0;
    if (fileFinishCalls.sync(file.get()) != 0)
        return fromErrno(errno, false);
    if (QString problem = file.close(); !problem.isEmpty())
        return problem;
    errno = 0;
    if (::rename(temporary.constData(), target.path.constData()) != 0)
        return fromErrno(errno, false);
    return syncFolder(target);
}

// True when the file goes on past what has been read of it.
bool goesOn(const Descriptor &file) {
    std::string byte;
    return readPiece(file, byte, 1) > 0;
}

// Decodes the chosen file into the staging file. The staging file is created only once the
// first line has given the shift, so a file that fails there leaves it untouched. Only the
// head of a huge file is read: the values lie in its first few hundred bytes. A file cut by
// that bound loads only when its first line and all its values ended within it; otherwise
// the cut would pass for the file's end and load other values than the file holds.
QString decodeIntoStaging(Descriptor &chosen, const QString &stagingFile, StagingLock &lock) {
    SavedGameDecoder decoder;
    SavedValuesReader valuesSoFar;
    bool notANumber = false; // the reading fails there, wherever the file ends
    Descriptor staging;
    std::string piece;
    std::string plain;
    std::size_t left = LoadBound;
    for (;;) {
        const ssize_t n = readPiece(chosen, piece, left);
        if (n < 0)
            return fromErrno(errno, false);
        left -= static_cast<std::size_t>(n);
        if (n == 0 && left == 0 && !valuesSoFar.complete() && !notANumber && goesOn(chosen))
            return text(PastTheBound);
        if (!(n == 0 ? decoder.finish(plain) : decoder.feed(piece, plain)))
            return text(InvalidNumericInput);
        if (decoder.shiftKnown() && !staging.isOpen()) {
            if (QString problem = createStaging(stagingFile, staging, lock); !problem.isEmpty())
                return problem;
        }
        if (!plain.empty()) {
            if (n > 0 && !notANumber)
                notANumber = !valuesSoFar.feed(plain);
            if (QString problem = write(staging, plain); !problem.isEmpty())
                return problem;
            plain.clear();
        }
        if (n == 0)
            break;
    }
    if (QString problem = chosen.close(); !problem.isEmpty())
        return problem;
    return staging.close();
}

QString readStagedValues(const QString &stagingFile, SavedValues &values) {
    Descriptor staging;
    if (QString problem = openRegular(stagingFile, O_RDONLY, false, false, staging);
        !problem.isEmpty())
        return problem;
    SavedValuesReader reader;
    std::string piece;
    ssize_t n = 0;
    while (!reader.complete() && (n = readPiece(staging, piece)) > 0) {
        if (!reader.feed(piece))
            return text(InvalidNumericInput);
    }
    if (n < 0)
        return fromErrno(errno, false);
    if (!reader.finish())
        return text(InvalidNumericInput);
    values = reader.values();
    return staging.close();
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
    // A pasted line end or tab would make a name that no listing shows as typed.
    const bool control = std::any_of(relative.begin(), relative.end(), [](QChar c) {
        return c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
               c.category() == QChar::Separator_Paragraph;
    });
    if (QDir::isAbsolutePath(relative) || control)
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
    StagingLock lock;
    if (QString problem = writeStaging(staging, stagingText(values), lock); !problem.isEmpty())
        return problem;

    const QString path = savePath(folder, name);
    if (path.isEmpty())
        return text(InvalidFilename);
    Target target;
    if (QString problem = resolveTarget(folder, path, target); !problem.isEmpty())
        return problem;
    removeLeftovers(target);
    Descriptor file;
    QByteArray temporary;
    if (QString problem = createTemporary(target, temporary, file); !problem.isEmpty())
        return problem;
    std::string plain;
    QString problem = readStaging(staging, plain);
    if (problem.isEmpty())
        problem = replaceTarget(target, encodeSavedGame(plain, drawShift()), file, temporary);
    if (!problem.isEmpty()) {
        ::unlink(temporary.constData()); // gone already when the rename was done
        return problem;
    }
    return writeStaging(staging, {}, lock);
}

LoadResult loadGameFile(const QString &folder, const QString &chosen) {
    Descriptor file;
    struct stat info = {};
    if (QString problem = openRegular(chosen, O_RDONLY, true, false, file, &info);
        !problem.isEmpty())
        return {problem};
    const QString staging = stagingPath(folder);
    // The staging file as the chosen one would be emptied, then read into itself forever.
    struct stat own = {};
    if (::lstat(QFile::encodeName(staging).constData(), &own) == 0 && own.st_dev == info.st_dev &&
        own.st_ino == info.st_ino)
        return {text(FileAccessDenied)};
    StagingLock lock;
    if (QString problem = decodeIntoStaging(file, staging, lock); !problem.isEmpty())
        return {problem};
    LoadResult result;
    result.problem = readStagedValues(staging, result.values);
    if (result.problem.isEmpty())
        result.problem = writeStaging(staging, {}, lock);
    return result;
}
