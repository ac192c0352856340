#pragma once

#include "sound/sound_slot.h"

#include <QWidget>
#include <memory>

namespace Ui {
class TForm1;
}

// The title screen: the first screen created, and the one a click on its picture leaves
// for good.
class TForm1 : public QWidget {
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    Ui::TForm1 &ui() { return *ui_; }
    SoundSlot MediaPlayer1;

public Q_SLOTS:
    void Image2Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate();

    std::unique_ptr<Ui::TForm1> ui_;
};
