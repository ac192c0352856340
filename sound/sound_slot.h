#pragma once

#include "sound/sound_player.h"
#include "sound/wav_file.h"

#include <QString>
#include <memory>

// Makes the player of a slot bound to a checked sound, named by its file: the sound server's,
// unless a test swaps it to record the requests.
using SoundPlayerMaker = std::unique_ptr<SoundPlayer> (*)(const QString &name,
                                                          const PcmSound &sound);
extern SoundPlayerMaker makeSoundPlayer;

// One of the game's six sound slots, bound to one WAV file while its screen is created.
class SoundSlot {
public:
    SoundSlot();
    ~SoundSlot();
    SoundSlot(const SoundSlot &) = delete;
    SoundSlot &operator=(const SoundSlot &) = delete;

    // Reads the file and keeps its sound for playback. A file that cannot be opened as a
    // PCM WAV stops start-up: throws StartupError naming the file.
    void bind(const QString &path);
    // A play request, as every handler makes it: a sound still playing plays on, one that
    // ended starts again from the beginning, and a failure stays silent.
    void play();

private:
    std::unique_ptr<SoundPlayer> player_;
};
