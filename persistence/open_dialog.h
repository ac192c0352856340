#pragma once

#include <QFileDialog>

// The open-file dialog of loading: Qt's own dialog on the saved games of a folder, which
// speaks Russian whatever the system's language (sizes, dates, the type of a saved game) and
// opens wide enough for every column, where its screen has room for them.
class OpenSavedGameDialog : public QFileDialog {
    Q_OBJECT
public:
    OpenSavedGameDialog(QWidget *parent, const QString &folder);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fitColumns();
    void fitScreen();
};
