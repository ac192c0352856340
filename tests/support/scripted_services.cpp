#include "scripted_services.h"

#include <QApplication>
#include <QMessageBox>

namespace {

void openRealBox(const QString &caption, const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace

void ScriptedServices::script(std::initializer_list<Draw> draws) {
    draws_.insert(draws_.end(), draws.begin(), draws.end());
}

QStringList ScriptedServices::sounds() const {
    QStringList result;
    for (const QString &event : events)
        if (event.startsWith(QStringLiteral("sound ")))
            result << event.mid(6);
    return result;
}

QStringList ScriptedServices::boxes() const {
    QStringList result;
    for (const QString &event : events)
        if (event.startsWith(QStringLiteral("box ")) ||
            event.startsWith(QStringLiteral("notice ")) ||
            event.startsWith(QStringLiteral("error ")))
            result << event;
    return result;
}

void ScriptedServices::record(const QString &event) {
    events << event;
    if (onEvent)
        onEvent(event);
}

void ScriptedServices::messageBox(const QString &text, const QString &caption) {
    record(QStringLiteral("box %1: %2").arg(caption, text));
    if (realBoxes)
        openRealBox(caption, text);
}

void ScriptedServices::notice(const QString &text) {
    record(QStringLiteral("notice ") + text);
    if (realBoxes)
        openRealBox(QString(), text);
}

void ScriptedServices::errorBox(const QString &text) {
    record(QStringLiteral("error ") + text);
    if (realBoxes)
        openRealBox(QString(), text);
}

std::unique_ptr<SoundPlayer> ScriptedServices::recordingPlayer(const QString &name,
                                                               const PcmSound &) {
    class Recorder : public SoundPlayer {
    public:
        explicit Recorder(const QString &name)
            : event_(QStringLiteral("sound ") + name) {}
        bool isPlaying() const override { return false; }
        void playFromStart() override {
            static_cast<ScriptedServices &>(services()).record(event_);
        }

    private:
        QString event_;
    };
    return std::make_unique<Recorder>(name);
}

int ScriptedServices::randomBelow(int n) {
    if (draws_.empty()) {
        problems << QStringLiteral("unscripted randomBelow(%1)").arg(n);
        return 0;
    }
    const Draw draw = draws_.front();
    draws_.pop_front();
    if (draw.n != n)
        problems << QStringLiteral("randomBelow(%1) where the script expects randomBelow(%2)")
                        .arg(n)
                        .arg(draw.n);
    if (draw.value < 0 || draw.value >= n)
        problems
            << QStringLiteral("scripted value %1 outside randomBelow(%2)").arg(draw.value).arg(n);
    return draw.value;
}

void ScriptedServices::reseedRandom() {
    record(QStringLiteral("reseed"));
}

QString ScriptedServices::programFolder() {
    record(QStringLiteral("folder"));
    return folder;
}

std::uint32_t ScriptedServices::tickCount() {
    if (!elapsed_.isValid())
        elapsed_.start();
    return clockStart + static_cast<std::uint32_t>(elapsed_.elapsed());
}

void ScriptedServices::endProgram() {
    record(QStringLiteral("end"));
}
