#pragma once

class QString;
class QWidget;

// Screen readers see frames and pages as panels, the main window as a plain top level like
// the other screens, a picture that takes the focus as a button, and what tellScreenReaders
// says as a notification. Before any screen is made: Qt keeps the view it first gave of each
// widget.
void showToScreenReaders();
// Has a listening screen reader say text now, the focus left where it is: for what changes
// under a control that keeps the focus, which a screen reader says only as it comes. Only an
// active window tells.
void tellScreenReaders(QWidget *screen, const QString &text);
