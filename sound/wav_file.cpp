#include "sound/wav_file.h"

#include "system/file_access.h"

#include <QtEndian>

namespace {

// Six minutes of CD sound; the whole file is held in memory while the game runs.
constexpr qint64 MaxWavBytes = qint64{64} << 20;

quint32 le32(const QByteArray &data, qsizetype at) {
    return qFromLittleEndian<quint32>(data.constData() + at);
}

quint16 le16(const QByteArray &data, qsizetype at) {
    return qFromLittleEndian<quint16>(data.constData() + at);
}

} // namespace

QString readWav(const QString &path, PcmSound &sound) {
    QString problem;
    const QByteArray data = readRegularFile(path, MaxWavBytes, &problem);
    if (!problem.isEmpty())
        return problem;
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
            pcm = format == 1 && (channels == 1 || channels == 2) && (bits == 8 || bits == 16);
            if (!pcm)
                return QStringLiteral("нужен несжатый PCM, 8 или 16 бит");
            // The player's buffers grow with the rate: a rate no server plays is refused here.
            if (rate == 0 || rate > MaxSoundRate)
                return QStringLiteral("частота %1 Гц не воспроизводится (нужно от 1 до %2 Гц)")
                    .arg(rate)
                    .arg(MaxSoundRate);
            sound.rate = static_cast<int>(rate);
            sound.channels = channels;
            sound.bits = bits;
        } else if (id == "data") {
            if (!pcm)
                return QStringLiteral("нет заголовка формата перед звуком");
            const int frame = sound.channels * sound.bits / 8;
            if (size < frame)
                return QStringLiteral("в файле нет звука");
            sound.samples = data.mid(body, size - size % frame);
            return QString();
        }
        pos = body + size + (size & 1);
    }
    return QStringLiteral("в файле нет звука");
}

QString wavProblem(const QString &path) {
    PcmSound sound;
    return readWav(path, sound);
}
