#pragma once

#include <QFont>
#include <QLabel>
#include <QSize>
#include <QStringList>

// A text set into a fixed room, line by line, in the font it is drawn in.
struct FittedText {
    QFont font;
    QStringList lines;
};

// The largest size of the font, from its own size down, at which the whole text fits the
// room, broken at blanks where one line is too wide. A number has no blanks, so it is
// never split, and it keeps the word after it on its line ("10 коп.!").
FittedText fitText(const QString &text, const QFont &font, const QSize &room);

// A label that draws its whole text inside its fixed frame, however long the numbers in
// it grow: it reflows and shrinks, and never elides or clips. The text stays as set.
class FittingLabel : public QLabel {
    Q_OBJECT
public:
    explicit FittingLabel(QWidget *parent = nullptr);

    // What the label draws, for the room it has now.
    FittedText shown() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect textRoom() const;
};
