#pragma once

#include <QAccessible>
#include <QRect>
#include <QString>

class QWidget;

// What a screen reader reads of something that shows a text but takes no typing: the text,
// with no caret, selection or attributes.
class ReadOnlyText : public QAccessibleTextInterface {
public:
    virtual QString shown() const = 0;

    QString text(int startOffset, int endOffset) const override {
        return shown().mid(startOffset, endOffset < 0 ? -1 : endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(shown().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    int selectionCount() const override { return 0; }
    void selection(int, int *startOffset, int *endOffset) const override {
        *startOffset = *endOffset = 0;
    }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *startOffset, int *endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }
};

// Screen readers see frames and pages as panels (a page's text its name and every text on
// it), the main window as a plain top level like the other screens, a picture that takes the
// focus as a button, and what tellScreenReaders says as a notification. Before any screen is
// made: Qt keeps the view it first gave of each widget.
void showToScreenReaders();
// Has a listening screen reader say text now, the focus left where it is: for what changes
// under a control that keeps the focus, which a screen reader says only as it comes. Only an
// active window tells.
void tellScreenReaders(QWidget *screen, const QString &text);
