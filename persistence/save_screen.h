#pragma once

#include <QWidget>
#include <memory>

class QKeyEvent;

namespace Ui {
class TForm12;
}

// The save screen: the player types a file name and saves the game under it.
class TForm12 : public QWidget {
    Q_OBJECT
public:
    explicit TForm12(QWidget *parent = nullptr);
    ~TForm12() override;

    Ui::TForm12 &ui() { return *ui_; }

public Q_SLOTS:
    void Button1Click();
    void Button2Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::unique_ptr<Ui::TForm12> ui_;
};
