#pragma once

#include "shell/sound_slot.h"

#include <QWidget>

class TForm8 : public QWidget {
    Q_OBJECT
public:
    explicit TForm8(QWidget *parent = nullptr);

    SoundSlot MediaPlayer1;

private:
    void FormCreate();
};
