#include "game_fixture.h"
#include "pictures/jpeg_picture.h"
#include "pictures/pictures.h"
#include "sound/sound_output.h"
#include "sound/sound_slot.h"
#include "system/qt_services.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Plays for a given number of "polls" after each start, like a sound of fixed length.
class FakePlayer : public SoundPlayer {
public:
    int starts = 0;
    int remaining = 0;
    int length = 3;
    bool isPlaying() const override { return remaining > 0; }
    void playFromStart() override {
        ++starts;
        remaining = length;
    }
    void advance() { remaining = remaining > 0 ? remaining - 1 : 0; }
};

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &data) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(data), data.size());
}

} // namespace

class TestServices : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void programTitleKeepsFirstLetterAndLowersTheRest_data();
    void programTitleKeepsFirstLetterAndLowersTheRest();
    void soundSlotLetsARunningSoundPlayOnAndRestartsAnEndedOne();
    void soundSlotRecordsItsRequestsUnderTest();
    void bindingRefusesAFileThatIsNotAPlayableWav();
    void soundOutputStartsOnlyWhenAskedAndAMuteServerHoldsNothingUp();
    void theGamesOwnSoundsArePlayableWavs();
    void randomNumbersStayBelowTheirBoundAndCoverIt();
    void jpegDecoderReadsTheTradesPicture();
    void jpegDecoderReportsDamage();
    void builtInPicturesAreDrawnForEachDensity();
};

void TestServices::programTitleKeepsFirstLetterAndLowersTheRest_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("plain") << "/opt/game/skitalia"
                           << "skitalia";
    QTest::newRow("capitals") << "/opt/game/SKITALIA"
                              << "Skitalia";
    QTest::newRow("extension") << "C:/Games/Skitalia.EXE"
                               << "Skitalia";
    QTest::newRow("two dots") << "/x/sKiTa.lia.bin"
                              << "skita.lia";
}

void TestServices::programTitleKeepsFirstLetterAndLowersTheRest() {
    QFETCH(QString, path);
    QFETCH(QString, title);
    QCOMPARE(programTitle(path), title);
}

void TestServices::soundSlotLetsARunningSoundPlayOnAndRestartsAnEndedOne() {
    static FakePlayer *player = nullptr;
    const SoundPlayerMaker previous =
        std::exchange(makeSoundPlayer, [](const QString &, const PcmSound &) {
            auto made = std::make_unique<FakePlayer>();
            player = made.get();
            return std::unique_ptr<SoundPlayer>(std::move(made));
        });
    SoundSlot slot;
    slot.bind(builtGameFolder() + QStringLiteral("/3.wav"));
    makeSoundPlayer = previous;

    slot.play();
    QCOMPARE(player->starts, 1);
    player->advance();
    slot.play(); // still playing: not restarted
    QCOMPARE(player->starts, 1);
    QCOMPARE(player->remaining, 2);
    player->advance();
    player->advance();
    slot.play(); // ended: from the beginning
    QCOMPARE(player->starts, 2);
    QCOMPARE(player->remaining, player->length);

    SoundSlot unbound; // a failing request is silent
    unbound.play();
}

void TestServices::soundSlotRecordsItsRequestsUnderTest() {
    GameFixture game;
    game.start(false);
    SoundSlot slot;
    slot.bind(game.file(QStringLiteral("3.wav")));
    slot.play();
    slot.play();
    QCOMPARE(game.services.sounds(), QStringList({"3.wav", "3.wav"}));
}

void TestServices::bindingRefusesAFileThatIsNotAPlayableWav() {
    QTemporaryDir dir;
    const QByteArray good = readFile(builtGameFolder() + QStringLiteral("/3.wav"));
    QVERIFY(good.size() > 44);

    const QString missing = dir.filePath(QStringLiteral("missing.wav"));
    const QString truncated = dir.filePath(QStringLiteral("truncated.wav"));
    const QString garbage = dir.filePath(QStringLiteral("garbage.wav"));
    const QString compressed = dir.filePath(QStringLiteral("compressed.wav"));
    writeFile(truncated, good.left(good.size() / 2));
    writeFile(garbage, QByteArray("this is not a sound at all, just some text"));
    QByteArray adpcm = good;
    adpcm[20] = 2; // format tag of the "fmt " chunk: MS ADPCM
    writeFile(compressed, adpcm);
    // Sample rates of the "fmt " chunk: the highest a server plays, and the next one up.
    const auto withRate = [&](const QString &name, quint32 rate) {
        QByteArray wav = good;
        qToLittleEndian(rate, wav.data() + 24);
        writeFile(dir.filePath(name), wav);
        return dir.filePath(name);
    };
    QCOMPARE(wavProblem(withRate(QStringLiteral("fastest.wav"), 384000)), QString());
    const QString tooFast = withRate(QStringLiteral("too-fast.wav"), 384001);

    for (const QString &path : {missing, truncated, garbage, compressed, tooFast}) {
        SoundSlot slot;
        try {
            slot.bind(path);
            QFAIL(qPrintable(QStringLiteral("accepted ") + path));
        } catch (const StartupError &error) {
            QVERIFY2(error.message().contains(path), qPrintable(error.message()));
        }
    }
}

