#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

class QLabel;
class PictureButton;

// Reads a picture whose format is known. Letting Qt guess would load every image plugin it
// has (SVG among them) on the first read, which start-up cannot afford.
QImage readPicture(const QString &path, const char *format);
// The same for a picture in the game folder, which the player may have replaced by anything:
// only a regular file is read, never waited on; anything else gives a null image.
QImage readPictureFile(const QString &path, const char *format);

// One of the pictures compiled into the game, ":/pictures/<name>.png", drawn for the highest
// pixel density among the screens: above 1 from the drawing at twice the size, "<name>@2x.png".
QPixmap builtInPicture(const QString &name);
// The pictures drawn before the title's first frame are also built in ready to draw, as
// ":/pictures/<name>.argb", which takes no decoding; others give a null image.
QImage readyPicture(const QString &name);
QPixmap builtInPicture(const QString &name, qreal devicePixelRatio);

// Puts the built-in picture on the label when the label is first drawn, unless it has one
// by then, so that a screen's pictures are decoded only once it shows.
void showBuiltInPicture(QLabel *label, const QString &name);
void showBuiltInPicture(PictureButton *button, const QString &name);
