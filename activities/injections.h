#pragma once

#include "shell/sound_slot.h"

#include <QWidget>

class TForm9 : public QWidget {
    Q_OBJECT
public:
    explicit TForm9(QWidget *parent = nullptr);

    SoundSlot MediaPlayer1;

private:
    void FormCreate();
};
