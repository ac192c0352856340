#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class TForm7;
}

// The recycling point's receipt: what the bottles and paper brought.
class TForm7 : public QWidget {
    Q_OBJECT
public:
    explicit TForm7(QWidget *parent = nullptr);
    ~TForm7() override;

    Ui::TForm7 &ui() { return *ui_; }

    // The main window's button that leads here: its rules, then this screen in place of from.
    void visit(QWidget *from);

public Q_SLOTS:
    void SpeedButton1Click();

private:
    std::unique_ptr<Ui::TForm7> ui_;
};
