#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>

class QLabel;

namespace Ui {
class TForm11;
}

// The five-reel slot machine: two roubles a spin, the reels stop one by one from the left,
// and the longest run of equal neighbours pays.
class TForm11 : public QWidget {
    Q_OBJECT
public:
    explicit TForm11(QWidget *parent = nullptr);
    ~TForm11() override;

    Ui::TForm11 &ui() { return *ui_; }

    QTimer Timer1;
    // Ticks handled since the last "Запуск"; 151 once the spin has paid.
    std::int32_t SpinTick = 0;
    // The symbols drawn when the spin starts; they alone decide what it pays.
    std::int32_t Reel1 = 0;
    std::int32_t Reel2 = 0;
    std::int32_t Reel3 = 0;
    std::int32_t Reel4 = 0;
    std::int32_t Reel5 = 0;

    // The main window's button that leads here: its rules, then this screen in place of from.
    void visit(QWidget *from);

public Q_SLOTS:
    void Button1Click();
    void Timer1Timer();
    void SpeedButton1Click();

private:
    void showSymbol(QLabel *reel, int symbol);

    std::unique_ptr<Ui::TForm11> ui_;
    QPixmap emptyReel_;
};

// The ticks of a spin; the reels stop after 30, 60, 90, 120 and 150 of them, the last pays.
inline constexpr int SpinTicks = 151;

// What a spin with these symbols (1 to 6, reel 1 first) pays.
int payout(const std::array<int, 5> &symbols);
