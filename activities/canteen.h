#pragma once

#include "sound/sound_slot.h"

#include <QWidget>
#include <memory>

namespace Ui {
class TForm8;
}

// The canteen: each food the man carries can be eaten once a visit.
class TForm8 : public QWidget {
    Q_OBJECT
public:
    explicit TForm8(QWidget *parent = nullptr);
    ~TForm8() override;

    Ui::TForm8 &ui() { return *ui_; }
    SoundSlot MediaPlayer1; // eating, 4.wav

    // The main window's button that leads here: its rules, then this screen in place of from.
    void visit(QWidget *from);

public Q_SLOTS:
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton1Click();

private:
    void FormCreate();

    std::unique_ptr<Ui::TForm8> ui_;
};
