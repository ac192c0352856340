#include "persistence/saved_games.h"
#include "tests/fuzz/second_reading.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

QByteArray contents(const QString &path) {
    QFile file(path);
    check(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

void put(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    check(file.write(bytes) == bytes.size());
}

} // namespace

// Any bytes as the chosen file of a whole load through a real program folder. What loads is
// what the second reading of the format reads; a failed load changes no field, and leaves
// the staging file untouched when the first line fails or holding the decoded text after.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const QTemporaryDir folder;
    const QString chosen = folder.filePath(QStringLiteral("chosen.sav"));
    const QString staging = stagingPath(folder.path());
    const QByteArray file(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    put(chosen, file);
    put(staging, {});

    CharacterState record;
    SavedValues before{};
    for (std::size_t i = 0; i < before.size(); ++i)
        before[i] = 40 + static_cast<int>(i);
    restoreSavedValues(record, before);
    const LoadResult loaded = loadGameFile(folder.path(), chosen);
    if (loaded.problem.isEmpty())
        restoreSavedValues(record, loaded.values);

    const auto decoded = second_reading::decode(file.toStdString());
    const auto values = decoded ? second_reading::values(*decoded) : std::nullopt;
    const QByteArray left = contents(staging);
    if (values) {
        check(loaded.problem.isEmpty());
        check(savedValues(record) == *values);
        check(left.isEmpty());
    } else {
        check(loaded.problem == QStringLiteral("Invalid numeric input."));
        check(savedValues(record) == before);
        check(left == QByteArray::fromStdString(decoded.value_or(std::string())));
    }
    return 0;
}
