#pragma once

#include <QWidget>
#include <memory>

class TForm5;
namespace Ui {
class TForm4;
}

// Three bins, one of which holds bottles and waste paper; one pick per visit.
class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);
    ~TForm4() override;

    Ui::TForm4 &ui() { return *ui_; }
    // The three bin buttons, enabled again by both ways back to the main window.
    void setBinsEnabled(bool enabled);

    // The screen that shows a find; its way back enables the bins again.
    void setFindScreen(TForm5 *find);
    // The main window's button that leads here: its rules, then this screen in place of from.
    void visit(QWidget *from);

public Q_SLOTS:
    void Button1Click() { pick(1); }
    void Button2Click() { pick(2); }
    void Button3Click() { pick(3); }
    void SpeedButton1Click();

private:
    void pick(int bin);

    std::unique_ptr<Ui::TForm4> ui_;
    TForm5 *find_ = nullptr;
};
