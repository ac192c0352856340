#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class TForm5;
}

// What the right bin held.
class TForm5 : public QWidget {
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);
    ~TForm5() override;

    Ui::TForm5 &ui() { return *ui_; }

public Q_SLOTS:
    void Button1Click();

Q_SIGNALS:
    // On the way back to the main window, before it shows.
    void leaving();

private:
    std::unique_ptr<Ui::TForm5> ui_;
};
