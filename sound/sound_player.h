#pragma once

// What a sound slot needs from a playback backend.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual bool isPlaying() const = 0;
    virtual void playFromStart() = 0;
};
