#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>

namespace Ui {
class TForm3;
}

// Begging: pick a place, pick the hours, and wait out the run for what passers-by give.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);
    ~TForm3() override;

    Ui::TForm3 &ui() { return *ui_; }

    // The main window's button that leads here: its rules, then this screen in place of from.
    void visit(QWidget *from);

public Q_SLOTS:
    void Button1Click();
    void Button2Click();
    void SpeedButton1Click();

private:
    std::unique_ptr<Ui::TForm3> ui_;
};

// Lets window events run until at least n milliseconds have passed, counting right across
// the wrap-around of the tick counter; events run at least once.
void PumpingWait(std::uint32_t n);

// s / 10 rounded to the nearest whole number, halves to the even neighbour.
int tenthRoundedHalfEven(int s);
