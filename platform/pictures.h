#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

class QLabel;

// Reads a picture whose format is known. Letting Qt guess would load every image plugin it
// has (SVG among them) on the first read, which start-up cannot afford.
QImage readPicture(const QString &path, const char *format);

// One of the pictures compiled into the game, ":/pictures/<name>.png", drawn for the highest
// pixel density among the screens: above 1 from the drawing at twice the size, "<name>@2x.png".
QPixmap builtInPicture(const QString &name);
QPixmap builtInPicture(const QString &name, qreal devicePixelRatio);

// Puts the built-in picture on the label once its screen is polished, so that a hidden
// screen's pictures are not decoded before the title shows.
void showBuiltInPicture(QLabel *label, const QString &name);
