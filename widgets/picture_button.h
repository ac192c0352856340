#pragma once

#include <QPixmap>
#include <QPushButton>

// A push button with its picture at the right edge; the captions end in blanks that keep
// the text clear of it.
class PictureButton : public QPushButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget *parent = nullptr);

    void setPicture(const QPixmap &picture);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap picture_;
};
