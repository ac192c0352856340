#include "widgets/game_style.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QStyleOption>
#include <QWidget>

namespace {

// The menu bar's overflow button: a double chevron pointing along its bar.
QIcon extensionIcon(Qt::Orientation along, const QColor &colour) {
    QIcon icon;
    for (const int side : {16, 32}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(side / 16.0, side / 16.0);
        if (along == Qt::Vertical) {
            painter.translate(16, 0);
            painter.rotate(90);
        }
        painter.setPen(QPen(colour, 1.5));
        for (const qreal x : {4.0, 8.5})
            painter.drawPolyline(QPolygonF({{x, 4.5}, {x + 3.5, 8}, {x, 11.5}}));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

GameStyle::GameStyle(const QString &baseKey)
    : QProxyStyle(baseKey) {}

QIcon GameStyle::standardIcon(StandardPixmap icon, const QStyleOption *option,
                              const QWidget *widget) const {
    const QPalette palette = option   ? option->palette
                             : widget ? widget->palette()
                                      : QApplication::palette();
    const QColor colour = palette.color(QPalette::ButtonText);
    switch (icon) {
    case SP_ToolBarHorizontalExtensionButton:
        return extensionIcon(Qt::Horizontal, colour);
    case SP_ToolBarVerticalExtensionButton:
        return extensionIcon(Qt::Vertical, colour);
    default:
        return QProxyStyle::standardIcon(icon, option, widget);
    }
}

void useGameStyle() {
    if (qobject_cast<GameStyle *>(QApplication::style()))
        return;
    QApplication::setStyle(new GameStyle(QApplication::style()->name()));
}
