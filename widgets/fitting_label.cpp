#include "widgets/fitting_label.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace {

// Smaller digits are no longer readable.
constexpr int SmallestPixelSize = 6;
// Keeps the text off the inner edge of a panel's border.
constexpr int SidePadding = 1;

// The pieces a line may break between: the words, a number and the word after it as one.
QStringList breakablePieces(const QString &text) {
    QStringList pieces;
    for (const QString &word : text.split(QLatin1Char(' '))) {
        const bool afterNumber =
            !pieces.isEmpty() && !pieces.last().isEmpty() && pieces.last().back().isDigit();
        if (afterNumber && !word.isEmpty() && word.front().isLetter())
            pieces.last() += QLatin1Char(' ') + word;
        else
            pieces << word;
    }
    return pieces;
}

QStringList wrap(const QStringList &pieces, const QFontMetrics &metrics, int width) {
    QStringList lines{pieces.front()};
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QString longer = lines.last() + QLatin1Char(' ') + pieces[i];
        if (metrics.horizontalAdvance(longer) <= width)
            lines.last() = longer;
        else
            lines << pieces[i];
    }
    return lines;
}

int blockHeight(const QFontMetrics &metrics, qsizetype lineCount) {
    return metrics.height() + static_cast<int>(lineCount - 1) * metrics.lineSpacing();
}

bool fits(const QStringList &lines, const QFontMetrics &metrics, const QSize &room) {
    const bool narrowEnough = std::all_of(lines.begin(), lines.end(), [&](const QString &line) {
        return metrics.horizontalAdvance(line) <= room.width();
    });
    return narrowEnough && blockHeight(metrics, lines.size()) <= room.height();
}

} // namespace

FittedText fitText(const QString &text, const QFont &font, const QSize &room) {
    const QStringList pieces = breakablePieces(text);
    const int normal = font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
    FittedText fitted{font, {}};
    for (int size = normal; size >= SmallestPixelSize; --size) {
        if (size != normal)
            fitted.font.setPixelSize(size);
        const QFontMetrics metrics(fitted.font);
        fitted.lines = wrap(pieces, metrics, room.width());
        if (fits(fitted.lines, metrics, room))
            break;
    }
    return fitted;
}

FittingLabel::FittingLabel(QWidget *parent)
    : QLabel(parent) {}

FittedText FittingLabel::shown() const {
    return fitText(text(), font(), textRoom().size());
}

QRect FittingLabel::textRoom() const {
    const int m = margin();
    return contentsRect().adjusted(m + SidePadding, m, -m - SidePadding, -m);
}

void FittingLabel::paintEvent(QPaintEvent * /*event*/) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect room = textRoom();
    const FittedText fitted = shown();
    const QFontMetrics metrics(fitted.font);
    const int height = blockHeight(metrics, fitted.lines.size());
    int top = room.top() + (room.height() - height) / 2;
    if (alignment() & Qt::AlignTop)
        top = room.top();
    else if (alignment() & Qt::AlignBottom)
        top = room.bottom() + 1 - height;
    const int horizontal = static_cast<int>(alignment() & Qt::AlignHorizontal_Mask);
    painter.setFont(fitted.font);
    for (const QString &line : fitted.lines) {
        style()->drawItemText(&painter, QRect(room.left(), top, room.width(), metrics.height()),
                              horizontal | Qt::AlignVCenter | Qt::TextDontClip, palette(),
                              isEnabled(), line, foregroundRole());
        top += metrics.lineSpacing();
    }
}
