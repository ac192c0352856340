#pragma once

#include <QString>
#include <cstdint>
#include <stdexcept>

class QWidget;

// The game's one seam to the platform: everything a rule needs from outside the record
// goes through here, so tests can script the random numbers and record the boxes.
class Services {
public:
    virtual ~Services() = default;

    // A modal box with the caption, the text and one OK button.
    virtual void messageBox(const QString &text, const QString &caption) = 0;
    // A modal box captioned with the program's title.
    virtual void notice(const QString &text) = 0;
    // A modal box with an error icon, captioned with the program's title.
    virtual void errorBox(const QString &text) = 0;
    // A uniformly distributed integer from 0 to n - 1; n >= 1.
    virtual int randomBelow(int n) = 0;
    virtual void reseedRandom() = 0;
    // The folder the game's files are loaded from and games saved to, without a trailing
    // separator: the executable's, or the player's own when that cannot be written.
    virtual QString programFolder() = 0;
    // Where games are saved and loaded: the program folder, unless the player's own folder,
    // meant for the games, could not be made.
    virtual QString saveFolder() { return programFolder(); }
    // Milliseconds from an arbitrary start; wraps around at 2^32.
    virtual std::uint32_t tickCount() = 0;
    // Lets window events run (timer ticks and clicks included) for waitMs, the processor
    // idle while none comes.
    virtual void runEventsFor(std::uint32_t waitMs);
    // Ends the program at once: nothing is asked, nothing saved, nested loops included.
    // Only test doubles return from it.
    virtual void endProgram() = 0;
};

Services &services();
// Installs the services every later call uses and returns the ones installed before.
Services *installServices(Services *services);

void showScreen(QWidget *screen);
void hideScreen(QWidget *screen);

// The caption of notices and error boxes: the executable's name without its extension,
// first letter as it is and the rest in lower case.
QString programTitle(const QString &executablePath);

// Raised while the screens are created when something they need is missing; start-up
// shows the message and ends without showing any screen.
class StartupError : public std::runtime_error {
public:
    explicit StartupError(const QString &message)
        : std::runtime_error(message.toStdString())
        , message_(message) {}
    QString message() const { return message_; }

private:
    QString message_;
};