// Sound waits for the title's first frame: binding and playing start nothing of the sound
// server's library. Once asked, a server that never answers holds no play request up.
void TestServices::soundOutputStartsOnlyWhenAskedAndAMuteServerHoldsNothingUp() {
    const auto threads = [] {
        return QDir(QStringLiteral("/proc/self/task"))
            .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
            .size();
    };
    const qsizetype before = threads();
    SoundSlot slot;
    slot.bind(builtGameFolder() + QStringLiteral("/3.wav"));
    slot.play();
    QCOMPARE(threads(), before);

    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("native")));
    const int server = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    QVERIFY(::bind(server, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
    QVERIFY(listen(server, 4) == 0);
    qputenv("PULSE_SERVER", "unix:" + path);
    QElapsedTimer clock;
    clock.start();
    startSoundOutput();
    slot.play();
    slot.play();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(threads(), before + 1);
    close(server);
}

void TestServices::theGamesOwnSoundsArePlayableWavs() {
    for (int n = 2; n <= 7; ++n) {
        const QString path = builtGameFolder() + QStringLiteral("/%1.wav").arg(n);
        QCOMPARE(wavProblem(path), QString());
    }
}

void TestServices::randomNumbersStayBelowTheirBoundAndCoverIt() {
    QtServices real;
    for (int i = 0; i < 50; ++i)
        QCOMPARE(real.randomBelow(1), 0);
    QList<int> seen(6, 0);
    for (int i = 0; i < 6000; ++i) {
        const int value = real.randomBelow(6);
        QVERIFY(value >= 0 && value < 6);
        ++seen[value];
    }
    for (int count : seen)
        QVERIFY2(count > 800 && count < 1200, qPrintable(QString::number(count)));
    real.reseedRandom();
    QVERIFY(real.randomBelow(15) < 15);
}

void TestServices::jpegDecoderReadsTheTradesPicture() {
    QString problem = QStringLiteral("untouched");
    const QImage image = loadJpeg(builtGameFolder() + QStringLiteral("/trades.jpg"), &problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QCOMPARE(image.size(), QSize(240, 200));
    // A real picture, not one flat colour.
    QVERIFY(image.pixel(10, 10) != image.pixel(200, 180) ||
            image.pixel(120, 100) != image.pixel(10, 10));
}

void TestServices::jpegDecoderReportsDamage() {
    const QByteArray good = readFile(builtGameFolder() + QStringLiteral("/trades.jpg"));
    QVERIFY(good.size() > 1000);
    QString problem;

    // Cut short: libjpeg-turbo still yields the picture, with a warning.
    const QImage cut = decodeJpeg(good.left(good.size() * 2 / 3), &problem);
    QVERIFY(!problem.isEmpty());
    QCOMPARE(cut.size(), QSize(240, 200));

    QVERIFY(decodeJpeg(QByteArray("GIF89a not a jpeg at all"), &problem).isNull());
    QVERIFY(!problem.isEmpty());

    QVERIFY(decodeJpeg(QByteArray(), &problem).isNull());
    QVERIFY(!problem.isEmpty());

    QVERIFY(decodeJpeg(good.left(100), &problem).isNull());
    QVERIFY(!problem.isEmpty());

    QVERIFY(loadJpeg(QStringLiteral("/nonexistent/trades.jpg"), &problem).isNull());
    QVERIFY(!problem.isEmpty());
}

QTEST_MAIN(TestServices)
#include "test_services.moc"

// Above density 1 a picture has a device pixel for every pixel of the screen, taken from its own
// drawing at twice the size: an enlarged 1x picture would look soft.
void TestServices::builtInPicturesAreDrawnForEachDensity() {
    const auto pixels = [](const QImage &image) {
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    const QStringList names = QDir(QStringLiteral(":/pictures")).entryList({"*@2x.png"});
    QVERIFY(names.size() > 20);
    for (const char *ready : {"title", "icon"}) // what start-up draws needs no decoding
        QCOMPARE(pixels(readyPicture(QLatin1String(ready))),
                 pixels(QImage(QStringLiteral(":/pictures/%1.png").arg(QLatin1String(ready)))));
    for (QString name : names) {
        name.chop(QStringLiteral("@2x.png").size());
        const QImage plain(QStringLiteral(":/pictures/%1.png").arg(name));
        const QImage twice(QStringLiteral(":/pictures/%1@2x.png").arg(name));
        QCOMPARE(twice.size(), plain.size() * 2);
        QCOMPARE(pixels(builtInPicture(name, 1).toImage()), pixels(plain));
        QCOMPARE(pixels(builtInPicture(name, 2).toImage()), pixels(twice));
        for (const qreal density : {1.5, 2.0}) {
            const QPixmap picture = builtInPicture(name, density);
            QCOMPARE(picture.devicePixelRatio(), density);
            QCOMPARE(picture.size(), (QSizeF(plain.size()) * density).toSize());
        }
    }
}
