#pragma once

#include "sound/sound_slot.h"
#include "system/services.h"

#include <QElapsedTimer>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>

// Services for tests: random numbers come from a script, boxes are answered at once, and
// everything the game asks of the platform is written down in order.
class ScriptedServices : public Services {
public:
    struct Draw {
        int n;     // the range the game must ask for
        int value; // what it gets
    };

    // Every randomBelow must match the next scripted draw; mismatches and unscripted draws
    // land in problems().
    void script(std::initializer_list<Draw> draws);
    int unusedDraws() const { return static_cast<int>(draws_.size()); }

    // "sound 2.wav", "box CAPTION: TEXT", "notice TEXT", "error TEXT", "reseed",
    // "folder", "end".
    QStringList events;
    QStringList problems;
    QString folder;
    // The tick counter runs in real milliseconds from this value, so waits take real time.
    std::uint32_t clockStart = 0;
    // Runs at each event after it is written down, as a box would let ticks run.
    std::function<void(const QString &event)> onEvent;
    // Boxes become real modal boxes that wait for the test to close them, so the real
    // timers tick behind them as they do behind a player's.
    bool realBoxes = false;

    QStringList sounds() const;
    QStringList boxes() const;

    void messageBox(const QString &text, const QString &caption) override;
    void notice(const QString &text) override;
    void errorBox(const QString &text) override;
    int randomBelow(int n) override;
    void reseedRandom() override;
    QString programFolder() override;
    std::uint32_t tickCount() override;
    void endProgram() override;

    // The player a slot makes while these services are installed: each request is written down.
    static std::unique_ptr<SoundPlayer> recordingPlayer(const QString &name, const PcmSound &sound);

private:
    void record(const QString &event);
    std::deque<Draw> draws_;
    QElapsedTimer elapsed_;
};
