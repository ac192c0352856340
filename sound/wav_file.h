#pragma once

#include <QByteArray>
#include <QString>

// The highest sample rate that sound servers play (PulseAudio's limit, which PipeWire keeps).
constexpr quint32 MaxSoundRate = 384000;

// A checked PCM sound: unsigned 8-bit or signed 16-bit little-endian samples, one or two
// channels, at most MaxSoundRate samples a second.
struct PcmSound {
    int rate = 0;
    int channels = 0;
    int bits = 0;
    QByteArray samples;
};

// Reads a PCM WAV file into its format and samples; returns why it cannot, or an empty text.
QString readWav(const QString &path, PcmSound &sound);

// Whether the file is a playable PCM WAV: why not, or an empty text. Only the tests ask
// without keeping the sound.
QString wavProblem(const QString &path);
