#include "platform/sound_slot.h"

#include "platform/services.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QtEndian>

namespace {

struct WavSound {
    QAudioFormat format;
    QByteArray samples;
};

quint32 le32(const QByteArray &data, qsizetype at) {
    return qFromLittleEndian<quint32>(data.constData() + at);
}

quint16 le16(const QByteArray &data, qsizetype at) {
    return qFromLittleEndian<quint16>(data.constData() + at);
}

// Reads a PCM WAV file into its format and samples; returns why it cannot, or an empty text.
QString readWav(const QString &path, WavSound &sound) {
    QFile file(path);
    if (!file.exists())
        return QStringLiteral("файл не найден");
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("файл не открывается (%1)").arg(file.errorString());
    const QByteArray data = file.readAll();
    if (data.size() < 12 || !data.startsWith("RIFF") || data.mid(8, 4) != "WAVE")
        return QStringLiteral("это не WAV-файл");

    bool pcm = false;
    qsizetype pos = 12;
    while (pos + 8 <= data.size()) {
        const QByteArray id = data.mid(pos, 4);
        const qint64 size = le32(data, pos + 4);
        const qsizetype body = pos + 8;
        if (body + size > data.size())
            return QStringLiteral("файл обрезан");
        if (id == "fmt ") {
            if (size < 16)
                return QStringLiteral("повреждён заголовок формата");
            const quint16 format = le16(data, body);
            const quint16 channels = le16(data, body + 2);
            const quint32 rate = le32(data, body + 4);
            const quint16 bits = le16(data, body + 14);
            pcm = format == 1 && (channels == 1 || channels == 2) && (bits == 8 || bits == 16) &&
                  rate > 0;
            if (!pcm)
                return QStringLiteral("нужен несжатый PCM, 8 или 16 бит");
            sound.format.setSampleRate(static_cast<int>(rate));
            sound.format.setChannelCount(channels);
            sound.format.setSampleFormat(bits == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
        } else if (id == "data") {
            if (!pcm)
                return QStringLiteral("нет заголовка формата перед звуком");
            if (size < sound.format.bytesPerFrame())
                return QStringLiteral("в файле нет звука");
            sound.samples = data.mid(body, size - size % sound.format.bytesPerFrame());
            return QString();
        }
        pos = body + size + (size & 1);
    }
    return QStringLiteral("в файле нет звука");
}

// Plays one sound through its own audio stream. The stream is never stopped at the sound's
// end, and the sound is followed by silence: a stream stopped as soon as its last sample is
// handed over loses what the sound server has not played yet, the whole of a short click.
class StreamPlayer : public SoundPlayer {
public:
    explicit StreamPlayer(const WavSound &sound)
        : format_(sound.format)
        , lengthMs_(format_.durationForBytes(static_cast<qint32>(sound.samples.size())) / 1000) {
        const qsizetype tail = format_.bytesForDuration(TailMicroseconds);
        const char zero = format_.sampleFormat() == QAudioFormat::UInt8 ? '\x80' : '\0';
        samples_ = sound.samples + QByteArray(tail, zero);
    }

    bool isPlaying() const override { return started_.isValid() && started_.elapsed() < lengthMs_; }

    void playFromStart() override {
        if (!sink_) {
            const QAudioDevice device = QMediaDevices::defaultAudioOutput();
            if (device.isNull())
                return; // no sound device: the game plays on in silence
            sink_ = std::make_unique<QAudioSink>(device, format_);
        }
        sink_->stop();
        buffer_.close();
        buffer_.setData(samples_);
        buffer_.open(QIODevice::ReadOnly);
        sink_->start(&buffer_);
        started_.start();
    }

private:
    static constexpr qint64 TailMicroseconds = 300'000;
    QAudioFormat format_;
    qint64 lengthMs_;
    QByteArray samples_;
    QBuffer buffer_;
    std::unique_ptr<QAudioSink> sink_;
    QElapsedTimer started_;
};

} // namespace

QString wavProblem(const QString &path) {
    WavSound sound;
    return readWav(path, sound);
}

SoundSlot::SoundSlot() = default;
SoundSlot::~SoundSlot() = default;

void SoundSlot::bind(const QString &path) {
    WavSound sound;
    const QString problem = readWav(path, sound);
    if (!problem.isEmpty())
        throw StartupError(
            QStringLiteral("Не удаётся открыть звуковой файл «%1»: %2.").arg(path, problem));
    path_ = path;
    player_ = std::make_unique<StreamPlayer>(sound);
}

void SoundSlot::play() {
    services().playSound(*this);
}

void SoundSlot::start() {
    if (player_ && !player_->isPlaying())
        player_->playFromStart();
}

QString SoundSlot::fileName() const {
    return QFileInfo(path_).fileName();
}

void SoundSlot::setPlayer(std::unique_ptr<SoundPlayer> player) {
    player_ = std::move(player);
}
