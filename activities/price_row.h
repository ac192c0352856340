#pragma once

#include <QLabel>

// A row of the market's price table. Its caption spaces the name and the two prices with
// blanks; drawn as it stands, the numbers would wander off their columns in any
// proportional face, so the three parts are set into the columns of the framed table.
class PriceRow : public QLabel {
    Q_OBJECT
public:
    explicit PriceRow(QWidget *parent = nullptr);

    // Where the buying and the selling column begin, from the row's left edge.
    void setColumns(int buyColumn, int sellColumn);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int buyColumn_ = 0;
    int sellColumn_ = 0;
};
