#pragma once

#include "sound/sound_slot.h"

#include <QByteArray>
#include <QString>
#include <memory>

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

// A player for one sound on the sound server's output. Until the first connection that
// startSoundOutput makes is ready or has failed, it remembers a request and plays it once its
// stream is ready; after that, a request that the server cannot take now is silent.
std::unique_ptr<SoundPlayer> makeOutputPlayer(const QString &name, const PcmSound &sound);

// Connects to the sound server, once, and opens a stream for every player; kept off the
// start-up's way, nothing of the server's library runs before. No server: silence.
void startSoundOutput();
