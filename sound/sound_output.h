#pragma once

#include "sound/sound_player.h"
#include "sound/wav_file.h"

#include <QString>
#include <memory>

// A player for one sound on the sound server's output. Until the first connection that
// startSoundOutput makes is ready or has failed, it remembers a request and plays it once its
// stream is ready; after that, a request that the server cannot take now is silent.
std::unique_ptr<SoundPlayer> makeOutputPlayer(const QString &name, const PcmSound &sound);

// Connects to the sound server, once, and opens a stream for every player; kept off the
// start-up's way, nothing of the server's library runs before. No server: silence.
void startSoundOutput();
