#pragma once

#include "sound/sound_slot.h"

#include <QWidget>
#include <memory>

namespace Ui {
class TForm9;
}

// Injections: health for money, as strong as the player can pay for.
class TForm9 : public QWidget {
    Q_OBJECT
public:
    explicit TForm9(QWidget *parent = nullptr);
    ~TForm9() override;

    Ui::TForm9 &ui() { return *ui_; }
    SoundSlot MediaPlayer1; // injection, 5.wav
    // "Сделать" only while the money covers the strength.
    void applyInjectionRule();

    // The main window's button that leads here: its rules, then this screen in place of from.
    void visit(QWidget *from);

public Q_SLOTS:
    void TrackBar1Change();
    void SpeedButton2Click();
    void SpeedButton1Click();

private:
    void FormCreate();

    std::unique_ptr<Ui::TForm9> ui_;
};
