#pragma once

#include <QString>
#include <memory>

// What a slot needs from a playback backend; tests put a fake one in.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual bool isPlaying() const = 0;
    virtual void playFromStart() = 0;
};

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
    // A play request, as every handler makes it: through the services.
    void play();
    // The request itself: a sound still playing plays on, one that ended starts again
    // from the beginning, and a failure stays silent.
    void start();

    QString path() const { return path_; }
    QString fileName() const;
    void setPlayer(std::unique_ptr<SoundPlayer> player);

private:
    QString path_;
    std::unique_ptr<SoundPlayer> player_;
};

// Checks that the file is a playable PCM WAV; returns why not, or an empty text.
QString wavProblem(const QString &path);
