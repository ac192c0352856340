#include "activities/price_row.h"

#include <QPainter>

PriceRow::PriceRow(QWidget *parent)
    : QLabel(parent) {}

void PriceRow::setColumns(int buyColumn, int sellColumn) {
    buyColumn_ = buyColumn;
    sellColumn_ = sellColumn;
    update();
}

void PriceRow::paintEvent(QPaintEvent *event) {
    const QStringList parts = text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 3 || buyColumn_ <= 0 || sellColumn_ <= buyColumn_) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const int h = height();
    painter.drawText(QRect(6, 0, buyColumn_ - 6, h), Qt::AlignLeft | Qt::AlignVCenter, parts[0]);
    painter.drawText(QRect(buyColumn_, 0, sellColumn_ - buyColumn_, h), Qt::AlignCenter, parts[1]);
    painter.drawText(QRect(sellColumn_, 0, width() - sellColumn_, h), Qt::AlignCenter, parts[2]);
}
