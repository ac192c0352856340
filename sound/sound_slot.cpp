#include "sound/sound_slot.h"

#include "sound/sound_output.h"
#include "system/services.h"

#include <QFileInfo>

SoundPlayerMaker makeSoundPlayer = makeOutputPlayer;

SoundSlot::SoundSlot() = default;
SoundSlot::~SoundSlot() = default;

void SoundSlot::bind(const QString &path) {
    PcmSound sound;
    const QString problem = readWav(path, sound);
    if (!problem.isEmpty())
        throw StartupError(
            QStringLiteral("Не удаётся открыть звуковой файл «%1»: %2.").arg(path, problem));
    player_ = makeSoundPlayer(QFileInfo(path).fileName(), sound);
}

void SoundSlot::play() {
    if (player_ && !player_->isPlaying())
        player_->playFromStart();
}
