#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class TForm6;
}

class QKeyEvent;
class QRadioButton;

// The market: six goods at fixed prices, one trade per visit, and a bigger bag for 200.
class TForm6 : public QWidget {
    Q_OBJECT
public:
    explicit TForm6(QWidget *parent = nullptr);
    ~TForm6() override;

    Ui::TForm6 &ui() { return *ui_; }
    // Unselects every good without running any handler.
    void clearSelection();

    // The main window's button that leads here: its rules, then this screen in place of from.
    void visit(QWidget *from);

public Q_SLOTS:
    void RadioButtonClick(int row);
    void SpinEdit1Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void SpeedButton1Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

Q_SIGNALS:
    // The bag's new size as the main window's panel shows it.
    void bagShown(const QString &text);

private:
    void applyBuyRule();
    void applySellRule();
    int selectedRow() const;
    // The good chosen, else the first.
    QWidget *chosenGood() const;
    QRadioButton *radioButton(int row) const;
    void describeForScreenReaders();

    std::unique_ptr<Ui::TForm6> ui_;
};
