#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class TForm10;
}

// The death screen: its one button ends the program.
class TForm10 : public QWidget {
    Q_OBJECT
public:
    explicit TForm10(QWidget *parent = nullptr);
    ~TForm10() override;

    Ui::TForm10 &ui() { return *ui_; }

public Q_SLOTS:
    void SpeedButton1Click();

private:
    std::unique_ptr<Ui::TForm10> ui_;
};
